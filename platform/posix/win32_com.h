// The COM task allocator (ole32) and automation strings (oleaut32).
#pragma once

#include "platform/posix/win32_types.h"

// CoTaskMemAlloc: a block of cb bytes, or null. CoTaskMemRealloc: with pv
// null, a fresh block; with cb 0, frees pv and returns null; otherwise a block
// of cb bytes keeping the old contents, or null with pv untouched.
LPVOID CoTaskMemAlloc(SIZE_T cb);
LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
void CoTaskMemFree(LPVOID pv);
