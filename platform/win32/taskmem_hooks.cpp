// The real task allocator behind the failure switch. This file must reach
// the system's functions, so it includes the system headers directly.
#include <windows.h>
#include <objbase.h>

#include "platform/alloc_fault.h"

LPVOID MorvelCoTaskMemAlloc(SIZE_T cb) {
    if (AllocShouldFail()) {
        return nullptr;
    }
    return ::CoTaskMemAlloc(cb);
}

LPVOID MorvelCoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
    // A shrink to zero frees the block and is no allocation: never fail it.
    if (cb != 0 && AllocShouldFail()) {
        return nullptr;
    }
    return ::CoTaskMemRealloc(pv, cb);
}
