// What only a Windows host does to the driver: the command interpreter
// between the tool and the converter, file attributes, Ctrl-C and the
// status codes of crashed programs, the limits of cmd.exe and MAX_PATH.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(DriverWin32, CommandGoesThroughTheInterpreterNamedByComspec) {
    DriverWorld w;
    w.AddPs("my report.ps");
    // A stand-in for cmd.exe: the stand-in converter under another name
    // records what system() hands the interpreter.
    std::string interpreter = w.root.Sub("shell.exe");
    WriteFile(interpreter, ReadFile(FAKE_CONVERTER_EXE));
    ProcessResult r = w.RunDefault({"COMSPEC=" + interpreter});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string jpg = w.Ps("my report.jpg");
    std::string ps = w.Ps("my report.ps");
    EXPECT_EQ(r.out, ExpectedOutput("my report", jpg, ps));
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    // "/c" and then the echoed command, split as the C runtime splits it.
    std::vector<std::string> expected = {"/c", "gswin32c.exe"};
    for (const std::string& a : ExpectedArgs(jpg, ps)) {
        expected.push_back(a);
    }
    EXPECT_EQ(calls[0].args, expected);
    EXPECT_EQ(calls[0].cwd, w.gsDir);
}

TEST(DriverWin32, NamesSpecialToTheInterpreterArriveWhole) {
    DriverWorld w;
    w.gsDir = w.root.Sub("Ghost Script (x86)");
    MakeDir(w.gsDir);
    WriteFile(JoinPath(w.gsDir, "gswin32c.exe"), ReadFile(FAKE_CONVERTER_EXE));
    const std::vector<std::string> names = {
        "two  spaces", "a & b",    "x^y",     "p(1)",
        "semi;colon",  "a,b",      "eq=sign", "bang!",
        "'quoted'",    "`tick`",   "$HOME",   "-leading-dash",
        "#hash",       "a%%b",     "50%",     "%UNDEFINED_MORVEL_NAME%",
        "[brackets]",  "{braces}",
    };
    for (const std::string& n : names) {
        w.AddPs(n + ".ps");
    }
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), names.size());
    std::vector<std::string> seen;
    for (const ConverterCall& c : calls) {
        ASSERT_EQ(c.args.size(), 5u);
        const std::string& ps = c.args[4];
        std::string name = w.BaseName(ps);
        seen.push_back(name);
        std::string jpgArg = w.Ps(name + ".jpg");
        std::string escaped;
        for (char ch : jpgArg) {
            escaped += ch;
            if (ch == '%') {
                escaped += '%';
            }
        }
        EXPECT_EQ(c.args, ExpectedArgs(escaped, w.Ps(name + ".ps"))) << name;
        EXPECT_EQ(c.cwd, w.gsDir);
        EXPECT_NE(r.out.find(ExpectedOutput(name, escaped, w.Ps(name + ".ps"))), std::string::npos)
            << name;
    }
    std::sort(seen.begin(), seen.end());
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
}

TEST(DriverWin32, NameThatTheInterpreterWouldExpandIsRefused) {
    DriverWorld w;
    w.AddPs("plain.ps");
    w.AddPs("a%MORVEL_SECRET%b.ps");
    ProcessResult r = w.RunDefault({"MORVEL_SECRET=oops"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    // Never run with the variable's value in place of the name.
    EXPECT_EQ(w.ConvertedInputs(), std::set<std::string>({w.Ps("plain.ps")}));
    EXPECT_EQ(r.err, "morvel: " + w.Ps("a%MORVEL_SECRET%b.ps") +
                         ": the command interpreter would replace %MORVEL_SECRET% in the command "
                         "line; not run\n");
    // The file is still announced, as every file is before its run.
    EXPECT_NE(r.out.find("Converting a%MORVEL_SECRET%b.ps to a%MORVEL_SECRET%b.jpg ...\n"),
              std::string::npos);
}

TEST(DriverWin32, NamesOfTheInterpretersOwnVariablesAreRefused) {
    DriverWorld w;
    const std::vector<std::string> variables = {"__CD__",         "__APPDIR__", "=ExitCode",
                                                "=exitcodeascii", "=C:",        "=z:"};
    for (const std::string& v : variables) {
        w.AddPs("x%" + v + "%y.ps");
    }
    ProcessResult r = w.Run({"--pages", w.gsDir, w.psDir});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(w.Calls().empty());
    for (const std::string& v : variables) {
        EXPECT_NE(r.err.find("morvel: " + w.Ps("x%" + v + "%y.ps") +
                             ": the command interpreter would replace %" + v +
                             "% in the command line; not run\n"),
                  std::string::npos)
            << v << "\n"
            << r.err;
    }
    // A dry run says the same.
    ProcessResult dry = w.Run({"--pages", "-n", w.gsDir, w.psDir});
    EXPECT_EQ(dry.status, 2);
    EXPECT_EQ(dry.out, r.out);
    EXPECT_EQ(dry.err, r.err);
}

TEST(DriverWin32, RootRelativeDirectoryIsKeptOnTheSameDrive) {
    DriverWorld w;
    w.AddPs("r.ps");
    ASSERT_EQ(w.psDir[1], ':');
    // "\dir" and "/dir" as given, where the Ghostscript directory shares the drive.
    std::string backslashed = w.psDir.substr(2);
    std::string slashed = backslashed;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    for (const std::string& dir : {backslashed, slashed}) {
        WriteFile(w.log, "");
        ProcessResult r = w.Run({w.gsDir, dir}, {}, w.root.path());
        EXPECT_EQ(r.status, 0) << r.err;
        std::string base = dir + "\\r";
        EXPECT_EQ(r.out, ExpectedOutput("r", base + ".jpg", base + ".ps"));
        ASSERT_EQ(w.Calls().size(), 1u);
        EXPECT_EQ(w.Calls()[0].args, ExpectedArgs(base + ".jpg", base + ".ps"));
    }
}

TEST(DriverWin32, RootRelativeDirectoryGetsItsDriveWhenTheConverterIsElsewhere) {
    DriverWorld w;
    w.AddPs("r.ps");
    ASSERT_EQ(w.psDir[1], ':');
    // A Ghostscript directory on another drive: the driver names the drive.
    std::string otherGs = std::string(w.psDir[0] == 'Z' || w.psDir[0] == 'z' ? "C:" : "Z:") + "\\";
    ProcessResult r = w.Run({otherGs, w.psDir.substr(2)}, {}, w.root.path());
    // Whatever happens in the other drive's root, the paths are complete.
    EXPECT_NE(r.out.find("-o \"" + w.Ps("r.jpg") + "\" \"" + w.Ps("r.ps") + "\""),
              std::string::npos)
        << r.out << r.err;
}

TEST(DriverWin32, DirectoriesAreSkippedWhateverTheirAttributes) {
    DriverWorld w;
    w.AddPs("real.ps");
    w.AddPs("hidden file.ps");
    ASSERT_TRUE(SetFileAttributesA(w.Ps("hidden file.ps").c_str(), FILE_ATTRIBUTE_HIDDEN));
    w.AddPs("locked.ps");
    ASSERT_TRUE(SetFileAttributesA(w.Ps("locked.ps").c_str(), FILE_ATTRIBUTE_READONLY));
    const struct {
        const char* name;
        DWORD attributes;
        DWORD mustStick; // what the search must report, or the case proves nothing
    } dirs[] = {
        {"x.ps", 0, 0},
        {"hidden.ps", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
        // Windows keeps a directory's read-only flag, Wine drops it.
        {"readonly.ps", FILE_ATTRIBUTE_READONLY, 0},
        {"system.ps", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
         FILE_ATTRIBUTE_HIDDEN},
    };
    for (const auto& d : dirs) {
        MakeDir(w.Ps(d.name));
        if (d.attributes != 0) {
            ASSERT_TRUE(SetFileAttributesA(w.Ps(d.name).c_str(), d.attributes)) << d.name;
        }
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(w.Ps(d.name).c_str(), &data);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << d.name;
        FindClose(h);
        DWORD wanted = d.mustStick | FILE_ATTRIBUTE_DIRECTORY;
        ASSERT_EQ(data.dwFileAttributes & wanted, wanted) << d.name;
    }
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(w.ConvertedInputs(),
              std::set<std::string>({w.Ps("hidden file.ps"), w.Ps("locked.ps"), w.Ps("real.ps")}));
    for (const auto& d : dirs) {
        SetFileAttributesA(w.Ps(d.name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SetFileAttributesA(w.Ps("locked.ps").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DriverWin32, UpperCaseExtensionIsConvertedUnderItsOwnName) {
    DriverWorld w;
    w.AddPs("LOUD.PS");
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    // The file as found, in a case-sensitive folder too; the image is the
    // base name and ".jpg".
    std::string jpg = w.Ps("LOUD.jpg");
    std::string ps = w.Ps("LOUD.PS");
    EXPECT_EQ(r.out, "Converting LOUD.PS to LOUD.jpg ...\n" + ConverterName() +
                         " -sDEVICE=jpeg -r120*120 -o \"" + jpg + "\" \"" + ps + "\"");
    ASSERT_EQ(w.Calls().size(), 1u);
    EXPECT_EQ(w.Calls()[0].args, ExpectedArgs(jpg, ps));
}

// Files with names Windows reads as devices are made, looked at and removed
// only through the \\?\ form, which never does.
bool WriteThroughPrefix(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, "%!PS\n", 5, &written, nullptr);
    CloseHandle(h);
    return ok && written == 5;
}

bool ExistsThroughPrefix(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(DriverWin32, DeviceNamesAreRefusedExceptUnderTheLongPathPrefix) {
    DriverWorld w;
    const std::string longForm = "\\\\?\\" + w.psDir + "\\";
    const std::vector<std::string> devices = {"nul.ps", "aux.tar.ps", "com1 .ps", "CONOUT$.ps",
                                              "Lpt\xC2\xB9.ps"};
    for (const std::string& name : devices) {
        ASSERT_TRUE(WriteThroughPrefix(longForm + name)) << name;
    }
    w.AddPs("fine.ps");
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.ConvertedInputs(), std::set<std::string>({w.Ps("fine.ps")}));
    for (const std::string& name : devices) {
        EXPECT_NE(r.err.find("morvel: " + w.Ps(name) + ": Windows reads "), std::string::npos)
            << r.err;
    }
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 5) << r.err;

    // Under the prefix, with a trailing separator, they are files like any.
    WriteFile(w.log, "");
    r = w.Run({w.gsDir, longForm});
    EXPECT_EQ(r.status, 0) << r.err;
    std::set<std::string> all = {longForm + "fine.ps"};
    for (const std::string& name : devices) {
        all.insert(longForm + name);
    }
    EXPECT_EQ(w.ConvertedInputs(), all);
    EXPECT_TRUE(ExistsThroughPrefix(longForm + "nul.jpg"));
    for (const std::string& name : devices) {
        std::string jpg = name.substr(0, name.size() - 3) + ".jpg";
        DeleteFileA((longForm + name).c_str());
        DeleteFileA((longForm + jpg).c_str());
    }
}

// Under Wine: the Unix path of a Windows one, or "" elsewhere. Through it
// the test makes what Win32 cannot: names that differ only in case.
std::string UnixPathUnderWine(const std::string& path) {
    typedef char*(__cdecl * UnixFileName)(const wchar_t*);
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (found == nullptr) {
        return std::string();
    }
    UnixFileName unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(found));
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
    char* unixName = unixFileName(wide.c_str());
    std::string result = unixName != nullptr ? unixName : "";
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

TEST(DriverWin32, SecondFileForTheSameImageIsNotRun) {
    // Names that differ only in case: one image file for each pair, in a
    // folder that keeps the names apart (Wine's Unix side makes one).
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"A.ps", "A.PS"},
        {"Mixed.ps", "mixed.ps"},
        {"\xD0\x94\xD0\x9E\xD0\x9A.ps", "\xD0\xB4\xD0\xBE\xD0\xBA.ps"}, // ДОК, док
    };
    for (int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        DriverWorld w;
        std::string unixDir = UnixPathUnderWine(w.psDir);
        if (unixDir.empty()) {
            GTEST_SKIP() << "needs Wine, whose Unix side makes a case-sensitive folder";
        }
        // Wine's start.exe of this program's own architecture: the one in
        // C:\windows\command is 32-bit in every prefix, and a kernel without
        // 32-bit support cannot start it from a 64-bit test.
        char systemDir[MAX_PATH];
        UINT length = GetSystemDirectoryA(systemDir, MAX_PATH);
        ASSERT_TRUE(length > 0 && length < MAX_PATH);
        std::string script = "cd \"$1\"";
        for (const auto& pair : pairs) {
            script += " && echo 1 >'" + pair.first + "' && echo 2 >'" + pair.second + "'";
        }
        ProcessResult made = RunProcess({std::string(systemDir) + "\\start.exe", "/wait", "/unix",
                                         "/bin/sh", "-c", script, "sh", unixDir});
        ASSERT_TRUE(made.started) << "Wine's start.exe did not start";
        // start /wait does not always wait for a Unix program: the files
        // may still be on their way.
        for (int tries = 0; tries < 200 && ListDir(w.psDir).size() < 2 * pairs.size(); ++tries) {
            Sleep(50);
        }
        ASSERT_EQ(ListDir(w.psDir).size(), 2 * pairs.size()) << made.err;
        ProcessResult r = w.Run({"-j", std::to_string(jobs), w.gsDir, w.psDir});
        EXPECT_EQ(r.status, 2);
        // One of each pair runs; the other is refused, saying which file
        // its image already is.
        ASSERT_EQ(w.Calls().size(), pairs.size()) << r.err;
        for (const ConverterCall& call : w.Calls()) {
            const std::string& first = call.args.back();
            for (const auto& pair : pairs) {
                if (first != w.Ps(pair.first) && first != w.Ps(pair.second)) {
                    continue;
                }
                std::string second = first == w.Ps(pair.first) ? pair.second : pair.first;
                std::string stem = second.substr(0, second.size() - 3);
                std::string firstJpg = first.substr(0, first.size() - 3) + ".jpg";
                std::string line =
                    "morvel: " + w.Ps(second) + ": " + w.Ps(stem + ".jpg") +
                    (w.Ps(stem + ".jpg") == firstJpg ? " is also the image of " + first
                                                     : " is the same file as " + firstJpg) +
                    "; not converted\n";
                EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
            }
        }
    }
}

TEST(DriverWin32, NamesOutsideTheLegacyCodePageConvertWhole) {
    DriverWorld w;
    // UTF-8, the ANSI code page of the program's manifest.
    const std::vector<std::string> names = {
        "caf\xC3\xA9",                                      // café
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", // Привет
        "\xE4\xB8\xAD\xE6\x96\x87",                         // 中文
        "\xF0\x9F\x98\x80smile",                            // 😀smile
        "mixed \xC3\xA9\xD0\x96\xE4\xB8\xAD",               // mixed éЖ中
    };
    for (const std::string& n : names) {
        w.AddPs(n + ".ps");
    }
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::set<std::string> expected;
    for (const std::string& n : names) {
        EXPECT_NE(r.out.find(ExpectedOutput(n, w.Ps(n + ".jpg"), w.Ps(n + ".ps"))),
                  std::string::npos)
            << n;
        EXPECT_TRUE(FileExists(w.Ps(n + ".jpg"))) << n;
        expected.insert(w.Ps(n + ".ps"));
    }
    // As the stand-in read them from its wide command line.
    EXPECT_EQ(w.ConvertedInputs(), expected);
}

TEST(DriverWin32, RedirectedOutputHasWindowsLineEnds) {
    DriverWorld w;
    w.AddPs("a.ps");
    ProcessResult r = w.RunRaw({w.gsDir, w.root.Sub("missing")});
    ASSERT_GE(r.err.size(), 2u);
    EXPECT_EQ(r.err.substr(r.err.size() - 2), "\r\n") << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    r = w.RunRaw({w.gsDir, w.psDir});
    EXPECT_EQ(r.out, "Converting a.ps to a.jpg ...\r\ngswin32c.exe -sDEVICE=jpeg -r120*120 -o \"" +
                         w.Ps("a.jpg") + "\" \"" + w.Ps("a.ps") + "\"");
}

TEST(DriverWin32, SixtyFourBitConverterWhenItIsTheOnlyOne) {
    DriverWorld w;
    w.AddPs("a.ps");
    std::string gs64 = w.root.Sub("gs64");
    MakeDir(gs64);
    WriteFile(JoinPath(gs64, "gswin64c.exe"), ReadFile(FAKE_CONVERTER_EXE));
    ProcessResult r = w.Run({gs64, w.psDir});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string jpg = w.Ps("a.jpg");
    std::string ps = w.Ps("a.ps");
    EXPECT_EQ(r.out, "Converting a.ps to a.jpg ...\ngswin64c.exe -sDEVICE=jpeg -r120*120 -o \"" +
                         jpg + "\" \"" + ps + "\"");
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].cwd, gs64);
    EXPECT_EQ(calls[0].args, ExpectedArgs(jpg, ps));

    // Beside gswin32c.exe it is not used.
    WriteFile(JoinPath(gs64, "gswin32c.exe"), ReadFile(FAKE_CONVERTER_EXE));
    r = w.Run({gs64, w.psDir});
    EXPECT_EQ(r.out, ExpectedOutput("a", jpg, ps));
}

TEST(DriverWin32, CtrlCStopsTheRun) {
    DriverWorld w;
    for (int i = 0; i < 4; ++i) {
        w.AddPs("f" + std::to_string(i) + ".ps");
    }
    // STATUS_CONTROL_C_EXIT, as a console program ended by Ctrl-C exits.
    ProcessResult r = w.RunDefault({"FAKE_GS_EXIT=-1073741510"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 130);
    EXPECT_EQ(w.Calls().size(), 1u) << "the user asked to stop";
    // What it wrote before the stop does not stay looking finished.
    EXPECT_NE(r.err.find(": converter interrupted (Ctrl+C); removed the partial image "),
              std::string::npos)
        << r.err;
}

TEST(DriverWin32, CrashedConverterIsReportedInHexAndTheRunGoesOn) {
    DriverWorld w;
    w.AddPs("crash.ps");
    w.AddPs("fine.ps");
    // STATUS_ACCESS_VIOLATION
    ProcessResult r = w.RunDefault({"FAKE_GS_MATCH=crash.ps", "FAKE_GS_EXIT=-1073741819"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.Calls().size(), 2u);
    EXPECT_EQ(r.err, "morvel: " + w.Ps("crash.ps") +
                         ": converter exited with status 0xC0000005; removed the partial image " +
                         w.Ps("crash.jpg") + "\n");
    EXPECT_FALSE(FileExists(w.Ps("crash.jpg")));
    EXPECT_TRUE(FileExists(w.Ps("fine.jpg")));
}

TEST(DriverWin32, MissingConverterIsNamedPerFile) {
    DriverWorld w;
    w.AddPs("a.ps");
    w.AddPs("b.ps");
    std::string emptyGs = w.root.Sub("empty-gs");
    MakeDir(emptyGs);
    ProcessResult r = w.Run({emptyGs, w.psDir});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    for (const char* name : {"a.ps", "b.ps"}) {
        EXPECT_NE(r.err.find("morvel: " + w.Ps(name) +
                             ": converter exited with status 9009 (the command interpreter did "
                             "not find gswin32c.exe)\n"),
                  std::string::npos)
            << r.err;
    }
}

TEST(DriverWin32, PathsAsLongAsTheSearchAllows) {
    DriverWorld w;
    // A directory whose pattern, with its terminator, fills MAX_PATH, and
    // names that make each path and the command far longer than the old
    // fixed buffers. The last level takes what is left, so the lengths are
    // the same wherever the temporary directory lies.
    const std::size_t longest = MAX_PATH - 1 - std::string("\\*.ps").size();
    std::string dir = w.psDir;
    ASSERT_LT(dir.size() + 1, longest) << dir;
    while (longest - dir.size() > 42) {
        dir = JoinPath(dir, std::string(40, static_cast<char>('a' + dir.size() % 26)));
    }
    dir = JoinPath(dir, std::string(longest - dir.size() - 1, 'z'));
    MakeDir(dir);
    std::string name(240, 'n');
    WriteFile(JoinPath(dir, name + ".ps"), "%!PS\n");
    ProcessResult r = w.Run({w.gsDir, dir});
    // Past MAX_PATH a converter without long-path support cannot write the
    // image (Wine's can): morvel looks at it through the wide API and says
    // what happened. The paths reach the converter whole either way.
    std::string jpg = JoinPath(dir, name + ".jpg");
    std::error_code ec;
    bool written = std::filesystem::exists(std::filesystem::u8path(jpg), ec);
    EXPECT_EQ(r.status, written ? 0 : 2);
    EXPECT_EQ(r.err, written ? std::string()
                             : "morvel: " + JoinPath(dir, name + ".ps") +
                                   ": the converter wrote no image\n");
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    std::string ps = JoinPath(dir, name + ".ps");
    std::string command = "gswin32c.exe -sDEVICE=jpeg -r120*120 -o \"" + jpg + "\" \"" + ps + "\"";
    EXPECT_GT(command.size(), 1023u);
    EXPECT_EQ(calls[0].args, ExpectedArgs(jpg, ps));
    EXPECT_EQ(r.out, ExpectedOutput(name, jpg, ps));
}
