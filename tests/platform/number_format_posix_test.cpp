// GetNumberFormatA where the POSIX layer keeps to what Windows documents and
// Wine, our Windows test host, does otherwise.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

char g_point[] = ".";
char g_comma[] = ",";

NUMBERFMTA Format(UINT digits, UINT leadingZero) {
    NUMBERFMTA f = {digits, leadingZero, 3, g_point, g_comma, 1};
    return f;
}

} // namespace

TEST(NumberFormatPosix, NumbersNeedADigit) {
    NUMBERFMTA f = Format(0, 1);
    char out[16] = "untouched";
    for (const char* bad : {"", "-", ".", "-."}) {
        SetLastError(0);
        EXPECT_EQ(GetNumberFormatA(0, 0, bad, &f, out, 16), 0) << '"' << bad << '"';
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_STREQ(out, "untouched");
}

TEST(NumberFormatPosix, SizeQueryCountsTheTerminator) {
    NUMBERFMTA f = Format(0, 0);
    EXPECT_EQ(GetNumberFormatA(0, 0, "-2147483648", &f, nullptr, 0), 15);
    EXPECT_EQ(GetNumberFormatA(0, 0, "12", &f, nullptr, 0), 3);
    // Padding counted, not built: a large NumDigits only costs its output.
    NUMBERFMTA wide = Format(4000, 1);
    EXPECT_EQ(GetNumberFormatA(0, 0, "1", &wide, nullptr, 0), 4003);
    char small[8];
    EXPECT_EQ(GetNumberFormatA(0, 0, "1", &wide, small, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(NumberFormatPosix, CarryIsGrouped) {
    NUMBERFMTA f = Format(2, 1);
    char out[32];
    ASSERT_GT(GetNumberFormatA(0, 0, "999.995", &f, out, 32), 0);
    EXPECT_STREQ(out, "1,000.00");
    ASSERT_GT(GetNumberFormatA(0, 0, "-99999.999", &f, out, 32), 0);
    EXPECT_STREQ(out, "-100,000.00");
}

TEST(NumberFormatPosix, SeparatorsOfSeveralCharacters) {
    char decimal[] = " dec ";
    char thousand[] = "<>";
    NUMBERFMTA f = {1, 1, 3, decimal, thousand, 1};
    char out[32];
    EXPECT_EQ(GetNumberFormatA(0, 0, "1234567.25", &f, out, 32), 18);
    EXPECT_STREQ(out, "1<>234<>567 dec 3");
    char none[] = "";
    f.lpThousandSep = none;
    EXPECT_EQ(GetNumberFormatA(0, 0, "1234567.25", &f, out, 32), 14);
    EXPECT_STREQ(out, "1234567 dec 3");
}

TEST(NumberFormatPosix, BuiltInLocaleWithoutARecord) {
    char out[32];
    EXPECT_EQ(GetNumberFormatA(LOCALE_USER_DEFAULT, 0, "-1234.567", nullptr, out, 32), 10);
    EXPECT_STREQ(out, "-1,234.57");
    EXPECT_EQ(GetNumberFormatA(0, LOCALE_NOUSEROVERRIDE, ".5", nullptr, out, 32), 5);
    EXPECT_STREQ(out, "0.50");
    SetLastError(0);
    EXPECT_EQ(GetNumberFormatA(0, 0x10, "1", nullptr, out, 32), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}
