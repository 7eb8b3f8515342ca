#include "tool/win32_support.h"

#include <cstdint>

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result;
    if (n != 0 && text != nullptr) {
        result.assign(text, n);
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    if (result.empty()) {
        result = "system error " + std::to_string(code);
    }
    return result;
}

std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty()) {
        return std::wstring();
    }
    int units =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (units <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n,
                            nullptr, nullptr);
    }
    return text;
}

std::wstring Folded(std::wstring name) {
    if (!name.empty()) {
        CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    }
    return name;
}

HANDLE AsHandle(long long id) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(id));
}

long long AsId(HANDLE handle) {
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(handle));
}
