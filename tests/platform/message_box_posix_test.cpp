// A message box on a console host is one line on stderr.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

std::string ShownOnStderr(const char* text, const char* caption, int* result) {
    testing::internal::CaptureStderr();
    *result = MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
    return testing::internal::GetCapturedStderr();
}

} // namespace

TEST(MessageBoxPosix, WritesCaptionAndTextAsOneLine) {
    int result = 0;
    EXPECT_EQ(ShownOnStderr("hello", "Message Info", &result), "Message Info: hello\n");
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(ShownOnStderr("two\nlines\r\n", "Box", &result), "Box: two lines  \n");
    EXPECT_EQ(ShownOnStderr("", "Box", &result), "Box: \n");
    EXPECT_EQ(result, IDOK);
}
