#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/test_support.h"
#include "textutil/encoding.h"

TEST(AnsiToBstr, ConvertsAndHandsOverTheString) {
    BSTR b = reinterpret_cast<BSTR>(&b); // a sentinel no call may write
    BSTR sentinel = b;
    EXPECT_EQ(AnsiToBstr(nullptr, b), S_FALSE);
    EXPECT_EQ(b, sentinel);

    ASSERT_EQ(AnsiToBstr("", b), S_OK);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::wcslen(b), 0u);
    SysFreeString(b);

    ASSERT_EQ(AnsiToBstr("report.ps", b), S_OK);
    EXPECT_EQ(std::wstring(b), L"report.ps");
    EXPECT_EQ(std::wcslen(b), 9u);
    SysFreeString(b);

    std::string longText(5000, 'q');
    ASSERT_EQ(AnsiToBstr(longText.c_str(), b), S_OK);
    EXPECT_EQ(std::wcslen(b), 5000u);
    SysFreeString(b);
}

TEST(AnsiToBstr, ReadsTheCodePage) {
    BSTR b = nullptr;
    // The ANSI code page is UTF-8 on both hosts.
    ASSERT_EQ(AnsiToBstr("caf\xC3\xA9", b), S_OK);
    EXPECT_EQ(std::wstring(b), Units({'c', 'a', 'f', 0xE9}));
    SysFreeString(b);
    ASSERT_EQ(AnsiToBstr("x\xFFy", b), S_OK);
    EXPECT_EQ(std::wstring(b), Units({'x', 0xFFFD, 'y'}));
    SysFreeString(b);
}

TEST(AnsiToBstr, OutOfMemory) {
    AllocFailureOff off;
    BSTR b = reinterpret_cast<BSTR>(&b);
    BSTR sentinel = b;
    // The scratch block fails: reported, output untouched.
    SetAllocFailure(1);
    EXPECT_EQ(AnsiToBstr("abc", b), E_OUTOFMEMORY);
    EXPECT_EQ(b, sentinel);
    EXPECT_EQ(AllocFailureCount(), 1);
    // The automation string fails: a null string, not reported.
    SetAllocFailure(2);
    EXPECT_EQ(AnsiToBstr("abc", b), S_OK);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(AllocFailureCount(), 1);
}

TEST(WideToAnsi, ConvertsIntoTheCallersBuffer) {
    char buf[64] = "previous";
    EXPECT_EQ(WideToAnsi(nullptr, buf), S_FALSE);
    EXPECT_STREQ(buf, "previous");
    EXPECT_EQ(WideToAnsi(L"", buf), S_OK);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'r'); // a lone terminator, nothing more
    EXPECT_EQ(WideToAnsi(L"C:\\dir\\file.ps", buf), S_OK);
    EXPECT_STREQ(buf, "C:\\dir\\file.ps");
}

TEST(WideToAnsi, CharactersOfSeveralBytes) {
    // Three CJK characters and one beyond the basic plane take 13 bytes in
    // UTF-8, far more than two bytes a unit.
    std::wstring wide = Units({0x4E2D, 0x6587, 0x5B57});
    if (sizeof(wchar_t) == 4) {
        wide.push_back(static_cast<wchar_t>(0x1F600));
    }
    std::vector<char> buf(64, '#');
    ASSERT_EQ(WideToAnsi(wide.c_str(), buf.data()), S_OK);
    std::string expected = "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97";
    if (sizeof(wchar_t) == 4) {
        expected += "\xF0\x9F\x98\x80";
    }
    EXPECT_EQ(std::string(buf.data()), expected);
}

TEST(WideToAnsi, OutOfMemoryLeavesTheOutputAlone) {
    AllocFailureOff off;
    char buf[16] = "previous";
    SetAllocFailure(1);
    EXPECT_EQ(WideToAnsi(L"abc", buf), E_OUTOFMEMORY);
    EXPECT_STREQ(buf, "previous");
    EXPECT_EQ(AllocFailureCount(), 1);
}

TEST(WideViaAnsi, CopyConcatCompare) {
    std::vector<wchar_t> dest = WideBuffer(64, L"a much longer previous text");
    EXPECT_EQ(WideCopyViaAnsi(dest.data(), L"ab"), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"ab");
    EXPECT_EQ(WideConcatViaAnsi(dest.data(), L"cd"), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"abcd");
    EXPECT_EQ(WideConcatViaAnsi(dest.data(), L""), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"abcd");
    EXPECT_EQ(WideCopyViaAnsi(dest.data(), L""), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"");

    EXPECT_EQ(WideCompareViaAnsi(L"same", L"same"), 0);
    EXPECT_EQ(WideCompareViaAnsi(L"abc", L"abd"), 1);
    EXPECT_EQ(WideCompareViaAnsi(L"abd", L"abc"), 1);
    EXPECT_EQ(WideCompareViaAnsi(L"ab", L"abc"), 1);
    EXPECT_EQ(WideCompareViaAnsi(L"", L""), 0);
}

TEST(WideViaAnsi, NullOperandsAreEmptyText) {
    std::vector<wchar_t> dest = WideBuffer(16, L"keep");
    EXPECT_EQ(WideConcatViaAnsi(dest.data(), nullptr), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"keep");
    EXPECT_EQ(WideCopyViaAnsi(dest.data(), nullptr), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"");
    EXPECT_EQ(WideCompareViaAnsi(nullptr, L""), 0);
    EXPECT_EQ(WideCompareViaAnsi(L"", nullptr), 0);
    EXPECT_EQ(WideCompareViaAnsi(nullptr, nullptr), 0);
    EXPECT_EQ(WideCompareViaAnsi(nullptr, L"a"), 1);
    // Nowhere to write.
    EXPECT_EQ(WideCopyViaAnsi(nullptr, L"a"), S_FALSE);
    EXPECT_EQ(WideConcatViaAnsi(nullptr, L"a"), S_FALSE);
}

TEST(WideViaAnsi, OperandsOfAnyLength) {
    std::wstring first(300, L'a');
    std::wstring second(700, L'b');
    std::vector<wchar_t> dest = WideBuffer(1200);
    EXPECT_EQ(WideCopyViaAnsi(dest.data(), first.c_str()), 0);
    EXPECT_EQ(std::wstring(dest.data()), first);
    EXPECT_EQ(WideConcatViaAnsi(dest.data(), second.c_str()), 0);
    EXPECT_EQ(std::wstring(dest.data()), first + second);
    EXPECT_EQ(dest[1000], L'\0');
    EXPECT_EQ(dest[1001], L'#');

    // A difference beyond the first 255 characters still counts.
    std::wstring other = first;
    other[280] = L'z';
    EXPECT_EQ(WideCompareViaAnsi(first.c_str(), other.c_str()), 1);
    EXPECT_EQ(WideCompareViaAnsi(first.c_str(), std::wstring(first).c_str()), 0);
    EXPECT_EQ(WideCompareViaAnsi(first.c_str(), (first + L"x").c_str()), 1);
}

TEST(WideViaAnsi, TextGoesThroughTheCodePage) {
    const std::wstring han = Units({0x4E2D});
    const std::wstring wen = Units({0x6587});
    std::vector<wchar_t> dest = WideBuffer(16);
    ASSERT_EQ(WideCopyViaAnsi(dest.data(), (L"x" + han).c_str()), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"x" + han);
    EXPECT_EQ(WideCompareViaAnsi(han.c_str(), wen.c_str()), 1);
    // Each character joins whole, multi-byte forms included.
    ASSERT_EQ(WideConcatViaAnsi(dest.data(), wen.c_str()), 0);
    EXPECT_EQ(std::wstring(dest.data()), L"x" + han + wen);
    // A character of two bytes survives too.
    ASSERT_EQ(WideCopyViaAnsi(dest.data(), Units({0xE9}).c_str()), 0);
    EXPECT_EQ(std::wstring(dest.data()), Units({0xE9}));
}

TEST(WideViaAnsi, OutOfMemoryAtEveryAllocation) {
    AllocFailureOff off;
    struct Case {
        const char* name;
        HRESULT (*run)(wchar_t* dest);
    };
    const Case cases[] = {
        {"copy", [](wchar_t* d) { return WideCopyViaAnsi(d, L"new text"); }},
        {"concat", [](wchar_t* d) { return WideConcatViaAnsi(d, L" and more"); }},
        {"compare", [](wchar_t* d) { return WideCompareViaAnsi(d, L"other"); }},
    };
    for (const Case& c : cases) {
        long nth = 1;
        for (;; ++nth) {
            std::vector<wchar_t> dest = WideBuffer(32, L"old");
            SetAllocFailure(nth);
            HRESULT hr = c.run(dest.data());
            if (AllocFailureCount() == 0) {
                EXPECT_NE(hr, E_OUTOFMEMORY) << c.name;
                break;
            }
            EXPECT_EQ(hr, E_OUTOFMEMORY) << c.name << " failing allocation " << nth;
            EXPECT_EQ(std::wstring(dest.data()), L"old") << c.name << " " << nth;
        }
        // Two working buffers and a scratch block per converted operand.
        EXPECT_GE(nth, 4) << c.name;
    }
}

TEST(BufferConversions, ReturnThePlatformsCount) {
    wchar_t wide[16];
    EXPECT_EQ(AnsiToWideBuffer("abc", wide), 4);
    EXPECT_EQ(std::wstring(wide), L"abc");
    EXPECT_EQ(AnsiToWideBuffer("", wide), 1);
    EXPECT_EQ(wide[0], L'\0');
    EXPECT_EQ(AnsiToWideBuffer(nullptr, wide), 0);

    char ansi[16];
    EXPECT_EQ(WideToAnsiBuffer(L"abc", ansi), 4);
    EXPECT_STREQ(ansi, "abc");
    EXPECT_EQ(WideToAnsiBuffer(L"", ansi), 1);
    EXPECT_EQ(WideToAnsiBuffer(nullptr, ansi), 0);

    EXPECT_EQ(AnsiToWideBuffer("\xC3\xA9\xFF", wide), 3);
    EXPECT_EQ(std::wstring(wide), Units({0xE9, 0xFFFD}));
    // Three characters are offered 8 bytes: 8 fit, 10 do not.
    std::wstring fits = Units({'a', 0x4E2D, 0x6587});
    EXPECT_EQ(WideToAnsiBuffer(fits.c_str(), ansi), 8);
    std::wstring tooLong = Units({0x4E2D, 0x6587, 0x5B57});
    EXPECT_EQ(WideToAnsiBuffer(tooLong.c_str(), ansi), 0);
}

TEST(WideWrappers, CopyConcatAndCompareSign) {
    wchar_t buf[16] = L"junk";
    EXPECT_EQ(WideCopy(buf, L"ab"), buf);
    EXPECT_EQ(std::wstring(buf), L"ab");
    EXPECT_EQ(WideConcat(buf, L"cd"), buf);
    EXPECT_EQ(std::wstring(buf), L"abcd");

    EXPECT_EQ(WideCompare(L"abc", L"abc"), 0);
    EXPECT_EQ(WideCompare(L"a", L"z"), -1);
    EXPECT_EQ(WideCompare(L"z", L"a"), 1);
    EXPECT_EQ(WideCompare(L"ab", L"abc"), -1);
    EXPECT_EQ(WideCompare(L"abc", L"ab"), 1);
    EXPECT_EQ(WideCompare(L"", L""), 0);
    // Units compare as unsigned values.
    EXPECT_EQ(WideCompare(Units({0x8000}).c_str(), L"A"), 1);
    EXPECT_EQ(WideCompare(L"A", Units({0xFFFF}).c_str()), -1);
}
