#include "platform/alloc_fault.h"

// One thread only, so plain statics are enough.
static long g_requests = 0;
static long g_failAt = 0;
static long g_failures = 0;
static bool g_persistent = false;

void SetAllocFailure(long nth, bool persistent) {
    g_requests = 0;
    g_failures = 0;
    g_failAt = nth > 0 ? nth : 0;
    g_persistent = persistent;
}

long AllocRequestCount() {
    return g_requests;
}

long AllocFailureCount() {
    return g_failures;
}

bool AllocShouldFail() {
    ++g_requests;
    if (g_failAt == 0) {
        return false;
    }
    bool fail = g_persistent ? g_requests >= g_failAt : g_requests == g_failAt;
    if (fail) {
        ++g_failures;
    }
    return fail;
}
