// Several converters at once: the options, and output that is that of a
// one-at-a-time run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(Jobs, OutputOfSeveralAtOnceIsThatOfOneAtATime) {
    DriverWorld w;
    for (const char* name : {"a.ps", "b.ps", "c.ps", "d.ps", "e.ps", "f.ps", "g.ps"}) {
        w.AddPs(name);
    }
    MakeDir(w.Ps("e.jpg")); // refused in the middle
    // Each prints on both streams; c fails; files started together end in
    // the reverse of the directory's order.
    const std::vector<std::string> env = {"FAKE_GS_PRINT=1", "FAKE_GS_REVERSE=60",
                                          "FAKE_GS_MATCH=c.ps", "FAKE_GS_EXIT=3"};
    ProcessResult one = w.Run({"-j", "1", w.gsDir, w.psDir}, env);
    EXPECT_EQ(one.status, 2);
    EXPECT_NE(one.err.find("c.ps: converter exited with status 3\n"), std::string::npos);
    EXPECT_NE(one.err.find("e.jpg is a directory, not a regular file"), std::string::npos);
    EXPECT_NE(one.out.find("out " + w.Ps("g.ps")), std::string::npos);
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"-j", "4"}, {"--jobs=3"}, {"--jobs", "16"}, {"-j2"}}) {
        std::vector<std::string> args = options;
        args.push_back(w.gsDir);
        args.push_back(w.psDir);
        ProcessResult several = w.Run(args, env);
        EXPECT_EQ(several.status, 2) << options[0];
        EXPECT_EQ(several.out, one.out) << options[0];
        EXPECT_EQ(several.err, one.err) << options[0];
    }
    EXPECT_EQ(w.Calls().size(), 6u * 5u);
}

TEST(Jobs, OptionsComeBeforeTheDirectories) {
    DriverWorld w;
    ProcessResult help = w.Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("-j N, --jobs N, --jobs=N"), std::string::npos) << help.out;
    ProcessResult version = w.Run({"--version", "--bogus"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("morvel ") + MORVEL_VERSION + "\n");
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"-j", "0", "gs", "in"},
                                                {"-j", "2x", "gs", "in"},
                                                {"--jobs=", "gs", "in"},
                                                {"-x", "gs", "in"},
                                                {"-j"}}) {
        ProcessResult r = w.Run(bad);
        EXPECT_EQ(r.status, 1) << bad[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("morvel: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
    EXPECT_EQ(w.Run({"-j", "2", w.gsDir}).out, UsageText());
    // After "--" a directory may begin with "-"; after the directories
    // nothing is read.
    MakeDir(w.root.Sub("-in"));
    WriteFile(JoinPath(w.root.Sub("-in"), "a.ps"), "%!PS\nshowpage\n");
    ProcessResult dash = w.Run({"--", w.gsDir, "-in", "-j", "x"}, {}, w.root.path());
    EXPECT_EQ(dash.status, 0) << dash.err;
    EXPECT_TRUE(FileExists(JoinPath(w.root.Sub("-in"), "a.jpg")));
}
