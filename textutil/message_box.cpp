#include "textutil/message_box.h"

#include <cstdio>

#include "platform/win32.h"

const char kMessageBoxCaption[] = "Message Info";

namespace {

// The whole formatted text: measured first, so no magnitude is cut short.
template <typename T> std::string Format(const char* format, T value) {
    int n = std::snprintf(nullptr, 0, format, value);
    if (n < 0) {
        return std::string();
    }
    // The string's own terminator slot takes the '\0' that snprintf writes.
    std::string text(static_cast<std::size_t>(n), '\0');
    std::snprintf(&text[0], text.size() + 1, format, value);
    return text;
}

} // namespace

std::string IntegerMessageText(std::int32_t value) {
    return Format("Integer Value : %d", static_cast<int>(value));
}

std::string FloatMessageText(double value) {
    return Format("Float Value : %lf", value);
}

int ShowMessage(const char* text) {
    return MessageBoxA(nullptr, text, kMessageBoxCaption, MB_OK | MB_ICONINFORMATION);
}

int ShowInteger(std::int32_t value) {
    return ShowMessage(IntegerMessageText(value).c_str());
}

int ShowFloat(double value) {
    return ShowMessage(FloatMessageText(value).c_str());
}
