// A scratch world for running the built morvel against the stand-in
// converter: a Ghostscript directory holding the stand-in, a PostScript
// directory, and the stand-in's call log.
#pragma once

#include <gtest/gtest.h>

#include <set>
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

// text with each "\r\n" as "\n"; a bare "\n" fails the test.
inline std::string FromCrLf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            ADD_FAILURE() << "a line ends without \\r: " << text;
        }
        out += text[i];
    }
    return out;
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
    // A Windows console program ends its lines with "\r\n": checked here
    // for every run, then read back as "\n" so that expectations hold on
    // both hosts. RunRaw keeps the bytes.
    ProcessResult Run(const std::vector<std::string>& args, std::vector<std::string> env = {},
                      const std::string& cwd = "") {
        ProcessResult r = RunRaw(args, env, cwd);
        if (HostIsWindows()) {
            r.out = FromCrLf(r.out);
            r.err = FromCrLf(r.err);
        }
        return r;
    }
    ProcessResult RunRaw(const std::vector<std::string>& args, std::vector<std::string> env = {},
                         const std::string& cwd = "") {
        std::vector<std::string> argv = {MORVEL_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        env.push_back("FAKE_GS_LOG=" + log);
        return RunProcess(argv, cwd, env);
    }
    ProcessResult RunDefault(std::vector<std::string> env = {}) { return Run({gsDir, psDir}, env); }

    std::vector<ConverterCall> Calls() const { return ReadConverterLog(log); }
    // The PostScript paths the converter was handed, each once.
    std::set<std::string> ConvertedInputs() const {
        std::set<std::string> inputs;
        for (const ConverterCall& c : Calls()) {
            inputs.insert(c.args.empty() ? std::string() : c.args.back());
        }
        return inputs;
    }
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
