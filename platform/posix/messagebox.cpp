#include "platform/win32.h"

#include <cerrno>
#include <cstdio>
#include <string>

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    int hooked = 0;
    if (RunMessageBoxHook(hWnd, lpText, lpCaption, uType, &hooked)) {
        return hooked;
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
