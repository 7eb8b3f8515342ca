// What a JPEG path may already be on POSIX: a link to another file of the
// run, something other than a regular file; and a stop sent to morvel alone.
#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_support.h"
#include "tests/tool/driver_fixture.h"

TEST(ImagesPosix, AJpegPathThatReachesAnotherFileOfTheRunIsNotWritten) {
    DriverWorld w;
    for (const char* name : {"red.ps", "blue.ps", "x.ps"}) {
        w.AddPs(name);
    }
    // A deduplicated archive: two images that are one file; and an image
    // path that is the PostScript file itself.
    WriteFile(w.Ps("red.jpg"), "old");
    ASSERT_EQ(link(w.Ps("red.jpg").c_str(), w.Ps("blue.jpg").c_str()), 0);
    ASSERT_EQ(symlink("x.ps", w.Ps("x.jpg").c_str()), 0);
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 2);
    ASSERT_EQ(w.Calls().size(), 1u) << r.err;
    std::string first = w.BaseName(w.Calls()[0].args.back());
    std::string second = first == "red" ? "blue" : "red";
    EXPECT_NE(r.err.find("morvel: " + w.Ps(second + ".ps") + ": " + w.Ps(second + ".jpg") +
                         " is the same file as " + w.Ps(first + ".jpg") + "; not converted\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("morvel: " + w.Ps("x.ps") + ": " + w.Ps("x.jpg") +
                         " is the same file as " + w.Ps("x.ps") + "; not converted\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(w.Ps("x.ps")), "%!PS\nshowpage\n");
}

TEST(ImagesPosix, AJpegPathThatIsNoRegularFileIsNotRun) {
    DriverWorld w;
    for (const char* name : {"fifo.ps", "dir.ps", "dangling.ps"}) {
        w.AddPs(name);
    }
    ASSERT_EQ(mkfifo(w.Ps("fifo.jpg").c_str(), 0600), 0);
    MakeDir(w.Ps("dir.jpg"));
    ASSERT_EQ(symlink("made.jpg", w.Ps("dangling.jpg").c_str()), 0);
    ProcessResult r = w.RunDefault();
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(w.ConvertedInputs(), std::set<std::string>{w.Ps("dangling.ps")});
    EXPECT_EQ(ReadFile(w.Ps("made.jpg")), "fake jpeg");
    EXPECT_NE(r.err.find("morvel: " + w.Ps("fifo.ps") + ": " + w.Ps("fifo.jpg") +
                         " is a FIFO, not a regular file; not converted\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(w.Ps("dir.jpg") + " is a directory, not a regular file; not converted"),
              std::string::npos)
        << r.err;
}

TEST(ImagesPosix, AStopSentToMorvelAloneStopsItsConvertersAndThenMorvel) {
    for (int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        DriverWorld w;
        for (const char* name : {"a.ps", "b.ps", "c.ps", "d.ps", "e.ps"}) {
            w.AddPs(name);
        }
        const std::string n = std::to_string(jobs);
        // Once n converters run, TERM goes to morvel's pid only.
        const std::string script =
            "\"$0\" -j " + n +
            " \"$1\" \"$2\" & p=$!; "
            "until [ \"$(grep -c '^CALL' \"$3\" 2>/dev/null)\" = " +
            n + " ]; do sleep 0.05; done; kill -TERM $p; wait $p 2>/dev/null; echo \" status $?\"";
        ProcessResult r = RunProcess({"/bin/sh", "-c", script, MORVEL_EXE, w.gsDir, w.psDir, w.log},
                                     "", {"FAKE_GS_LOG=" + w.log, "FAKE_GS_SLEEP_MS=60000"});
        // The shell saw morvel end by the signal, after every converter it
        // had started was stopped and reported; none started after.
        const std::string tail = " status 143\n";
        ASSERT_GE(r.out.size(), tail.size());
        EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
        ASSERT_EQ(w.Calls().size(), static_cast<std::size_t>(jobs));
        // Each in list order, which the progress lines show.
        std::string expected;
        for (std::size_t at = r.out.find("Converting "); at != std::string::npos;
             at = r.out.find("Converting ", at + 1)) {
            std::string name = r.out.substr(at + 11, r.out.find(' ', at + 11) - at - 11);
            expected += "morvel: " + w.Ps(name) + ": converter killed by signal " +
                        std::to_string(SIGTERM) + " (Terminated)\n";
        }
        EXPECT_EQ(r.err, expected);
        EXPECT_EQ(w.ConvertedInputs().size(), static_cast<std::size_t>(jobs));
    }
}
