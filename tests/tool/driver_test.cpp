// The built morvel, run as a user runs it, against the stand-in converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(Driver, MissingArgumentsPrintUsageOnly) {
    DriverWorld w;
    w.AddPs("a.ps");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{w.gsDir}}) {
        ProcessResult r = w.Run(args);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, UsageText());
        EXPECT_EQ(r.err, "");
    }
    EXPECT_TRUE(w.Calls().empty());
}

TEST(Driver, ConvertsOneFileWithTheExactCommand) {
    DriverWorld w;
    w.AddPs("report.ps");
    WriteFile(w.Ps("notes.txt"), "");
    ProcessResult r = w.RunDefault();
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
    std::string jpg = w.Ps("report.jpg");
    std::string ps = w.Ps("report.ps");
    EXPECT_EQ(r.out, ExpectedOutput("report", jpg, ps));
    EXPECT_EQ(r.err, "");
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, ExpectedArgs(jpg, ps));
    // It runs in the Ghostscript directory.
    EXPECT_EQ(calls[0].cwd, w.gsDir);
    EXPECT_TRUE(FileExists(jpg));
}

TEST(Driver, EmptyDirectoryIsSilentSuccess) {
    DriverWorld w;
    WriteFile(w.Ps("readme.txt"), "");
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(w.Calls().empty());
}

TEST(Driver, EveryFileOnceInScanOrderAndExtraArgumentsIgnored) {
    DriverWorld w;
    std::vector<std::string> names = {"one", "two", "a.b", "three", "four"};
    for (const std::string& n : names) {
        w.AddPs(n + ".ps");
    }
    MakeDir(w.Ps("x.ps")); // a directory, never converted
    ProcessResult r = w.Run({w.gsDir, w.psDir, "extra", "args"});
    EXPECT_EQ(r.status, 0);
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), names.size());
    std::string expectedOut;
    std::vector<std::string> seen;
    for (const ConverterCall& c : calls) {
        ASSERT_EQ(c.args.size(), 5u);
        std::string ps = c.args[4];
        std::string name = w.BaseName(ps);
        seen.push_back(name);
        expectedOut += ExpectedOutput(name, w.Ps(name + ".jpg"), ps);
    }
    // stdout follows the converter runs one for one, in the same order.
    EXPECT_EQ(r.out, expectedOut);
    std::sort(seen.begin(), seen.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(seen, names);
}

TEST(Driver, TrailingSeparatorIsNotDoubled) {
    DriverWorld w;
    w.AddPs("r.ps");
    std::string dir = w.psDir + kTestSeparator;
    ProcessResult r = w.Run({w.gsDir, dir});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string base = dir + "r";
    EXPECT_EQ(r.out, ExpectedOutput("r", base + ".jpg", base + ".ps"));
}

TEST(Driver, RelativeDirectoryMeansTheStartingDirectory) {
    DriverWorld w;
    w.AddPs("rel.ps");
    ProcessResult r = w.Run({w.gsDir, "in"}, {}, w.root.path());
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    // Absolute, so the converter finds it from the Ghostscript directory.
    EXPECT_EQ(calls[0].args, ExpectedArgs(w.Ps("rel.jpg"), w.Ps("rel.ps")));
}

TEST(Driver, UnusableDirectoriesFailBeforeAnyConversion) {
    DriverWorld w;
    w.AddPs("a.ps");
    WriteFile(w.root.Sub("plain-file"), "");
    struct Case {
        std::vector<std::string> args;
        std::string named; // what the message must name
    };
    const Case cases[] = {
        {{w.gsDir, w.root.Sub("missing")}, w.root.Sub("missing")},
        {{w.gsDir, w.root.Sub("plain-file")}, w.root.Sub("plain-file")},
        {{w.gsDir, ""}, "\"\""},
        {{w.root.Sub("no-gs-here"), w.psDir}, w.root.Sub("no-gs-here")},
        {{w.root.Sub("plain-file"), w.psDir}, w.root.Sub("plain-file")},
        {{"", w.psDir}, "\"\""},
    };
    for (const Case& k : cases) {
        ProcessResult r = w.Run(k.args);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 2) << k.named;
        EXPECT_EQ(r.out, "") << k.named;
        EXPECT_EQ(r.err.rfind("morvel: " + k.named + ": ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(w.Calls().empty());
}

TEST(Driver, FailedConversionIsReportedAndTheRunGoesOn) {
    DriverWorld w;
    w.AddPs("good1.ps");
    w.AddPs("bad.ps");
    w.AddPs("good2.ps");
    ProcessResult r = w.RunDefault({"FAKE_GS_MATCH=bad.ps", "FAKE_GS_EXIT=3"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.Calls().size(), 3u);
    EXPECT_EQ(r.err, "morvel: " + w.Ps("bad.ps") + ": converter exited with status 3\n");
}

TEST(Driver, NoImageIsNoSuccess) {
    DriverWorld w;
    w.AddPs("blank.ps");
    w.AddPs("again.ps");
    // An image from an earlier run is no proof of this one, and survives.
    WriteFile(w.Ps("again.jpg"), "earlier image");
    ProcessResult r = w.RunDefault({"FAKE_GS_NO_IMAGE=1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.Calls().size(), 2u);
    EXPECT_NE(r.err.find("morvel: " + w.Ps("blank.ps") + ": the converter wrote no image\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("morvel: " + w.Ps("again.ps") + ": the converter wrote no image\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(w.Ps("again.jpg")), "earlier image");
    EXPECT_FALSE(FileExists(w.Ps("blank.jpg")));
}

TEST(Driver, ARewriteWithinOneTimestampTickCounts) {
    DriverWorld w;
    w.AddPs("a.ps");
    WriteFile(w.Ps("a.jpg"), "fake jpeg"); // the size the stand-in writes
    ProcessResult r = w.RunDefault({"FAKE_GS_SAME_STAMP=1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

TEST(Driver, PercentSignsReachTheConverterEscaped) {
    DriverWorld w;
    w.AddPs("page%d.ps");
    w.AddPs("100%.ps");
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(ExpectedOutput("page%d", w.Ps("page%%d.jpg"), w.Ps("page%d.ps"))),
              std::string::npos);
    EXPECT_NE(r.out.find(ExpectedOutput("100%", w.Ps("100%%.jpg"), w.Ps("100%.ps"))),
              std::string::npos);
    // Read back as a template, the output names are the real names.
    EXPECT_TRUE(FileExists(w.Ps("page%d.jpg")));
    EXPECT_TRUE(FileExists(w.Ps("100%.jpg")));
}

TEST(Driver, NamesWithSpacesArriveWhole) {
    DriverWorld w;
    w.AddPs("my report.ps");
    w.AddPs("a & b.ps");
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const ConverterCall& c : calls) {
        ASSERT_EQ(c.args.size(), 5u);
        EXPECT_TRUE(c.args[4] == w.Ps("my report.ps") || c.args[4] == w.Ps("a & b.ps"))
            << c.args[4];
    }
}

TEST(Driver, LongPathsAreNeverCut) {
    DriverWorld w;
    // Nest directories until the path is far beyond 255 characters.
    std::string dir = w.psDir;
    for (int i = 0; i < 6; ++i) {
        dir = JoinPath(dir, std::string(40, static_cast<char>('a' + i)));
    }
    MakeDir(dir);
    std::string name(100, 'n');
    WriteFile(JoinPath(dir, name + ".ps"), "%!PS\n");
    ProcessResult r = w.Run({w.gsDir, dir});
    if (HostIsWindows()) {
        // Beyond MAX_PATH the ANSI directory search gives up: refused, and said.
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.rfind("morvel: " + dir + ": cannot search directory: ", 0), 0u) << r.err;
        EXPECT_TRUE(w.Calls().empty());
        return;
    }
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args,
              ExpectedArgs(JoinPath(dir, name + ".jpg"), JoinPath(dir, name + ".ps")));
}

TEST(Driver, ManyFilesAllConverted) {
    DriverWorld w;
    for (int i = 0; i < 200; ++i) {
        w.AddPs("f" + std::to_string(i) + ".ps");
    }
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<ConverterCall> calls = w.Calls();
    ASSERT_EQ(calls.size(), 200u) << r.err;
    std::vector<std::string> ps;
    for (const ConverterCall& c : calls) {
        ps.push_back(c.args.at(4));
    }
    std::sort(ps.begin(), ps.end());
    EXPECT_EQ(std::unique(ps.begin(), ps.end()), ps.end());
}

TEST(Driver, OwnLinesPrecedeTheConvertersOutput) {
    DriverWorld w;
    w.AddPs("loud.ps");
    ProcessResult r = w.RunDefault({"FAKE_GS_FLOOD=100000"});
    EXPECT_EQ(r.status, 0);
    std::string head = ExpectedOutput("loud", w.Ps("loud.jpg"), w.Ps("loud.ps"));
    ASSERT_GE(r.out.size(), head.size());
    EXPECT_EQ(r.out.substr(0, head.size()), head);
    EXPECT_EQ(r.out.find_first_not_of('x', head.size()), std::string::npos);
}
