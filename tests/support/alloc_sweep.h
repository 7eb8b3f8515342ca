// Allocation failure at every site, in the manner of SQLite's tests: a
// scenario runs again and again with the 1st, 2nd, ... k-th counted
// allocation failing in turn (once, or from k on), until a run meets no
// failure. The scenario checks at each step what must hold then.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "platform/alloc_fault.h"
#include "tests/support/test_support.h"

// Whether an allocation failed while fn ran.
inline bool FailsDuring(const std::function<void()>& fn) {
    long before = AllocFailureCount();
    fn();
    return AllocFailureCount() > before;
}

// What a scenario calls, once its setup is done, to arm the switch: what it
// holds before the faults is what must survive them.
using Faults = std::function<void()>;

// Runs scenario with k = 1, 2, ... until a run has no failure. A clean run
// must then make exactly k - 1 allocations, so that every one of them was
// failed once, and at least minAllocations of them.
inline void SweepAllocFailures(bool persistent, void (*scenario)(const Faults& faults),
                               long minAllocations) {
    AllocFailureOff off;
    const long limit = 100000; // far above any scenario's allocations
    long k = 1;
    for (; k < limit; ++k) {
        SCOPED_TRACE(testing::Message() << "allocation " << k << (persistent ? " and on" : ""));
        scenario([&] { SetAllocFailure(k, persistent); });
        bool failed = AllocFailureCount() > 0;
        SetAllocFailure(0);
        if (testing::Test::HasFatalFailure() || testing::Test::HasNonfatalFailure() || !failed) {
            break; // one failing k says enough
        }
    }
    ASSERT_LT(k, limit);
    ASSERT_FALSE(testing::Test::HasFailure()) << "stopped at allocation " << k;
    scenario([] { SetAllocFailure(0); });
    EXPECT_EQ(AllocRequestCount(), k - 1) << "the sweep stopped before the last allocation";
    EXPECT_GE(k - 1, minAllocations) << "the scenario allocates less than it should";
}
