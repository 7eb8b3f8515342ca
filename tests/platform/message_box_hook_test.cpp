// The message-box hook takes the box on either host.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "tests/support/test_support.h"

TEST(MessageBoxHook, CapturesWhatTheBoxWouldShow) {
    BoxCapture box(7);
    EXPECT_EQ(MessageBoxA(nullptr, "the text", "the caption", MB_OK | MB_ICONINFORMATION), 7);
    EXPECT_EQ(box.shown().calls, 1);
    EXPECT_EQ(box.shown().owner, nullptr);
    EXPECT_EQ(box.shown().text, "the text");
    EXPECT_EQ(box.shown().caption, "the caption");
    EXPECT_EQ(box.shown().style, 0x40u);
}
