// Automation strings, on either host: the layout callers may rely on and the
// failure switch.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32.h"
#include "tests/support/test_support.h"

namespace {

DWORD BytePrefix(BSTR b) {
    DWORD n;
    std::memcpy(&n, reinterpret_cast<const char*>(b) - sizeof(DWORD), sizeof n);
    return n;
}

} // namespace

TEST(AutomationString, LengthPrefixAndTerminator) {
    BSTR b = SysAllocString(L"hello");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::wstring(b), L"hello");
    EXPECT_EQ(SysStringLen(b), 5u);
    EXPECT_EQ(BytePrefix(b), 5 * sizeof(OLECHAR));
    EXPECT_EQ(b[5], L'\0');
    SysFreeString(b);

    BSTR empty = SysAllocString(L"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(BytePrefix(empty), 0u);
    EXPECT_EQ(empty[0], L'\0');
    SysFreeString(empty);

    std::wstring longText(10000, L'x');
    BSTR big = SysAllocString(longText.c_str());
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(SysStringLen(big), 10000u);
    EXPECT_EQ(std::wstring(big), longText);
    SysFreeString(big);
}

TEST(AutomationString, NullIsNoString) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(AutomationString, FailureSwitchRefusesTheAllocation) {
    AllocFailureOff off;
    SetAllocFailure(1);
    EXPECT_EQ(SysAllocString(L"abc"), nullptr);
    EXPECT_EQ(AllocFailureCount(), 1);
    BSTR b = SysAllocString(L"abc");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::wstring(b), L"abc");
    SysFreeString(b);
}
