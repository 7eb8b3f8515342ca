#include "platform/win32.h"

#include <cstdlib>

LPVOID CoTaskMemAlloc(SIZE_T cb) {
    if (AllocShouldFail()) {
        return nullptr;
    }
    // A zero-byte request still yields a block that CoTaskMemFree accepts.
    return std::malloc(cb == 0 ? 1 : cb);
}

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
    if (pv != nullptr && cb == 0) {
        std::free(pv);
        return nullptr;
    }
    if (AllocShouldFail()) {
        return nullptr;
    }
    return std::realloc(pv, cb == 0 ? 1 : cb);
}

void CoTaskMemFree(LPVOID pv) {
    std::free(pv);
}
