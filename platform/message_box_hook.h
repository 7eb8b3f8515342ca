// Test-only capture of message boxes, on every host: while a hook is set,
// MessageBoxA shows nothing, hands the hook what the box would show and
// returns what the hook returns, as if that button had been pressed.
// Products never set a hook.
#pragma once

typedef int (*MessageBoxHook)(void* context, const void* owner, const char* text,
                              const char* caption, unsigned int style);

// A null hook restores the real box.
void SetMessageBoxHook(MessageBoxHook hook, void* context);

// Used by MessageBoxA on each host: true when a hook took the box, with the
// hook's result in *result.
bool RunMessageBoxHook(const void* owner, const char* text, const char* caption, unsigned int style,
                       int* result);
