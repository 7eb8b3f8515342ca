// Test-only allocation failure switch, in the manner of SQLite's fault
// injection. Every allocator entry point that morvel uses (the task
// allocator, and the heap seam of the containers) asks AllocShouldFail()
// first, so a test can make the n-th allocation from now fail and check
// that the caller survives it. Products never call the setters.
#pragma once

// Make the nth counted allocation from now fail (1 = the very next one).
// With persistent set, every allocation after that one fails too.
// nth <= 0 turns the switch off. Resets the request counter.
void SetAllocFailure(long nth, bool persistent = false);

// Number of counted allocation requests since the last SetAllocFailure.
long AllocRequestCount();

// Number of requests that the switch has refused since the last SetAllocFailure.
long AllocFailureCount();

// Called by each allocator entry point: counts the request and says whether
// it must fail.
bool AllocShouldFail();
