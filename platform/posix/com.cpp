// The COM task allocator on the C heap, behind the allocation failure
// switch. Provides only what morvel asks of it: blocks of at least one byte,
// resized to at least one byte; does not provide the free that
// CoTaskMemRealloc does for a size of 0 (it fails instead, the block kept).
#include "platform/win32.h"

#include <cstdlib>

LPVOID CoTaskMemAlloc(SIZE_T cb) {
    if (AllocShouldFail()) {
        return nullptr;
    }
    return std::malloc(cb);
}

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
    // realloc could free the block for 0 while the caller takes the null as
    // a failure that left it alone.
    if (cb == 0 || AllocShouldFail()) {
        return nullptr;
    }
    return std::realloc(pv, cb);
}

void CoTaskMemFree(LPVOID pv) {
    std::free(pv);
}
