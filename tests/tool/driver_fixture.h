// A scratch world for running the built morvel against the stand-in
// converter: a Ghostscript directory holding the stand-in, a PostScript
// directory, and the stand-in's call log.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

inline bool HostIsWindows() {
    return kTestSeparator == '\\';
}
inline std::string ConverterName() {
    return HostIsWindows() ? "gswin32c.exe" : "gs";
}
inline std::string UsageText() {
    return HostIsWindows() ? "morvel [gswin32c dir] [ps dir]" : "morvel [gs dir] [ps dir]";
}

// The exact progress line and echoed command for one file.
inline std::string ExpectedOutput(const std::string& name, const std::string& jpgArg,
                                  const std::string& psPath) {
    return "Converting " + name + ".ps to " + name + ".jpg ...\n" + ConverterName() +
           " -sDEVICE=jpeg -r120*120 -o \"" + jpgArg + "\" \"" + psPath + "\"";
}

inline std::vector<std::string> ExpectedArgs(const std::string& jpgArg, const std::string& psPath) {
    return {"-sDEVICE=jpeg", "-r120*120", "-o", jpgArg, psPath};
}

class DriverWorld {
  public:
    DriverWorld() : gsDir(root.Sub("gs")), psDir(root.Sub("in")), log(root.Sub("calls.log")) {
        MakeDir(gsDir);
        MakeDir(psDir);
        WriteFile(JoinPath(gsDir, ConverterName()), ReadFile(FAKE_CONVERTER_EXE));
        MakeExecutable(JoinPath(gsDir, ConverterName()));
    }

    // Runs morvel with the given arguments; env adds to the stand-in's settings.
    ProcessResult Run(const std::vector<std::string>& args, std::vector<std::string> env = {},
                      const std::string& cwd = "") {
        std::vector<std::string> argv = {MORVEL_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        env.push_back("FAKE_GS_LOG=" + log);
        return RunProcess(argv, cwd, env);
    }
    ProcessResult RunDefault(std::vector<std::string> env = {}) { return Run({gsDir, psDir}, env); }

    std::vector<ConverterCall> Calls() const { return ReadConverterLog(log); }
    std::string Ps(const std::string& name) const { return JoinPath(psDir, name); }
    // The entry's base name from the PostScript path handed to the converter.
    std::string BaseName(const std::string& psPath) const {
        return psPath.substr(psDir.size() + 1, psPath.size() - psDir.size() - 4);
    }
    void AddPs(const std::string& name) const { WriteFile(Ps(name), "%!PS\nshowpage\n"); }

    TempDir root;
    std::string gsDir;
    std::string psDir;
    std::string log;
};
