#include "textutil/message_box.h"

#include <cstdio>
#include <vector>

#include "platform/win32.h"

const char kMessageBoxCaption[] = "Message Info";

namespace {

// The whole formatted text: measured first, so no magnitude is cut short.
template <typename T> std::string Format(const char* format, T value) {
    int n = std::snprintf(nullptr, 0, format, value);
    if (n < 0) {
        return std::string();
    }
    std::vector<char> text(static_cast<std::size_t>(n) + 1);
    std::snprintf(text.data(), text.size(), format, value);
    return std::string(text.data(), static_cast<std::size_t>(n));
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
