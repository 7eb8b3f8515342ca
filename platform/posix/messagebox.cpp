// MessageBoxA on a console host: the box becomes one line on stderr. Provides
// only the OK box that morvel shows; does not provide other buttons, owners,
// icons or a default caption for a null one.
#include "platform/win32.h"

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

// The button set is the lowest four bits of the style.
const UINT kButtonMask = 0x0000000F;

} // namespace

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    int hooked = 0;
    if (RunMessageBoxHook(hWnd, lpText, lpCaption, uType, &hooked)) {
        return hooked;
    }
    if ((uType & kButtonMask) != MB_OK) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string line = lpCaption;
    line += ": ";
    for (const char* p = lpText; *p != '\0'; ++p) {
        line += (*p == '\n' || *p == '\r') ? ' ' : *p;
    }
    line += '\n';
    // One write, so that the line is not interleaved with other output.
    if (std::fwrite(line.data(), 1, line.size(), stderr) != line.size() ||
        std::fflush(stderr) != 0) {
        SetLastErrorFromErrno(errno);
        return 0;
    }
    return IDOK;
}
