// A time limit per converter: the file fails, what it half wrote goes, and
// the run goes on.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(TimeLimit, AConverterPastTheLimitIsStoppedAndTheRunGoesOn) {
    // Long enough for the quick ones on a loaded machine (under Wine a
    // program takes a good part of a second to start); decimals allowed.
    const std::string limit = HostIsWindows() ? "6" : "1.5";
    // One at a time under Wine only below, where a converter starts slowly.
    const std::vector<std::string> jobCounts =
        HostIsWindows() ? std::vector<std::string>{"3"} : std::vector<std::string>{"1", "3"};
    for (const std::string& jobs : jobCounts) {
        SCOPED_TRACE(jobs);
        DriverWorld w;
        for (const char* name : {"a.ps", "b.ps", "slow.ps", "d.ps", "e.ps"}) {
            w.AddPs(name);
        }
        // It writes its image, then never ends.
        const auto start = std::chrono::steady_clock::now();
        ProcessResult r = w.Run({"--timeout", limit, "-j", jobs, w.gsDir, w.psDir},
                                {"FAKE_GS_MATCH=slow.ps", "FAKE_GS_HANG_MS=30000"});
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::seconds(25));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "morvel: " + w.Ps("slow.ps") + ": converter stopped after " + limit +
                             " s (--timeout); removed the partial "
                             "image " +
                             w.Ps("slow.jpg") + "\n");
        EXPECT_EQ(w.Calls().size(), 5u);
        EXPECT_FALSE(FileExists(w.Ps("slow.jpg")));
        for (const char* name : {"a.jpg", "b.jpg", "d.jpg", "e.jpg"}) {
            EXPECT_TRUE(FileExists(w.Ps(name))) << name;
        }
    }
    // An image it never touched stays.
    DriverWorld w;
    w.AddPs("slow.ps");
    WriteFile(w.Ps("slow.jpg"), "earlier");
    ProcessResult r =
        w.Run({"--timeout=1", w.gsDir, w.psDir}, {"FAKE_GS_NO_IMAGE=1", "FAKE_GS_HANG_MS=30000"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "morvel: " + w.Ps("slow.ps") + ": converter stopped after 1 s (--timeout)\n");
    EXPECT_EQ(ReadFile(w.Ps("slow.jpg")), "earlier");
}
