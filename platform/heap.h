// The standard library heap behind the allocation failure switch. Containers
// that keep their storage on the heap (rather than the task allocator) go
// through these, so a test can fail any one of their requests.
#pragma once

#include <cstddef>

// malloc: a block of size bytes, or null. A zero-byte request still yields a
// block that MorvelFree accepts.
void* MorvelMalloc(std::size_t size);

// realloc: with block null, a fresh block; otherwise a block of size bytes
// that keeps the old contents, or null with block untouched (still owned by
// the caller). A zero size is taken as one byte, so the call never frees the
// block behind the caller's back.
void* MorvelRealloc(void* block, std::size_t size);

// free: releases a block from MorvelMalloc or MorvelRealloc; null is accepted.
void MorvelFree(void* block);
