// GetNumberFormatA where the POSIX layer keeps to what Windows documents and
// Wine, our Windows test host, does otherwise.
#include <gtest/gtest.h>

#include "platform/win32.h"

TEST(NumberFormatPosix, NumbersNeedADigit) {
    char point[] = ".";
    char comma[] = ",";
    NUMBERFMTA f = {0, 1, 3, point, comma, 1};
    char out[16] = "untouched";
    for (const char* bad : {"", "-", ".", "-."}) {
        SetLastError(0);
        EXPECT_EQ(GetNumberFormatA(0, 0, bad, &f, out, 16), 0) << '"' << bad << '"';
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_STREQ(out, "untouched");
}
