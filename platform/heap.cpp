#include "platform/heap.h"

#include <cstdlib>

#include "platform/alloc_fault.h"

void* MorvelMalloc(std::size_t size) {
    if (AllocShouldFail()) {
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* MorvelRealloc(void* block, std::size_t size) {
    if (AllocShouldFail()) {
        return nullptr;
    }
    // realloc(p, 0) may free p; keep the promise that a failure leaves it.
    return std::realloc(block, size == 0 ? 1 : size);
}

void MorvelFree(void* block) {
    std::free(block);
}
