// GetNumberFormatA with an explicit format record, on either host. What
// Wine does otherwise than Windows documents (it takes "" and "-" for
// numbers, miscounts a size query of the ANSI function, mangles separators
// of several characters) is checked on POSIX only.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

char g_point[] = ".";
char g_comma[] = ",";

NUMBERFMTA Format(UINT digits, UINT leadingZero, UINT grouping, UINT negativeOrder) {
    NUMBERFMTA f;
    f.NumDigits = digits;
    f.LeadingZero = leadingZero;
    f.Grouping = grouping;
    f.lpDecimalSep = g_point;
    f.lpThousandSep = g_comma;
    f.NegativeOrder = negativeOrder;
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
    NUMBERFMTA f = Format(0, 0, 3, 1);
    EXPECT_EQ(Formatted("1234567", f), "1,234,567");
    EXPECT_EQ(Formatted("-1234567", f), "-1,234,567");
    EXPECT_EQ(Formatted("999", f), "999");
    EXPECT_EQ(Formatted("1000", f), "1,000");
    EXPECT_EQ(Formatted("-100", f), "-100");
    EXPECT_EQ(Formatted("-2147483648", f), "-2,147,483,648");

    char out[20];
    EXPECT_EQ(GetNumberFormatA(0, 0, "-2147483648", &f, out, 20), 15);
    EXPECT_EQ(Formatted("12345", Format(0, 0, 0, 1)), "12345");
}

TEST(NumberFormat, TooSmallBufferFails) {
    NUMBERFMTA f = Format(0, 0, 3, 1);
    char out[10];
    SetLastError(0);
    EXPECT_EQ(GetNumberFormatA(0, 0, "1234567", &f, out, 9), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetNumberFormatA(0, 0, "1234567", &f, out, 10), 10);
    EXPECT_STREQ(out, "1,234,567");
}

TEST(NumberFormat, MalformedNumbersAndArgumentsFail) {
    NUMBERFMTA f = Format(0, 0, 3, 1);
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
    // With a record of its own, the call takes no flags.
    SetLastError(0);
    EXPECT_EQ(GetNumberFormatA(0, LOCALE_NOUSEROVERRIDE, "1", &f, out, 20), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(NumberFormat, DecimalsRoundAndPad) {
    NUMBERFMTA f = Format(2, 1, 3, 1);
    EXPECT_EQ(Formatted("1234.5", f), "1,234.50");
    EXPECT_EQ(Formatted("1234.567", f), "1,234.57");
    EXPECT_EQ(Formatted("1234.564", f), "1,234.56");
    EXPECT_EQ(Formatted("7", f), "7.00");
    EXPECT_EQ(Formatted(".5", f), "0.50");
    EXPECT_EQ(Formatted("5.", f), "5.00");
    // Leading zeros go; a zero whole part shows only with LeadingZero.
    EXPECT_EQ(Formatted(".5", Format(2, 0, 3, 1)), ".50");
    EXPECT_EQ(Formatted("0.5", Format(2, 0, 3, 1)), ".50");
    EXPECT_EQ(Formatted("0.5", f), "0.50");
    EXPECT_EQ(Formatted("007", Format(0, 0, 3, 1)), "7");
    EXPECT_EQ(Formatted("0001234", Format(0, 0, 3, 1)), "1,234");
    EXPECT_EQ(Formatted("0", Format(0, 1, 3, 1)), "0");
    EXPECT_EQ(Formatted("-0.25", Format(1, 1, 3, 1)), "-0.3");
    EXPECT_EQ(Formatted("2.5", Format(0, 0, 3, 1)), "3");
    EXPECT_EQ(Formatted("2.49", Format(0, 0, 3, 1)), "2");
    EXPECT_EQ(Formatted("9.9", Format(0, 0, 3, 1)), "10");
}

TEST(NumberFormat, SeparatorsAndNegativeOrders) {
    char decimal[] = ",";
    char thousand[] = "'";
    NUMBERFMTA f = Format(1, 1, 3, 1);
    f.lpDecimalSep = decimal;
    f.lpThousandSep = thousand;
    EXPECT_EQ(Formatted("1234567.25", f), "1'234'567,3");

    const char* expected[] = {"(1,234.5)", "-1,234.5", "- 1,234.5", "1,234.5-", "1,234.5 -"};
    for (UINT order = 0; order < 5; ++order) {
        EXPECT_EQ(Formatted("-1234.5", Format(1, 1, 3, order)), expected[order]) << order;
        EXPECT_EQ(Formatted("1234.5", Format(1, 1, 3, order)), "1,234.5") << order;
    }
}

TEST(NumberFormat, GroupSizesAreTheDigitsOfGrouping) {
    EXPECT_EQ(Formatted("123456789", Format(0, 0, 32, 1)), "12,34,56,789");
    EXPECT_EQ(Formatted("1234", Format(0, 0, 32, 1)), "1,234");
    EXPECT_EQ(Formatted("1234567890", Format(0, 0, 2, 1)), "12,34,56,78,90");
    EXPECT_EQ(Formatted("1234567890", Format(0, 0, 0, 1)), "1234567890");
    // A last size of 0 ends the grouping.
    EXPECT_EQ(Formatted("1234567890", Format(0, 0, 30, 1)), "1234567,890");
    EXPECT_EQ(Formatted("1234567890", Format(0, 0, 320, 1)), "12345,67,890");
}
