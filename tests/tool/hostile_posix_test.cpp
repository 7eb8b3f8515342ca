// Hostile directories and converters: whatever they do, morvel must not
// crash, hang, lose a file, write outside the PostScript directory or call a
// failure success.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(Hostile, AThousandFilesEachConvertedOnce) {
    DriverWorld w;
    for (int i = 0; i < 1000; ++i) {
        w.AddPs("file" + std::to_string(i) + ".ps");
    }
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<ConverterCall> calls = w.Calls();
    EXPECT_EQ(calls.size(), 1000u);
    EXPECT_EQ(w.ConvertedInputs().size(), 1000u);
    EXPECT_EQ(ListDir(w.psDir).size(), 2000u);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1000);
}

TEST(Hostile, EveryByteAPosixNameMayHold) {
    DriverWorld w;
    std::string low, high;
    for (int b = 1; b < 128; ++b) {
        if (b != '/') {
            low += static_cast<char>(b);
        }
    }
    for (int b = 128; b < 256; ++b) {
        high += static_cast<char>(b);
    }
    w.AddPs(low + ".ps");
    w.AddPs(high + ".ps");
    ProcessResult r = w.RunDefault({"FAKE_GS_INPUT=1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(w.ConvertedInputs(), std::set<std::string>({w.Ps(low + ".ps"), w.Ps(high + ".ps")}));
    EXPECT_TRUE(FileExists(w.Ps(low + ".jpg")));
    EXPECT_TRUE(FileExists(w.Ps(high + ".jpg")));
}

TEST(Hostile, DirectoryPathBeyondTheHostLimitIsRefusedClearly) {
    DriverWorld w;
    // Built one level at a time: the whole path is longer than PATH_MAX.
    std::string rel;
    int fd = open(w.psDir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::string component(200, 'd');
    while (w.psDir.size() + rel.size() < PATH_MAX + 100) {
        ASSERT_EQ(mkdirat(fd, component.c_str(), 0755), 0);
        int next = openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        rel += "/" + component;
    }
    int file = openat(fd, "deep.ps", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    close(file);
    close(fd);
    ProcessResult r = w.Run({w.gsDir, w.psDir + rel});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("File name too long"), std::string::npos) << r.err;
    EXPECT_TRUE(w.Calls().empty());

    // Path-based removal cannot reach that deep: take it apart level by level.
    std::vector<int> fds = {open(w.psDir.c_str(), O_RDONLY | O_DIRECTORY)};
    for (std::size_t depth = 0; depth < rel.size() / (component.size() + 1); ++depth) {
        fds.push_back(openat(fds.back(), component.c_str(), O_RDONLY | O_DIRECTORY));
    }
    unlinkat(fds.back(), "deep.ps", 0);
    for (std::size_t i = fds.size() - 1; i > 0; --i) {
        close(fds[i]);
        unlinkat(fds[i - 1], component.c_str(), AT_REMOVEDIR);
    }
    close(fds[0]);
}

TEST(Hostile, EntriesThatVanishBeforeTheirTurnAreReported) {
    DriverWorld w;
    w.AddPs("a.ps");
    w.AddPs("b.ps");
    w.AddPs("c.ps");
    ProcessResult r = w.RunDefault({"FAKE_GS_INPUT=1", "FAKE_GS_MATCH=never"});
    ASSERT_EQ(r.status, 0);
    std::vector<ConverterCall> order = w.Calls();
    ASSERT_EQ(order.size(), 3u);
    // Same directory, same order: remove the second and third in the first run.
    WriteFile(w.log, "");
    std::string second = order[1].args[4];
    r = w.RunDefault({"FAKE_GS_INPUT=1", "FAKE_GS_REMOVE=" + second});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.Calls().size(), 3u) << "every listed file is still tried";
    EXPECT_EQ(r.err, "morvel: " + second + ": converter exited with status 1\n");
}

TEST(Hostile, DirectoryRemovedDuringTheRun) {
    DriverWorld w;
    for (int i = 0; i < 4; ++i) {
        w.AddPs("f" + std::to_string(i) + ".ps");
    }
    ProcessResult r = w.RunDefault({"FAKE_GS_INPUT=1", "FAKE_GS_REMOVE=" + w.psDir});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.Calls().size(), 4u);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 4) << r.err;
    EXPECT_FALSE(FileExists(w.psDir));
}

TEST(Hostile, ConverterFloodingOrClosingItsStreams) {
    DriverWorld w;
    w.AddPs("a.ps");
    w.AddPs("b.ps");
    ProcessResult flood = w.RunDefault({"FAKE_GS_FLOOD=4000000"});
    EXPECT_EQ(flood.status, 0);
    EXPECT_GE(flood.out.size(), 8000000u);
    EXPECT_EQ(std::count(flood.out.begin(), flood.out.end(), '\n'), 2);

    ProcessResult closing = w.RunDefault({"FAKE_GS_CLOSE=1"});
    EXPECT_EQ(closing.status, 0) << closing.err;
    // Our own lines for both files still arrive whole.
    EXPECT_NE(closing.out.find("Converting a.ps to a.jpg ...\n"), std::string::npos);
    EXPECT_NE(closing.out.find("Converting b.ps to b.jpg ...\n"), std::string::npos);
}

TEST(Hostile, NothingWrittenOutsideThePostScriptDirectory) {
    DriverWorld w;
    w.AddPs("x.ps");
    w.AddPs("..ps");
    w.AddPs("-o.ps");
    std::vector<std::string> rootBefore = ListDir(w.root.path());
    std::vector<std::string> gsBefore = ListDir(w.gsDir);
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListDir(w.gsDir), gsBefore);
    std::vector<std::string> rootAfter = ListDir(w.root.path());
    rootAfter.erase(std::remove(rootAfter.begin(), rootAfter.end(), "calls.log"), rootAfter.end());
    rootBefore.erase(std::remove(rootBefore.begin(), rootBefore.end(), "calls.log"),
                     rootBefore.end());
    EXPECT_EQ(rootAfter, rootBefore);
    EXPECT_EQ(ListDir(w.psDir),
              std::vector<std::string>({"-o.jpg", "-o.ps", "..jpg", "..ps", "x.jpg", "x.ps"}));
}

TEST(Hostile, OutOfMemoryStopsTheRunWithOneLine) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit under the limit";
#endif
    DriverWorld w;
    for (int i = 0; i < 1500; ++i) {
        WriteFile(w.Ps(std::string(240, 'n') + std::to_string(i) + ".ps"), "");
    }
    ProcessResult r = RunProcess({"/bin/sh", "-c", "ulimit -d 768 && exec \"$0\" \"$1\" \"$2\"",
                                  MORVEL_EXE, w.gsDir, w.psDir},
                                 "", {"FAKE_GS_LOG=" + w.log});
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal;
    EXPECT_EQ(r.status, 2);
    std::string::size_type last = r.err.rfind('\n', r.err.size() - 2);
    std::string lastLine = r.err.substr(last == std::string::npos ? 0 : last + 1);
    EXPECT_EQ(lastLine.rfind("morvel: " + w.psDir, 0), 0u) << lastLine;
    EXPECT_EQ(lastLine.substr(lastLine.size() - 16), ": out of memory\n") << lastLine;
}
