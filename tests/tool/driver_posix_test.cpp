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
    ProcessResult r = w.RunDefault();
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
    std::string name(251, 'L'); // 255 bytes with ".jpg", the file system's limit
    w.AddPs(name + ".ps");
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(w.Calls().size(), 1u);
    EXPECT_EQ(w.Calls()[0].args[4], w.Ps(name + ".ps"));
    EXPECT_TRUE(FileExists(w.Ps(name + ".jpg")));
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

// Runs morvel through sh -c with script around it ("$0" is morvel, "$1"
// and "$2" the directories), as cron jobs and supervisors start it.
ProcessResult RunThroughShell(const DriverWorld& w, const std::string& script,
                              std::vector<std::string> env = {}) {
    env.push_back("FAKE_GS_LOG=" + w.log);
    return RunProcess({"/bin/sh", "-c", script, MORVEL_EXE, w.gsDir, w.psDir}, "", env);
}

TEST(DriverPosix, MessagesGiveTheSystemsOwnReason) {
    DriverWorld w;
    w.AddPs("a.ps");
    WriteFile(w.root.Sub("plain-file"), "");
    ASSERT_EQ(symlink("loop", w.root.Sub("loop").c_str()), 0);
    ProcessResult file = w.Run({w.gsDir, w.root.Sub("plain-file")});
    EXPECT_EQ(file.err, "morvel: " + w.root.Sub("plain-file") +
                            ": cannot search directory: Not a directory\n");
    ProcessResult loop = w.Run({w.gsDir, w.root.Sub("loop")});
    EXPECT_EQ(loop.err, "morvel: " + w.root.Sub("loop") +
                            ": cannot search directory: Too many levels of symbolic links\n");

    // A gs that cannot be run, with none on PATH: execvp's reason.
    std::string gsFile = w.root.Sub("gs-file");
    std::string gsDirectory = w.root.Sub("gs-directory");
    MakeDir(gsFile);
    MakeDir(gsDirectory);
    WriteFile(JoinPath(gsFile, "gs"), "#!/bin/sh\n");
    chmod(JoinPath(gsFile, "gs").c_str(), 0644);
    MakeDir(JoinPath(gsDirectory, "gs"));
    for (const std::string& dir : {gsFile, gsDirectory}) {
        ProcessResult r = w.Run({dir, w.psDir}, {"PATH=" + w.root.Sub("nowhere")});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "morvel: " + w.Ps("a.ps") + ": cannot start gs: Permission denied\n");
    }
    // ... and one on PATH is still found.
    ProcessResult onPath = w.Run({gsFile, w.psDir}, {std::string("PATH=") + FAKE_CONVERTER_DIR});
    EXPECT_EQ(onPath.status, 0) << onPath.err;

    ProcessResult full = RunThroughShell(w, "exec \"$0\" \"$1\" \"$2\" > /dev/full");
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.err, "morvel: standard output: No space left on device\n");
}

TEST(DriverPosix, ConverterStartsWithTheStandardStreamsOpen) {
    struct Case {
        const char* redirections;
        int status;
        const char* err; // what morvel says, where stderr is open
    };
    const char* const kLost = "morvel: standard output: Bad file descriptor\n";
    for (const Case& k :
         {Case{"<&- >&-", 2, kLost}, Case{"2>&-", 0, ""}, Case{"<&- >&- 2>&-", 2, ""}}) {
        SCOPED_TRACE(k.redirections);
        DriverWorld w;
        w.AddPs("a.ps");
        std::string fds = w.root.Sub("fds.txt");
        ProcessResult r = RunThroughShell(
            w, std::string("exec \"$0\" \"$1\" \"$2\" ") + k.redirections, {"FAKE_GS_FDS=" + fds});
        EXPECT_EQ(ReadFile(fds), "0=open\n1=open\n2=open\n");
        EXPECT_EQ(ReadFile(w.Ps("a.jpg")), "fake jpeg");
        // Output to a closed stdout is still lost, and said so.
        EXPECT_EQ(r.status, k.status);
        EXPECT_EQ(r.err, k.err);
    }
}

TEST(DriverPosix, ConverterKeepsTheSignalSettingsMorvelWasStartedWith) {
    DriverWorld w;
    w.AddPs("a.ps");
    std::string report = w.root.Sub("signals.txt");
    // A background job's INT and TERM ignored, SIGUSR1 blocked, and SIGCHLD
    // ignored as some supervisors leave it: every conversion still counts.
    sigset_t usr1, old;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    sigprocmask(SIG_BLOCK, &usr1, &old);
    // (sh will not pass an ignored SIGCHLD on; perl does.)
    ProcessResult r = RunProcess({"/usr/bin/perl", "-e",
                                  "$SIG{$_} = 'IGNORE' for qw(INT TERM CHLD); exec @ARGV or die",
                                  MORVEL_EXE, w.gsDir, w.psDir},
                                 "", {"FAKE_GS_LOG=" + w.log, "FAKE_GS_SIGNALS=" + report});
    sigprocmask(SIG_SETMASK, &old, nullptr);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(report), std::to_string(SIGINT) + "=ignored\n" + std::to_string(SIGTERM) +
                                    "=ignored\n" + std::to_string(SIGCHLD) +
                                    "=default\nSIGUSR1=blocked\n");
}
