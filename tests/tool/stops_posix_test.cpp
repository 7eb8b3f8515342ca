// Converters that will not end, or that someone else stops, and both
// streams into one file: what only POSIX signals and descriptors can show.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <sstream>
#include <string>
#include <vector>

#include <signal.h>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

namespace {

// The entries in the order a run takes them, as a dry run prints them.
std::vector<std::string> RunOrder(DriverWorld& w) {
    ProcessResult dry = w.Run({"-n", w.gsDir, w.psDir});
    std::vector<std::string> names;
    for (std::size_t at = dry.out.find("Converting "); at != std::string::npos;
         at = dry.out.find("Converting ", at + 1)) {
        names.push_back(dry.out.substr(at + 11, dry.out.find(' ', at + 11) - at - 11));
    }
    return names;
}

} // namespace

TEST(StopsPosix, AConverterDeafToTerminateIsKilledAndNoneOutlivesMorvel) {
    DriverWorld w;
    w.AddPs("deaf.ps");
    const std::string pids = w.root.Sub("pids");
    const auto start = std::chrono::steady_clock::now();
    ProcessResult r =
        w.Run({"--timeout", "0.2", w.gsDir, w.psDir},
              {"FAKE_GS_IGNORE_TERM=1", "FAKE_GS_HANG_MS=30000", "FAKE_GS_PIDS=" + pids});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::seconds(5)); // the grace after SIGTERM
    EXPECT_LT(took, std::chrono::seconds(25));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "morvel: " + w.Ps("deaf.ps") +
                         ": converter stopped after 0.2 s (--timeout); removed the partial image " +
                         w.Ps("deaf.jpg") + "\n");
    const long pid = std::stol(ReadFile(pids));
    EXPECT_EQ(kill(static_cast<pid_t>(pid), 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(StopsPosix, AConverterStoppedBySomeoneElseStopsTheRunAtOnce) {
    DriverWorld w;
    for (const char* name : {"a.ps", "b.ps", "c.ps", "d.ps", "e.ps", "f.ps", "g.ps"}) {
        w.AddPs(name);
    }
    const std::vector<std::string> order = RunOrder(w);
    ASSERT_EQ(order.size(), 7u);
    // The third ends by SIGTERM of its own at once; the others would take a minute.
    const auto start = std::chrono::steady_clock::now();
    ProcessResult r =
        w.Run({"-j", "4", w.gsDir, w.psDir},
              {"FAKE_GS_MATCH=" + order[2], "FAKE_GS_SIGNAL=" + std::to_string(SIGTERM),
               "FAKE_GS_OTHERS_MS=60000", "FAKE_GS_NO_IMAGE=1"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(r.status, 128 + SIGTERM);
    EXPECT_LE(w.Calls().size(), 4u) << "nothing starts once the stop is seen";
    std::string expected;
    for (int i = 0; i < 3; ++i) {
        expected += "morvel: " + w.Ps(order[i]) + ": converter killed by signal " +
                    std::to_string(SIGTERM) + " (Terminated)\n";
    }
    EXPECT_EQ(r.err, expected);
    EXPECT_NE(r.out.find("Converting " + order[2]), std::string::npos);
    EXPECT_EQ(r.out.find("Converting " + order[3]), std::string::npos);
}

TEST(StopsPosix, BothStreamsIntoOneFileKeepTheConvertersOrder) {
    DriverWorld w;
    for (const char* name : {"a.ps", "b.ps", "c.ps"}) {
        w.AddPs(name);
    }
    std::string logs[2];
    const char* jobs[2] = {"1", "4"};
    for (int i = 0; i < 2; ++i) {
        const std::string log = w.root.Sub(std::string("log") + jobs[i]);
        ProcessResult r =
            RunProcess({"/bin/sh", "-c", "exec \"$0\" -j \"$1\" \"$2\" \"$3\" >\"$4\" 2>&1",
                        MORVEL_EXE, jobs[i], w.gsDir, w.psDir, log},
                       "", {"FAKE_GS_LOG=" + w.log, "FAKE_GS_INTERLEAVE=1"});
        EXPECT_EQ(r.status, 0);
        logs[i] = ReadFile(log);
    }
    EXPECT_NE(logs[0].find("1 out\n2 err\n3 out\n4 err\n"), std::string::npos) << logs[0];
    EXPECT_EQ(logs[1], logs[0]);
}
