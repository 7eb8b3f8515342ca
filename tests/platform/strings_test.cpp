// The 8-bit string functions and the task allocator, on either host.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32.h"
#include "tests/support/test_support.h"

TEST(LStr, CopyConcatLength) {
    char buf[32] = "junk";
    EXPECT_EQ(lstrcpyA(buf, "abc"), buf);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(lstrcatA(buf, "de"), buf);
    EXPECT_STREQ(buf, "abcde");
    EXPECT_EQ(lstrlenA(buf), 5);
    EXPECT_EQ(lstrlenA(""), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

TEST(LStr, CompareEquality) {
    EXPECT_EQ(lstrcmpA("same", "same"), 0);
    EXPECT_NE(lstrcmpA("abc", "abd"), 0);
    EXPECT_NE(lstrcmpA("ab", "abc"), 0);
    EXPECT_NE(lstrcmpA("a", "A"), 0);
}

TEST(TaskAllocator, ReallocKeepsContents) {
    char* p = static_cast<char*>(CoTaskMemAlloc(4));
    ASSERT_NE(p, nullptr);
    std::memcpy(p, "abc", 4);
    p = static_cast<char*>(CoTaskMemRealloc(p, 100000));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "abc");
    CoTaskMemFree(p);
    void* fresh = CoTaskMemRealloc(nullptr, 16);
    EXPECT_NE(fresh, nullptr);
    CoTaskMemFree(fresh);
    CoTaskMemFree(nullptr);
}

TEST(TaskAllocator, FailureSwitchCountsAndFails) {
    AllocFailureOff off;
    SetAllocFailure(2);
    void* first = CoTaskMemAlloc(8);
    void* second = CoTaskMemAlloc(8);
    void* third = CoTaskMemAlloc(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(AllocRequestCount(), 3);
    EXPECT_EQ(AllocFailureCount(), 1);

    // A failed resize leaves the old block as it was.
    std::memcpy(first, "kept", 5);
    SetAllocFailure(1);
    EXPECT_EQ(CoTaskMemRealloc(first, 1 << 20), nullptr);
    EXPECT_STREQ(static_cast<char*>(first), "kept");

    SetAllocFailure(1, true);
    EXPECT_EQ(CoTaskMemAlloc(1), nullptr);
    EXPECT_EQ(CoTaskMemAlloc(1), nullptr);
    SetAllocFailure(0);
    void* after = CoTaskMemAlloc(1);
    EXPECT_NE(after, nullptr);
    CoTaskMemFree(after);
    CoTaskMemFree(first);
    CoTaskMemFree(third);
}
