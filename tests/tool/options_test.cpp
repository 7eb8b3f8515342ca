// The command line into settings, from argument vectors alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/options.h"

namespace {

using Args = std::vector<std::string>;

Options Read(const Args& args) {
    return ReadOptions(args);
}

} // namespace

TEST(Options, EverySpellingOfAValue) {
    for (const Args& args :
         {Args{"-j", "3", "gs", "in"}, Args{"-j3", "gs", "in"}, Args{"--jobs", "3", "gs", "in"},
          Args{"--jobs=3", "gs", "in"}, Args{"-j", "1", "--jobs=3", "gs", "in", "extra"}}) {
        Options o = Read(args);
        ASSERT_EQ(o.action, Options::Action::kRun) << args[0];
        EXPECT_EQ(o.settings.jobs, 3) << args[0];
        EXPECT_EQ(o.settings.gsDir, "gs");
        EXPECT_EQ(o.settings.psDir, "in");
    }
    Options plain = Read({"gs", "in"});
    EXPECT_EQ(plain.settings.jobs, 1);
}

TEST(Options, ReadingStopsAtTheFirstDirectoryOrAfterDoubleDash) {
    Options o = Read({"gs", "-j", "4"});
    ASSERT_EQ(o.action, Options::Action::kRun);
    EXPECT_EQ(o.settings.psDir, "-j");
    EXPECT_EQ(o.settings.jobs, 1);
    o = Read({"--", "-gs", "--help"});
    ASSERT_EQ(o.action, Options::Action::kRun);
    EXPECT_EQ(o.settings.gsDir, "-gs");
    EXPECT_EQ(o.settings.psDir, "--help");
    o = Read({"-", "in"}); // "-" is a directory
    ASSERT_EQ(o.action, Options::Action::kRun);
    EXPECT_EQ(o.settings.gsDir, "-");
}

TEST(Options, HelpVersionAndUsage) {
    EXPECT_EQ(Read({"--help", "--bogus"}).action, Options::Action::kHelp);
    EXPECT_EQ(Read({"-j", "2", "--version"}).action, Options::Action::kVersion);
    EXPECT_EQ(Read({}).action, Options::Action::kUsage);
    EXPECT_EQ(Read({"-j", "2", "gs"}).action, Options::Action::kUsage);
    EXPECT_EQ(Read({"--", "gs"}).action, Options::Action::kUsage);
    EXPECT_EQ(HelpText().rfind("Usage: morvel [options] <", 0), 0u);
    EXPECT_EQ(VersionText(), std::string("morvel ") + MORVEL_VERSION + "\n");
    EXPECT_EQ(UsageText().find('\n'), std::string::npos);
}

TEST(Options, EveryErrorNamesTheOptionAndWhy) {
    struct Case {
        Args args;
        std::string what, why;
    };
    const Case cases[] = {
        {{"-j"}, "-j", "needs a number of converters"},
        {{"--jobs"}, "--jobs", "needs a number of converters"},
        {{"-j", "0", "gs", "in"}, "-j", "'0' is not a number of converters (1 or more)"},
        {{"-jx", "gs", "in"}, "-j", "'x' is not a number of converters (1 or more)"},
        {{"--jobs=", "gs", "in"}, "--jobs", "'' is not a number of converters (1 or more)"},
        {{"--jobs", "-3", "gs", "in"}, "--jobs", "'-3' is not a number of converters (1 or more)"},
        {{"-j", "2x", "gs", "in"}, "-j", "'2x' is not a number of converters (1 or more)"},
        {{"-j", "99999999999999999999", "gs", "in"},
         "-j",
         "'99999999999999999999' is not a number of converters (1 or more)"},
        {{"-x", "gs", "in"}, "-x", "unknown option (morvel --help lists them)"},
        {{"--jobsx=2", "gs", "in"}, "--jobsx=2", "unknown option (morvel --help lists them)"},
        {{"--help=1", "gs", "in"}, "--help=1", "unknown option (morvel --help lists them)"},
    };
    for (const Case& c : cases) {
        Options o = Read(c.args);
        ASSERT_EQ(o.action, Options::Action::kError) << c.args[0];
        EXPECT_EQ(o.what, c.what) << c.args[0];
        EXPECT_EQ(o.why, c.why) << c.args[0];
    }
}
