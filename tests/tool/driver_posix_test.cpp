// What only a POSIX host can do to the driver: any byte in a name, signals,
// FIFOs, and finding the converter on PATH.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(DriverPosix, HostileNamesReachTheConverterByteForByte) {
    DriverWorld w;
    const std::vector<std::string> names = {
        "two  spaces",       "quote\"d",        "single'q",    "$HOME", "$(touch pwned)",
        "`touch pwned2`",    "semi;colon",      "amp&er",      "pi|pe", "-leading-dash",
        "new\nline",         "tab\there",       "back\\slash", "star*", "question?",
        "\xC3\xA9t\xC3\xA9", "bad\xFF\xFEutf8", "<>",          "#hash",
    };
    for (const std::string& n : names) {
        w.AddPs(n + ".ps");
    }
    ProcessResult r = w.RunDefault({"FAKE_GS_WRITE=1"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), names.size());
    std::vector<std::string> seen;
    for (const ConverterCall& c : calls) {
        ASSERT_EQ(c.args.size(), 5u);
        const std::string& ps = c.args[4];
        std::string name = w.BaseName(ps);
        seen.push_back(name);
        EXPECT_EQ(c.args, ExpectedArgs(w.Ps(name + ".jpg"), w.Ps(name + ".ps")));
        EXPECT_TRUE(FileExists(w.Ps(name + ".jpg"))) << name;
        // The progress line carries the name unchanged too.
        EXPECT_NE(r.out.find("Converting " + name + ".ps to " + name + ".jpg ...\n"),
                  std::string::npos)
            << name;
    }
    std::sort(seen.begin(), seen.end());
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
    // Nothing was run by a shell.
    EXPECT_FALSE(FileExists(JoinPath(w.gsDir, "pwned")));
    EXPECT_FALSE(FileExists(JoinPath(w.gsDir, "pwned2")));
    EXPECT_FALSE(FileExists(w.Ps("pwned")));
}

TEST(DriverPosix, LongestNameTheHostAllows) {
    DriverWorld w;
    std::string name(252, 'L'); // 255 bytes with ".ps", the file system's limit
    w.AddPs(name + ".ps");
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(w.Calls().size(), 1u);
    EXPECT_EQ(w.Calls()[0].args[4], w.Ps(name + ".ps"));
}

TEST(DriverPosix, CrashingConverterIsReportedAndTheRunGoesOn) {
    DriverWorld w;
    w.AddPs("crash.ps");
    w.AddPs("fine.ps");
    ProcessResult r = w.RunDefault({"FAKE_GS_MATCH=crash.ps", "FAKE_GS_SIGNAL=11"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.Calls().size(), 2u);
    EXPECT_EQ(r.err.rfind("morvel: " + w.Ps("crash.ps") + ": converter killed by signal 11", 0), 0u)
        << r.err;
}

TEST(DriverPosix, InterruptedConverterStopsTheRun) {
    for (int sig : {SIGINT, SIGTERM}) {
        DriverWorld w;
        for (int i = 0; i < 5; ++i) {
            w.AddPs("f" + std::to_string(i) + ".ps");
        }
        ProcessResult r = w.RunDefault({"FAKE_GS_SIGNAL=" + std::to_string(sig)});
        ASSERT_TRUE(r.exited) << sig;
        EXPECT_EQ(r.status, 128 + sig);
        EXPECT_EQ(w.Calls().size(), 1u) << "the user asked to stop";
        EXPECT_NE(r.err.find("converter killed by signal " + std::to_string(sig)),
                  std::string::npos);
    }
}

TEST(DriverPosix, ConverterFoundOnPathWhenNotInItsDirectory) {
    DriverWorld w;
    w.AddPs("a.ps");
    std::string emptyGs = w.root.Sub("empty-gs");
    MakeDir(emptyGs);
    ProcessResult r =
        w.Run({emptyGs, w.psDir}, {std::string("PATH=") + FAKE_CONVERTER_DIR + ":/usr/bin:/bin"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].cwd, emptyGs);
}

TEST(DriverPosix, ConverterInItsDirectoryWinsOverPath) {
    DriverWorld w;
    w.AddPs("a.ps");
    // A converter on PATH that would leave a mark if it ran.
    std::string decoy = w.root.Sub("decoy");
    MakeDir(decoy);
    WriteFile(JoinPath(decoy, "gs"), "#!/bin/sh\ntouch \"$0.ran\"\n");
    MakeExecutable(JoinPath(decoy, "gs"));
    ProcessResult r = w.RunDefault({"PATH=" + decoy + ":/usr/bin:/bin"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(w.Calls().size(), 1u);
    EXPECT_FALSE(FileExists(JoinPath(decoy, "gs.ran")));
}

TEST(DriverPosix, MissingConverterIsReportedPerFile) {
    DriverWorld w;
    w.AddPs("a.ps");
    w.AddPs("b.ps");
    std::string emptyGs = w.root.Sub("empty-gs");
    MakeDir(emptyGs);
    ProcessResult r = w.Run({emptyGs, w.psDir}, {"PATH=" + emptyGs});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("morvel: " + w.Ps("a.ps") + ": cannot start gs: "), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("morvel: " + w.Ps("b.ps") + ": cannot start gs: "), std::string::npos);
}

TEST(DriverPosix, SpecialFilesAndDirectoriesAreNeverConverted) {
    DriverWorld w;
    w.AddPs("real.ps");
    ASSERT_EQ(mkfifo(w.Ps("pipe.ps").c_str(), 0644), 0);
    MakeDir(w.Ps("dir.ps"));
    MakeDir(w.Ps(".hidden.ps"));
    MakeDir(w.Ps("locked.ps"));
    chmod(w.Ps("locked.ps").c_str(), 0555);
    ASSERT_EQ(symlink("real.ps", w.Ps("link.ps").c_str()), 0);
    ProcessResult r = w.RunDefault();
    ASSERT_TRUE(r.exited);
    std::vector<std::string> converted;
    for (const ConverterCall& c : w.Calls()) {
        converted.push_back(c.args.at(4));
    }
    std::sort(converted.begin(), converted.end());
    // A link to a file is a file; the FIFO is named and left alone.
    EXPECT_EQ(converted, std::vector<std::string>({w.Ps("link.ps"), w.Ps("real.ps")}));
    EXPECT_EQ(r.err, "morvel: " + w.Ps("pipe.ps") + ": not a regular file; skipped\n");
    EXPECT_EQ(r.status, 2);
}

TEST(DriverPosix, UnreadableDirectoryIsAnError) {
    // Mode 0644 lets the names be read but nothing in the directory be used.
    for (mode_t mode : {0000, 0644}) {
        SCOPED_TRACE(mode);
        DriverWorld w;
        w.AddPs("a.ps");
        chmod(w.psDir.c_str(), mode);
        ProcessResult r;
        if (geteuid() == 0) {
            // Root reads every directory: run as nobody instead.
            ASSERT_EQ(access("/usr/bin/setpriv", X_OK), 0) << "setpriv (util-linux) is needed";
            std::vector<std::string> asNobody = {"/usr/bin/setpriv", "--reuid=65534",
                                                 "--regid=65534", "--clear-groups", MORVEL_EXE};
            if (RunProcess(asNobody).status != 1) {
                chmod(w.psDir.c_str(), 0755);
                GTEST_SKIP() << "the build tree is out of nobody's reach";
            }
            asNobody.push_back(w.gsDir);
            asNobody.push_back(w.psDir);
            r = RunProcess(asNobody);
        } else {
            r = w.RunDefault();
        }
        chmod(w.psDir.c_str(), 0755);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "morvel: " + w.psDir + ": cannot search directory: Permission denied\n");
        EXPECT_TRUE(w.Calls().empty());
    }
}

TEST(DriverPosix, DotDotAfterALinkIsTheLinkTargetsParent) {
    DriverWorld w;
    // base/lnk -> other/inner, so base/lnk/.. is other, as ls shows it.
    std::string base = w.root.Sub("base");
    std::string other = w.root.Sub("other");
    MakeDir(base);
    MakeDir(other);
    MakeDir(JoinPath(other, "inner"));
    ASSERT_EQ(symlink(JoinPath(other, "inner").c_str(), JoinPath(base, "lnk").c_str()), 0);
    WriteFile(JoinPath(base, "wrong.ps"), "");
    WriteFile(JoinPath(other, "right.ps"), "");
    ProcessResult r = w.Run({w.gsDir, "lnk/.."}, {}, base);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Converting right.ps to right.jpg ...\n", 0), 0u) << r.out;
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    std::string ps = calls[0].args.back();
    EXPECT_EQ(ps.substr(ps.size() - 16), "/lnk/../right.ps") << ps;
}

TEST(DriverPosix, ControlCharactersInNamesAreEscapedInMessages) {
    DriverWorld w;
    w.AddPs("bad\nline\t\x01.ps");
    ProcessResult r = w.RunDefault({"FAKE_GS_EXIT=3"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "morvel: " + w.psDir + "/bad\\nline\\t\\x01.ps: converter exited with status 3\n");
    // Standard output keeps the real bytes.
    EXPECT_EQ(r.out.rfind("Converting bad\nline\t\x01.ps to", 0), 0u);
}

TEST(DriverPosix, FullStandardOutputIsAFailure) {
    DriverWorld w;
    w.AddPs("a.ps");
    std::string script = "exec \"$0\" \"$1\" \"$2\" > /dev/full";
    ProcessResult r = RunProcess({"/bin/sh", "-c", script, MORVEL_EXE, w.gsDir, w.psDir}, "",
                                 {"FAKE_GS_LOG=" + w.log});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("morvel: standard output: write failed"), std::string::npos) << r.err;
}

TEST(DriverPosix, ConverterGetsSignalsTheCallerIgnoredBack) {
    DriverWorld w;
    w.AddPs("a.ps");
    std::string report = w.root.Sub("signals.txt");
    // As a script started in the background with "nohup" or "trap '' INT" would.
    std::string script = "trap '' INT TERM; exec \"$0\" \"$1\" \"$2\"";
    ProcessResult r = RunProcess({"/bin/sh", "-c", script, MORVEL_EXE, w.gsDir, w.psDir}, "",
                                 {"FAKE_GS_LOG=" + w.log, "FAKE_GS_SIGNALS=" + report});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(report),
              std::to_string(SIGINT) + "=default\n" + std::to_string(SIGTERM) + "=default\n");
}
