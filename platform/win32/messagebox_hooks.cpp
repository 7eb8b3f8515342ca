// The real message box, unless a test has taken it. This file must reach
// the system's function, so it includes the system headers directly.
#include <windows.h>

#include "platform/message_box_hook.h"

int MorvelMessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    int hooked = 0;
    if (RunMessageBoxHook(hWnd, lpText, lpCaption, uType, &hooked)) {
        return hooked;
    }
    return ::MessageBoxA(hWnd, lpText, lpCaption, uType);
}
