#include "platform/win32.h"

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

MessageBoxHook g_hook = nullptr;
void* g_hookContext = nullptr;

} // namespace

void SetMessageBoxHook(MessageBoxHook hook, void* context) {
    g_hook = hook;
    g_hookContext = hook != nullptr ? context : nullptr;
}

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    if (g_hook != nullptr) {
        return g_hook(g_hookContext, hWnd, lpText, lpCaption, uType);
    }
    std::string line = lpCaption != nullptr ? lpCaption : "Error";
    line += ": ";
    for (const char* p = lpText != nullptr ? lpText : ""; *p != '\0'; ++p) {
        line += (*p == '\n' || *p == '\r') ? ' ' : *p;
    }
    line += '\n';
    // One write, so that the line is not interleaved with other output.
    if (std::fwrite(line.data(), 1, line.size(), stderr) != line.size() ||
        std::fflush(stderr) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return 0;
    }
    return IDOK;
}
