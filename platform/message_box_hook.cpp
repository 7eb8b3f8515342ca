#include "platform/message_box_hook.h"

namespace {

MessageBoxHook g_hook = nullptr;
void* g_hookContext = nullptr;

} // namespace

void SetMessageBoxHook(MessageBoxHook hook, void* context) {
    g_hook = hook;
    g_hookContext = hook != nullptr ? context : nullptr;
}

bool RunMessageBoxHook(const void* owner, const char* text, const char* caption, unsigned int style,
                       int* result) {
    if (g_hook == nullptr) {
        return false;
    }
    *result = g_hook(g_hookContext, owner, text, caption, style);
    return true;
}
