// End to end with the real Ghostscript: the JPEG files must decode and carry
// 120 dpi and the pixel size that 120 dpi gives for their page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_support.h"

namespace {

struct JpegInfo {
    bool valid = false;
    int densityUnits = -1;
    int xDensity = 0, yDensity = 0;
    int width = 0, height = 0;
};

int Be16(const std::string& d, std::size_t at) {
    return (static_cast<unsigned char>(d[at]) << 8) | static_cast<unsigned char>(d[at + 1]);
}

// Walks the markers up to the frame header.
JpegInfo ReadJpegHeader(const std::string& d) {
    JpegInfo info;
    if (d.size() < 4 || static_cast<unsigned char>(d[0]) != 0xFF ||
        static_cast<unsigned char>(d[1]) != 0xD8) {
        return info;
    }
    std::size_t i = 2;
    while (i + 4 <= d.size() && static_cast<unsigned char>(d[i]) == 0xFF) {
        unsigned char marker = static_cast<unsigned char>(d[i + 1]);
        std::size_t len = static_cast<std::size_t>(Be16(d, i + 2));
        if (i + 2 + len > d.size()) {
            return info;
        }
        if (marker == 0xE0 && d.compare(i + 4, 5, std::string("JFIF\0", 5)) == 0) {
            info.densityUnits = static_cast<unsigned char>(d[i + 11]);
            info.xDensity = Be16(d, i + 12);
            info.yDensity = Be16(d, i + 14);
        }
        if (marker >= 0xC0 && marker <= 0xC2) {
            info.height = Be16(d, i + 5);
            info.width = Be16(d, i + 7);
            info.valid = true;
            return info;
        }
        i += 2 + len;
    }
    return info;
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        std::string dir = rest.substr(0, rest.find(':'));
        rest = rest.find(':') == std::string::npos ? "" : rest.substr(rest.find(':') + 1);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) {
            return dir;
        }
    }
    return "";
}

std::string Page(int widthPt, int heightPt, const std::string& text) {
    return "%!PS\n<< /PageSize [" + std::to_string(widthPt) + " " + std::to_string(heightPt) +
           "] >> setpagedevice\n0.2 0.4 0.8 setrgbcolor 10 10 moveto 100 80 lineto stroke\n"
           "/Helvetica findfont 12 scalefont setfont 20 40 moveto (" +
           text + ") show\nshowpage\n";
}

} // namespace

TEST(Ghostscript, RendersGoodFilesAndReportsTheBrokenOne) {
    std::string gsDir = FindOnPath("gs");
    ASSERT_FALSE(gsDir.empty()) << "Ghostscript (gs) must be installed for this test";
    std::string djpegDir = FindOnPath("djpeg");
    ASSERT_FALSE(djpegDir.empty()) << "djpeg (libjpeg-turbo-progs) must be installed";

    TempDir dir;
    struct Expect {
        std::string name;
        int width, height;
    };
    const std::vector<Expect> good = {
        {"letter", 1020, 1320},   // 612 x 792 pt
        {"with space", 720, 480}, // 432 x 288 pt, the postcard sample
        {"small%page", 500, 250}, // 300 x 150 pt, a '%' in its name
    };
    WriteFile(dir.Sub("letter.ps"), Page(612, 792, "letter"));
    WriteFile(dir.Sub("with space.ps"), ReadFile(std::string(MORVEL_EXAMPLES) + "/postcard.ps"));
    WriteFile(dir.Sub("small%page.ps"), Page(300, 150, "small"));
    WriteFile(dir.Sub("broken.ps"), "%!PS\n/nothing-defined-here 12 { ] } forall showpage\n");

    ProcessResult r = RunProcess({MORVEL_EXE, gsDir, dir.path()});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("morvel: " + dir.Sub("broken.ps") + ": converter exited with status"),
              std::string::npos)
        << r.err;
    for (const Expect& e : good) {
        EXPECT_EQ(r.err.find(e.name + ".ps:"), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("Converting " + e.name + ".ps to " + e.name + ".jpg ...\n"),
                  std::string::npos);
        std::string jpg = dir.Sub(e.name + ".jpg");
        JpegInfo info = ReadJpegHeader(ReadFile(jpg));
        ASSERT_TRUE(info.valid) << jpg;
        EXPECT_EQ(info.densityUnits, 1) << "dots per inch";
        EXPECT_EQ(info.xDensity, 120);
        EXPECT_EQ(info.yDensity, 120);
        EXPECT_EQ(info.width, e.width) << e.name;
        EXPECT_EQ(info.height, e.height) << e.name;
        ProcessResult decode = RunProcess({djpegDir + "/djpeg", "-outfile", "/dev/null", jpg});
        EXPECT_TRUE(decode.exited && decode.status == 0) << decode.err;
    }
    // Nothing but the converter's outputs appeared (whether Ghostscript leaves
    // a partial file for the broken input is its own affair).
    std::vector<std::string> entries = ListDir(dir.path());
    entries.erase(std::remove(entries.begin(), entries.end(), "broken.jpg"), entries.end());
    EXPECT_EQ(entries,
              std::vector<std::string>({"broken.ps", "letter.jpg", "letter.ps", "small%page.jpg",
                                        "small%page.ps", "with space.jpg", "with space.ps"}));
}

TEST(Ghostscript, ResolutionQualityAndPagesAsAsked) {
    const std::string gsDir = FindOnPath("gs");
    ASSERT_FALSE(gsDir.empty());
    TempDir dir;
    const std::string in = dir.Sub("in"), out = dir.Sub("out");
    MakeDir(in);
    MakeDir(out);
    WriteFile(JoinPath(in, "page.ps"), Page(300, 150, "page"));
    const std::string three = Page(300, 150, "one");
    WriteFile(JoinPath(in, "three.ps"),
              three + three.substr(three.find('\n') + 1) + three.substr(three.find('\n') + 1));

    // -r 72 against -r 240, and the quality, into a folder beside a read-only one.
    ASSERT_EQ(chmod(in.c_str(), 0555), 0);
    const std::string dirs[] = {dir.Sub("r72"), dir.Sub("r240")};
    for (const std::string& d : dirs) {
        MakeDir(d);
    }
    ProcessResult r72 = RunProcess({MORVEL_EXE, "-r", "72", "-q", "10", "-o", dirs[0], gsDir, in});
    ProcessResult r240 = RunProcess({MORVEL_EXE, "-r240", "-q", "95", "-o", dirs[1], gsDir, in});
    EXPECT_EQ(r72.status, 0) << r72.err;
    const JpegInfo small = ReadJpegHeader(ReadFile(JoinPath(dirs[0], "page.jpg")));
    const JpegInfo large = ReadJpegHeader(ReadFile(JoinPath(dirs[1], "page.jpg")));
    EXPECT_EQ(small.width * 240, large.width * 72);
    EXPECT_EQ(small.height * 240, large.height * 72);
    EXPECT_EQ(small.width, 300);
    // The same page at the same resolution, at two qualities.
    ProcessResult q95 = RunProcess({MORVEL_EXE, "-r", "72", "-q", "95", "-o", out, gsDir, in});
    EXPECT_LT(ReadFile(JoinPath(dirs[0], "page.jpg")).size(),
              ReadFile(JoinPath(out, "page.jpg")).size());
    // Without --pages the three pages share one file, and a line says so.
    EXPECT_EQ(q95.err, "morvel: " + JoinPath(in, "three.ps") + ": " + JoinPath(out, "three.jpg") +
                           " holds 3 pages; image viewers show the first (--pages writes one "
                           "image per page)\n");
    EXPECT_EQ(q95.status, 0);

    ProcessResult pages = RunProcess({MORVEL_EXE, "--pages", "-o", out, gsDir, in});
    EXPECT_EQ(pages.status, 0) << pages.err;
    EXPECT_EQ(pages.err, "");
    for (const char* name : {"three-1.jpg", "three-2.jpg", "three-3.jpg", "page-1.jpg"}) {
        const std::string data = ReadFile(JoinPath(out, name));
        EXPECT_TRUE(ReadJpegHeader(data).valid) << name;
        // One image each: the only end-of-image marker is the last two bytes.
        EXPECT_EQ(data.find("\xFF\xD9"), data.size() - 2) << name;
    }
    EXPECT_FALSE(FileExists(JoinPath(out, "three-4.jpg")));
    EXPECT_EQ(ListDir(in), std::vector<std::string>({"page.ps", "three.ps"}));
    chmod(in.c_str(), 0755);
}

TEST(Ghostscript, AnEndlessFileIsStoppedAndTheOthersConverted) {
    const std::string gsDir = FindOnPath("gs");
    ASSERT_FALSE(gsDir.empty());
    for (const char* jobs : {"1", "3"}) {
        TempDir dir;
        WriteFile(dir.Sub("loop.ps"), "%!PS\n{} loop\n");
        WriteFile(dir.Sub("a.ps"), Page(300, 150, "a"));
        WriteFile(dir.Sub("b.ps"), Page(300, 150, "b"));
        ProcessResult r = RunProcess({MORVEL_EXE, "--timeout", "2", "-j", jobs, gsDir, dir.path()});
        EXPECT_EQ(r.status, 2) << jobs;
        EXPECT_EQ(r.err.find("morvel: " + dir.Sub("loop.ps") +
                             ": converter stopped after 2 s (--timeout)"),
                  0u)
            << r.err;
        EXPECT_TRUE(ReadJpegHeader(ReadFile(dir.Sub("a.jpg"))).valid);
        EXPECT_TRUE(ReadJpegHeader(ReadFile(dir.Sub("b.jpg"))).valid);
        EXPECT_FALSE(FileExists(dir.Sub("loop.jpg")));
    }
}
