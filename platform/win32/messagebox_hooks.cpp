// The real message box, unless a test has taken it. This file must reach
// the system's function, so it includes the system headers directly.
#include <windows.h>

#include "platform/message_box_hook.h"

namespace {

MessageBoxHook g_hook = nullptr;
void* g_hookContext = nullptr;

} // namespace

void SetMessageBoxHook(MessageBoxHook hook, void* context) {
    g_hook = hook;
    g_hookContext = hook != nullptr ? context : nullptr;
}

int MorvelMessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    if (g_hook != nullptr) {
        return g_hook(g_hookContext, hWnd, lpText, lpCaption, uType);
    }
    return ::MessageBoxA(hWnd, lpText, lpCaption, uType);
}
