// The lines morvel writes about problems.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tool/files.h"
#include "tool/reports.h"

namespace {

// What writing to a scratch stream left there.
template <typename Write> std::string Written(Write write) {
    std::FILE* f = std::tmpfile();
    if (f == nullptr) {
        ADD_FAILURE() << "no temporary file";
        return std::string();
    }
    write(f);
    std::rewind(f);
    std::string text;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) {
        text += static_cast<char>(c);
    }
    std::fclose(f);
    return text;
}

} // namespace

TEST(Reports, ControlCharactersAreEscapedAndOtherBytesKept) {
    EXPECT_EQ(Printable("a\nb\tc\rd\x01\x7f\xc3\xa9 %"), "a\\nb\\tc\\rd\\x01\\x7f\xc3\xa9 %");
    EXPECT_EQ(Printable(std::string("\0", 1)), "\\x00");
}

TEST(Reports, OneLineNamesWhatAndWhy) {
    EXPECT_EQ(Written([](std::FILE* f) { ReportError("/in/a\nb.ps", "it\rfailed", f); }),
              "morvel: /in/a\\nb.ps: it\\rfailed\n");
}

TEST(Reports, OutOfMemoryNamesThePlaceEscaped) {
    Place at;
    EXPECT_EQ(Written([&](std::FILE* f) { ReportOutOfMemory(at, f); }), "morvel: out of memory\n");
    at.directory = "/in\n";
    EXPECT_EQ(Written([&](std::FILE* f) { ReportOutOfMemory(at, f); }),
              "morvel: /in\\n: out of memory\n");
    at.name = "a\tb";
    at.suffix = ".ps";
    at.separator = true;
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(Written([&](std::FILE* f) { ReportOutOfMemory(at, f); }),
              "morvel: /in\\n" + sep + "a\\tb.ps: out of memory\n");
    at.separator = false;
    EXPECT_EQ(Written([&](std::FILE* f) { ReportOutOfMemory(at, f); }),
              "morvel: /in\\na\\tb.ps: out of memory\n");
}
