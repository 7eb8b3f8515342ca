// MultiByteToWideChar and WideCharToMultiByte with the ANSI code page, on
// either host. The ANSI page is UTF-8 on both: by design on POSIX, through
// the manifest every program carries on Windows. The wide unit differs: 32
// bits on POSIX, 16 on Windows.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/win32.h"
#include "tests/platform/host_expect.h"
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
    EXPECT_EQ(ToWide("\xC3\xA9"), Units({0xE9}));
    EXPECT_EQ(ToAnsi(Units({0xE9})), "\xC3\xA9");
    EXPECT_EQ(ToAnsi(Units({0x4E2D})), "\xE4\xB8\xAD");
    EXPECT_EQ(ToAnsi(Units({0x20AC})), "\xE2\x82\xAC");
    EXPECT_EQ(ToWide("\xE4\xB8\xAD"), Units({0x4E2D}));
}

TEST(CodePage, CharactersBeyondTheBasicPlane) {
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
    const unsigned R = 0xFFFD;
    // Each maximal ill-formed subsequence is one U+FFFD; the byte that breaks
    // a sequence starts the next character.
    EXPECT_EQ(ToWide("a\xFF"
                     "b"),
              Units({'a', R, 'b'}));
    EXPECT_EQ(ToWide("\x80\xBF"), Units({R, R}));    // stray continuations
    EXPECT_EQ(ToWide("\xE4\xB8"), Units({R}));       // cut short at the end
    EXPECT_EQ(ToWide("\xE4\xB8z"), Units({R, 'z'})); // cut short by a letter
    EXPECT_EQ(ToWide("\xC0\xAF"), Units({R, R}));    // overlong '/'
    EXPECT_EQ(ToWide("\xF5"), Units({R}));
    EXPECT_EQ(ToWide("\xF0\x9F\x98"), Units({R}));
    // No character comes out of a longer overlong form, an encoded surrogate
    // or a value above U+10FFFF. The seam's decoder takes each maximal
    // subpart as one U+FFFD; Windows' decoder counts in its own way (Wine 8
    // writes fewer).
    const std::pair<const char*, std::size_t> neverCharacters[] = {
        {"\xE0\x80\xAF", 3}, {"\xED\xA0\x80", 3}, {"\xF4\x90\x80\x80", 4}};
    for (const auto& [bytes, subparts] : neverCharacters) {
        std::wstring wide = ToWide(bytes);
        EXPECT_EQ(wide, std::wstring(wide.size(), static_cast<wchar_t>(R))) << bytes;
        if (HostDecodesUtf8ByItself()) {
            EXPECT_EQ(wide.size(), subparts) << bytes;
        } else {
            EXPECT_FALSE(wide.empty()) << bytes;
        }
    }
}

TEST(CodePage, UnitsThatAreNoCharacterBecomeTheReplacementCharacter) {
    // UTF-8 has no default character; Windows writes U+FFFD instead.
    const std::string R = "\xEF\xBF\xBD";
    EXPECT_EQ(ToAnsi(Units({'a', 0xD800, 'b'})), "a" + R + "b");
    EXPECT_EQ(ToAnsi(Units({0xDC00})), R);
    // A high surrogate followed by a low one: a pair in 16-bit wide text,
    // two lone halves in 32-bit wide text.
    EXPECT_EQ(ToAnsi(Units({0xD83D, 0xDE00})), kWideIs16Bit ? "\xF0\x9F\x98\x80" : R + R);
    if (!kWideIs16Bit) {
        EXPECT_EQ(ToAnsi(Units({0x110000})), R);
    }
}
