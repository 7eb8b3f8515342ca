// Automation strings, on either host: the text they carry and the failure
// switch.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "tests/support/test_support.h"

TEST(AutomationString, CopiesTheTextAndItsTerminator) {
    BSTR b = SysAllocString(L"hello");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::wstring(b), L"hello");
    EXPECT_EQ(b[5], L'\0');
    SysFreeString(b);

    BSTR empty = SysAllocString(L"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], L'\0');
    SysFreeString(empty);

    std::wstring longText(10000, L'x');
    BSTR big = SysAllocString(longText.c_str());
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(std::wstring(big), longText);
    SysFreeString(big);
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
