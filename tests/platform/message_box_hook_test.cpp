// The message-box hook takes the box on either host.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

struct Shown {
    int calls = 0;
    const void* owner = reinterpret_cast<const void*>(1);
    std::string text;
    std::string caption;
    unsigned style = 0;
    int answer = IDOK;
};

int Capture(void* context, const void* owner, const char* text, const char* caption,
            unsigned style) {
    Shown* shown = static_cast<Shown*>(context);
    ++shown->calls;
    shown->owner = owner;
    shown->text = text != nullptr ? text : "<null>";
    shown->caption = caption != nullptr ? caption : "<null>";
    shown->style = style;
    return shown->answer;
}

struct HookOff {
    ~HookOff() { SetMessageBoxHook(nullptr, nullptr); }
};

} // namespace

TEST(MessageBoxHook, CapturesWhatTheBoxWouldShow) {
    HookOff off;
    Shown shown;
    shown.answer = 7;
    SetMessageBoxHook(Capture, &shown);
    EXPECT_EQ(MessageBoxA(nullptr, "the text", "the caption", MB_OK | MB_ICONINFORMATION), 7);
    EXPECT_EQ(shown.calls, 1);
    EXPECT_EQ(shown.owner, nullptr);
    EXPECT_EQ(shown.text, "the text");
    EXPECT_EQ(shown.caption, "the caption");
    EXPECT_EQ(shown.style, 0x40u);
}
