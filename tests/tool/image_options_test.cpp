// The image a user asks for: resolution, quality, one image per page and an
// output folder, against the stand-in converter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(ImageOptions, EachOptionShowsInTheCommandAsRun) {
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> args; // before "-o"
    };
    const Case cases[] = {
        {{"-r", "72"}, {"-sDEVICE=jpeg", "-r72*72"}},
        {{"--resolution=300x150"}, {"-sDEVICE=jpeg", "-r300x150"}},
        {{"-r10000x1", "-q", "10"}, {"-sDEVICE=jpeg", "-r10000x1", "-dJPEGQ=10"}},
        {{"--quality", "100"}, {"-sDEVICE=jpeg", "-r120*120", "-dJPEGQ=100"}},
    };
    for (const Case& c : cases) {
        DriverWorld w;
        w.AddPs("a.ps");
        std::vector<std::string> argv = c.options;
        argv.push_back(w.gsDir);
        argv.push_back(w.psDir);
        ProcessResult r = w.Run(argv);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> args = c.args;
        for (const std::string& a : {std::string("-o"), w.Ps("a.jpg"), w.Ps("a.ps")}) {
            args.push_back(a);
        }
        ASSERT_EQ(w.Calls().size(), 1u);
        EXPECT_EQ(w.Calls()[0].args, args);
        std::string text = ConverterName();
        for (std::size_t i = 0; i < args.size(); ++i) {
            text += " " + (i + 2 >= args.size() ? "\"" + args[i] + "\"" : args[i]);
        }
        EXPECT_EQ(r.out, "Converting a.ps to a.jpg ...\n" + text);
    }
}

TEST(ImageOptions, PagesWriteOneFileEachWithTheNamesPercentKept) {
    DriverWorld w;
    w.AddPs("50%.ps");
    w.AddPs("b.ps");
    ProcessResult r = w.Run({"--pages", w.gsDir, w.psDir}, {"FAKE_GS_PAGES=3"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const std::string& name : {std::string("50%"), std::string("b")}) {
        const std::string out = w.Ps(name) + (name == "b" ? "" : "%") + "-%d.jpg";
        EXPECT_NE(r.out.find("Converting " + name + ".ps to " + name + "-%d.jpg ...\n" +
                             ConverterName() + " -sDEVICE=jpeg -r120*120 -o \"" + out + "\" \"" +
                             w.Ps(name + ".ps") + "\""),
                  std::string::npos)
            << r.out;
        for (const char* page : {"-1.jpg", "-2.jpg", "-3.jpg"}) {
            EXPECT_TRUE(FileExists(w.Ps(name + page))) << name << page;
        }
    }
    // No first page: nothing was written, whatever else there is.
    DriverWorld none;
    none.AddPs("c.ps");
    WriteFile(none.Ps("c-2.jpg"), "old");
    r = none.Run({"--pages", none.gsDir, none.psDir}, {"FAKE_GS_NO_IMAGE=1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "morvel: " + none.Ps("c.ps") + ": the converter wrote no image\n");
    EXPECT_EQ(ReadFile(none.Ps("c-2.jpg")), "old");
}

TEST(ImageOptions, OutputFolderTakesTheImagesAndKeepsTheRules) {
    DriverWorld w;
    const std::string out = w.root.Sub("out");
    MakeDir(out);
    w.AddPs("a.ps");
    w.AddPs("b.ps");
    MakeDir(JoinPath(out, "b.jpg")); // refused there as beside the files
    ProcessResult r = w.Run({"-o", out, w.gsDir, w.psDir});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "morvel: " + w.Ps("b.ps") + ": " + JoinPath(out, "b.jpg") +
                         " is a directory, not a regular file; not converted\n");
    ASSERT_EQ(w.Calls().size(), 1u);
    EXPECT_EQ(w.Calls()[0].args[3], JoinPath(out, "a.jpg"));
    EXPECT_TRUE(FileExists(JoinPath(out, "a.jpg")));
    EXPECT_FALSE(FileExists(w.Ps("a.jpg")));

    // A relative folder is taken from where morvel was started.
    r = w.Run({"--output=out", w.gsDir, w.psDir}, {}, w.root.path());
    EXPECT_EQ(w.Calls().back().args[3], JoinPath(out, "a.jpg"));

    // A folder that is not there, or no folder, stops the run before anything runs.
    for (const std::string& bad : {w.root.Sub("missing"), w.Ps("a.ps")}) {
        r = w.Run({"-o", bad, w.gsDir, w.psDir});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("morvel: " + bad + ": cannot use as output directory: ", 0), 0u)
            << r.err;
    }
    EXPECT_EQ(w.Calls().size(), 2u);
}
