#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "platform/win32.h"
#include "tests/support/test_support.h"
#include "textutil/message_box.h"

TEST(MessageBoxes, ShowAnInformationBox) {
    BoxCapture box(IDOK);
    EXPECT_EQ(ShowMessage("plain text"), IDOK);
    EXPECT_EQ(box.shown().calls, 1);
    EXPECT_EQ(box.shown().text, "plain text");
    EXPECT_EQ(box.shown().caption, "Message Info");
    EXPECT_EQ(box.shown().owner, nullptr);
    EXPECT_EQ(box.shown().style, 0x40u);

    EXPECT_EQ(ShowMessage(""), IDOK);
    EXPECT_EQ(box.shown().text, "");
    EXPECT_EQ(box.shown().caption, "Message Info");

    EXPECT_EQ(ShowInteger(-5), IDOK);
    EXPECT_EQ(box.shown().text, "Integer Value : -5");
    EXPECT_EQ(ShowFloat(3.5), IDOK);
    EXPECT_EQ(box.shown().text, "Float Value : 3.500000");
    EXPECT_EQ(box.shown().style, 0x40u);
    EXPECT_EQ(box.shown().calls, 4);
}

TEST(MessageBoxes, IntegerText) {
    EXPECT_EQ(IntegerMessageText(0), "Integer Value : 0");
    EXPECT_EQ(IntegerMessageText(-5), "Integer Value : -5");
    EXPECT_EQ(IntegerMessageText(INT32_MAX), "Integer Value : 2147483647");
    std::string min = IntegerMessageText(INT32_MIN);
    EXPECT_EQ(min, "Integer Value : -2147483648");
    EXPECT_EQ(min.size(), 27u);
}

TEST(MessageBoxes, FloatTextIsWholeFixedNotation) {
    EXPECT_EQ(FloatMessageText(3.5), "Float Value : 3.500000");
    EXPECT_EQ(FloatMessageText(0.0), "Float Value : 0.000000");
    EXPECT_EQ(FloatMessageText(-0.25), "Float Value : -0.250000");
    EXPECT_EQ(FloatMessageText(1e-7), "Float Value : 0.000000");
    EXPECT_EQ(FloatMessageText(2.0000005), "Float Value : 2.000001");
    // The widest that fitted 31 characters, and just beyond it.
    EXPECT_EQ(FloatMessageText(9999999999.0), "Float Value : 9999999999.000000");
    EXPECT_EQ(FloatMessageText(9999999999.0).size(), 31u);
    EXPECT_EQ(FloatMessageText(-999999999.0).size(), 31u);
    EXPECT_EQ(FloatMessageText(10000000000.0), "Float Value : 10000000000.000000");
    EXPECT_EQ(FloatMessageText(-12345678901.5), "Float Value : -12345678901.500000");
    EXPECT_EQ(FloatMessageText(1e20), "Float Value : 100000000000000000000.000000");

    // The largest double: 309 digits before the point, all of them shown.
    std::string max = FloatMessageText(DBL_MAX);
    EXPECT_EQ(max.size(), 14u + 309u + 7u);
    EXPECT_EQ(max.compare(0, 30, "Float Value : 1797693134862315"), 0);
    EXPECT_EQ(max.substr(max.size() - 7), ".000000");
    EXPECT_EQ(FloatMessageText(-DBL_MAX), "Float Value : -" + max.substr(14));
}

TEST(MessageBoxes, ShowFloatShowsTheWholeText) {
    BoxCapture box(IDOK);
    ShowFloat(-DBL_MAX);
    EXPECT_EQ(box.shown().text, FloatMessageText(-DBL_MAX));
    EXPECT_EQ(box.shown().text.size(), 14u + 310u + 7u);
}
