// Reruns that redo only what changed, and a dry run that changes nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

namespace {

// Sets path's modification time seconds away from now.
void Age(const std::string& path, int seconds) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::last_write_time(fs::u8path(path),
                        fs::file_time_type::clock::now() + std::chrono::seconds(seconds), ec);
    ASSERT_FALSE(ec) << path;
}

} // namespace

TEST(Reruns, UpdateRedoesOnlyWhatIsMissingOlderOrEmpty) {
    DriverWorld w;
    for (const char* name : {"fresh", "stale", "missing", "empty", "twin"}) {
        w.AddPs(std::string(name) + ".ps");
        Age(w.Ps(std::string(name) + ".ps"), -100);
    }
    for (const char* name : {"fresh", "stale", "empty"}) {
        WriteFile(w.Ps(std::string(name) + ".jpg"), std::string(name) == "empty" ? "" : "jpeg");
    }
    Age(w.Ps("stale.jpg"), -200);
    MakeDir(w.Ps("twin.jpg")); // refused before any skip
    ProcessResult r = w.Run({"-u", w.gsDir, w.psDir});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "morvel: " + w.Ps("twin.ps") + ": " + w.Ps("twin.jpg") +
                         " is a directory, not a regular file; not converted\n");
    const std::set<std::string> redone = {w.Ps("stale.ps"), w.Ps("missing.ps"), w.Ps("empty.ps")};
    EXPECT_EQ(w.ConvertedInputs(), redone);
    EXPECT_EQ(r.out.find("fresh"), std::string::npos);
    EXPECT_EQ(ReadFile(w.Ps("fresh.jpg")), "jpeg");

    // Everything is up to date now but the file touched since.
    Age(w.Ps("fresh.ps"), 100);
    r = w.Run({"--update", w.gsDir, w.psDir});
    EXPECT_EQ(w.Calls().size(), 4u);
    EXPECT_EQ(w.Calls().back().args.back(), w.Ps("fresh.ps"));
}

TEST(Reruns, DryRunPrintsWhatWouldRunAndTouchesNothing) {
    DriverWorld w;
    for (const char* name : {"a.ps", "b.ps", "c.ps"}) {
        w.AddPs(name);
    }
    MakeDir(w.Ps("c.jpg"));
    ProcessResult real = w.Run({"-j", "1", w.gsDir, w.psDir});
    const std::vector<std::string> before = ListDir(w.psDir);
    for (const char* jobs : {"1", "3"}) {
        std::remove(w.log.c_str());
        ProcessResult dry = w.Run({"-n", "-j", jobs, w.gsDir, w.psDir});
        EXPECT_EQ(dry.status, 2) << jobs;
        EXPECT_EQ(dry.out, real.out) << jobs;
        EXPECT_EQ(dry.err, real.err) << jobs;
        EXPECT_TRUE(w.Calls().empty());
        EXPECT_EQ(ListDir(w.psDir), before);
    }
    // With -u only what would run; nothing refused means status 0.
    std::filesystem::remove(std::filesystem::u8path(w.Ps("c.jpg")));
    WriteFile(w.Ps("c.jpg"), "jpeg");
    Age(w.Ps("b.ps"), 100);
    ProcessResult dry = w.Run({"--dry-run", "-u", w.gsDir, w.psDir});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, ExpectedOutput("b", w.Ps("b.jpg"), w.Ps("b.ps")));
    EXPECT_TRUE(w.Calls().empty());
}
