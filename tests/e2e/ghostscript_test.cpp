// End to end with the real Ghostscript: the JPEG files must decode and carry
// 120 dpi and the pixel size that 120 dpi gives for their page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

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
