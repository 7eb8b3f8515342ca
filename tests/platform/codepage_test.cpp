// MultiByteToWideChar and WideCharToMultiByte with the ANSI code page, on
// either host. The ANSI page differs by design: UTF-8 on POSIX, the system's
// page on Windows (1252 under Wine with an English or C locale); so does the
// wide unit, 32 bits on POSIX and 16 on Windows.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "tests/support/test_support.h"

namespace {

const bool kWideIs16Bit = sizeof(wchar_t) == 2;

// Sized as the callers size it: no more wide units than bytes.
std::wstring ToWide(const std::string& bytes) {
    int size = static_cast<int>(bytes.size());
    std::wstring out(bytes.size(), L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &out[0], size);
    EXPECT_GT(n, 0);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string ToAnsi(const std::wstring& wide) {
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    if (n > 0) {
        EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                      &out[0], n, nullptr, nullptr),
                  n);
    }
    return out;
}

} // namespace

TEST(CodePage, MultiByteBufferRules) {
    wchar_t buf[8];
    // The terminator converts when it is counted.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 4, buf, 8), 4);
    EXPECT_EQ(std::wstring(buf), L"abc");
    // Otherwise exactly the bytes counted convert, and nothing is added.
    buf[2] = L'x';
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 2, buf, 8), 2);
    EXPECT_EQ(buf[0], L'a');
    EXPECT_EQ(buf[1], L'b');
    EXPECT_EQ(buf[2], L'x');
    // An embedded terminator is just a character.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\0b", 3, buf, 8), 3);
    EXPECT_EQ(buf[2], L'b');

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 4, buf, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 4, buf, 4), 4);

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 4, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 4, buf, -1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 4, nullptr, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0x10, "abc", 4, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(CodePage, WideBufferRules) {
    char buf[8];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, buf, 8, nullptr, nullptr), 4);
    EXPECT_STREQ(buf, "abc");
    buf[2] = 'x';
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", 2, buf, 8, nullptr, nullptr), 2);
    EXPECT_EQ(buf[2], 'x');

    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, buf, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, -1, buf, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", 0, buf, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, nullptr, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePage, AccentedAndForeignCharacters) {
    // U+00E9 is "\xC3\xA9" in UTF-8 and "\xE9" in 1252; U+4E2D has no place
    // in 1252 and becomes its default character.
    if (AnsiIsUtf8()) {
        EXPECT_EQ(ToWide("\xC3\xA9"), Units({0xE9}));
        EXPECT_EQ(ToAnsi(Units({0xE9})), "\xC3\xA9");
        EXPECT_EQ(ToAnsi(Units({0x4E2D})), "\xE4\xB8\xAD");
        EXPECT_EQ(ToAnsi(Units({0x20AC})), "\xE2\x82\xAC");
        EXPECT_EQ(ToWide("\xE4\xB8\xAD"), Units({0x4E2D}));
    } else if (AnsiIsWesternEuropean()) {
        EXPECT_EQ(ToWide("\xC3\xA9"), Units({0xC3, 0xA9}));
        EXPECT_EQ(ToWide("\xE9"), Units({0xE9}));
        EXPECT_EQ(ToAnsi(Units({0xE9})), "\xE9");
        EXPECT_EQ(ToAnsi(Units({0x4E2D})), "?");
        EXPECT_EQ(ToAnsi(Units({0x20AC})), "\x80");
        EXPECT_EQ(ToWide("\x80"), Units({0x20AC}));
    } else {
        GTEST_SKIP() << "this ANSI code page has no expectations here";
    }
}

TEST(CodePage, CharactersBeyondTheBasicPlane) {
    if (AnsiIsWesternEuropean()) {
        // Four bytes are four characters, and the pair has no place in 1252.
        EXPECT_EQ(ToWide("\xF0\x9F\x98\x80"), Units({0xF0, 0x178, 0x2DC, 0x20AC}));
        EXPECT_EQ(ToAnsi(Units({0xD83D, 0xDE00})), "??");
        return;
    }
    if (!AnsiIsUtf8()) {
        GTEST_SKIP() << "this ANSI code page has no expectations here";
    }
    // U+1F600: one unit of 32-bit wide text, a surrogate pair of 16-bit.
    const std::string bytes = "\xF0\x9F\x98\x80";
    std::wstring wide = kWideIs16Bit ? Units({0xD83D, 0xDE00}) : Units({0x1F600});
    EXPECT_EQ(ToWide(bytes), wide);
    EXPECT_EQ(ToAnsi(wide), bytes);
    EXPECT_EQ(ToWide("a" + bytes + "b").size(), wide.size() + 2);
    // The last of U+10FFFF is still a character.
    EXPECT_EQ(ToAnsi(ToWide("\xF4\x8F\xBF\xBF")), "\xF4\x8F\xBF\xBF");
}

TEST(CodePage, InvalidUtf8BecomesReplacementCharacters) {
    if (AnsiIsWesternEuropean()) {
        // No byte is invalid in 1252.
        EXPECT_EQ(ToWide("\xC0\xAF\xFF"), Units({0xC0, 0xAF, 0xFF}));
        return;
    }
    if (!AnsiIsUtf8()) {
        GTEST_SKIP() << "this ANSI code page has no expectations here";
    }
    const unsigned R = 0xFFFD;
    // Each maximal ill-formed subsequence is one U+FFFD; the byte that breaks
    // a sequence starts the next character.
    EXPECT_EQ(ToWide("a\xFF"
                     "b"),
              Units({'a', R, 'b'}));
    EXPECT_EQ(ToWide("\x80\xBF"), Units({R, R}));               // stray continuations
    EXPECT_EQ(ToWide("\xE4\xB8"), Units({R}));                  // cut short at the end
    EXPECT_EQ(ToWide("\xE4\xB8z"), Units({R, 'z'}));            // cut short by a letter
    EXPECT_EQ(ToWide("\xC0\xAF"), Units({R, R}));               // overlong '/'
    EXPECT_EQ(ToWide("\xE0\x80\xAF"), Units({R, R, R}));        // overlong, 3 bytes
    EXPECT_EQ(ToWide("\xED\xA0\x80"), Units({R, R, R}));        // encoded surrogate
    EXPECT_EQ(ToWide("\xF4\x90\x80\x80"), Units({R, R, R, R})); // above U+10FFFF
    EXPECT_EQ(ToWide("\xF5"), Units({R}));
    EXPECT_EQ(ToWide("\xF0\x9F\x98"), Units({R}));
}

TEST(CodePage, UnitsThatAreNoCharacterBecomeTheDefaultCharacter) {
    // Both pages write '?' for a surrogate on its own.
    if (!AnsiIsUtf8() && !AnsiIsWesternEuropean()) {
        GTEST_SKIP() << "this ANSI code page has no expectations here";
    }
    EXPECT_EQ(ToAnsi(Units({'a', 0xD800, 'b'})), "a?b");
    if (AnsiIsWesternEuropean()) {
        return;
    }
    EXPECT_EQ(ToAnsi(Units({0xDC00})), "?");
    // A high surrogate followed by a low one: a pair in 16-bit wide text,
    // two lone halves in 32-bit wide text.
    EXPECT_EQ(ToAnsi(Units({0xD83D, 0xDE00})), kWideIs16Bit ? "\xF0\x9F\x98\x80" : "??");
    if (!kWideIs16Bit) {
        EXPECT_EQ(ToAnsi(Units({0x110000})), "?");
    }
}
