// GetNumberFormatA with the format record of a grouped integer, on either
// host. What Wine does otherwise than Windows documents (it takes "" and "-"
// for numbers) is checked on POSIX only.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

char g_point[] = ".";
char g_comma[] = ",";

// The record FormatThousands passes.
NUMBERFMTA GroupedInteger() {
    NUMBERFMTA f;
    f.NumDigits = 0;
    f.LeadingZero = 1;
    f.Grouping = 3;
    f.lpDecimalSep = g_point;
    f.lpThousandSep = g_comma;
    f.NegativeOrder = 1;
    return f;
}

// The formatted text, or "<fail N>" with the last error.
std::string Formatted(const char* value, const NUMBERFMTA& f) {
    char out[64];
    SetLastError(0);
    int n = GetNumberFormatA(0, 0, value, &f, out, sizeof out);
    if (n == 0) {
        return "<fail " + std::to_string(GetLastError()) + ">";
    }
    EXPECT_EQ(static_cast<std::size_t>(n), std::string(out).size() + 1);
    return out;
}

const std::string kInvalid = "<fail " + std::to_string(ERROR_INVALID_PARAMETER) + ">";

} // namespace

TEST(NumberFormat, GroupsIntegersByThree) {
    NUMBERFMTA f = GroupedInteger();
    EXPECT_EQ(Formatted("1234567", f), "1,234,567");
    EXPECT_EQ(Formatted("-1234567", f), "-1,234,567");
    EXPECT_EQ(Formatted("999", f), "999");
    EXPECT_EQ(Formatted("1000", f), "1,000");
    EXPECT_EQ(Formatted("-100", f), "-100");
    EXPECT_EQ(Formatted("0", f), "0");
    EXPECT_EQ(Formatted("-2147483648", f), "-2,147,483,648");

    char out[20];
    EXPECT_EQ(GetNumberFormatA(0, 0, "-2147483648", &f, out, 20), 15);
}

TEST(NumberFormat, TooSmallBufferFails) {
    NUMBERFMTA f = GroupedInteger();
    char out[10];
    SetLastError(0);
    EXPECT_EQ(GetNumberFormatA(0, 0, "1234567", &f, out, 9), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetNumberFormatA(0, 0, "1234567", &f, out, 10), 10);
    EXPECT_STREQ(out, "1,234,567");
}

TEST(NumberFormat, MalformedNumbersAndArgumentsFail) {
    NUMBERFMTA f = GroupedInteger();
    for (const char* bad : {"12a", "1.2.3", "--1", "1-", "+1", " 1", "1 ", "1,000", "1e5"}) {
        EXPECT_EQ(Formatted(bad, f), kInvalid) << '"' << bad << '"';
    }
    char out[20];
    SetLastError(0);
    EXPECT_EQ(GetNumberFormatA(0, 0, nullptr, &f, out, 20), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(GetNumberFormatA(0, 0, "1", &f, nullptr, 20), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    NUMBERFMTA noSeparator = f;
    noSeparator.lpThousandSep = nullptr;
    EXPECT_EQ(Formatted("1", noSeparator), kInvalid);
    // With a record of its own, the call takes no flags (here
    // LOCALE_NOUSEROVERRIDE).
    SetLastError(0);
    EXPECT_EQ(GetNumberFormatA(0, 0x80000000, "1", &f, out, 20), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}
