#include "containers/ptr_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/alloc_fault.h"
#include "tests/support/test_support.h"

namespace {

using Value = PtrArray::Value;

// Adds 0, 1, 2, ... until the array holds n values.
void FillTo(PtrArray& array, std::int32_t n) {
    for (std::int32_t i = array.GetCount(); i < n; ++i) {
        ASSERT_EQ(array.Add(i), 1) << i;
    }
}

} // namespace

TEST(PtrArray, NewArrayIsEmptyWithoutStorage) {
    PtrArray plain;
    PtrArray withArgument(1234);
    for (PtrArray* array : {&plain, &withArgument}) {
        EXPECT_EQ(array->GetCount(), 0);
        EXPECT_EQ(array->GetCapacity(), 0);
        EXPECT_EQ(array->GetAt(0), 0);
        EXPECT_EQ(array->GetItem(0), 0);
        EXPECT_EQ(array->RemoveAt(0), 0);
        EXPECT_EQ(array->GetCount(), 0);
    }
}

TEST(PtrArray, GrowsLinearlyByTenThousandSlots) {
    AllocFailureOff off;
    PtrArray array;
    SetAllocFailure(0); // only counts requests from here on
    ASSERT_EQ(array.Add(0), 1);
    EXPECT_EQ(array.GetCount(), 1);
    EXPECT_EQ(array.GetCapacity(), PtrArray::GrowthSlots);
    FillTo(array, 10000);
    EXPECT_EQ(array.GetCapacity(), 10000);
    EXPECT_EQ(AllocRequestCount(), 1);
    ASSERT_EQ(array.Add(10000), 1);
    EXPECT_EQ(array.GetCapacity(), 20000);
    EXPECT_EQ(AllocRequestCount(), 2);
    FillTo(array, 20000);
    EXPECT_EQ(AllocRequestCount(), 2);
    EXPECT_EQ(array.GetCapacity(), 20000);
    ASSERT_EQ(array.Add(20000), 1);
    EXPECT_EQ(array.GetCapacity(), 30000);
    EXPECT_EQ(AllocRequestCount(), 3);
    // Every value survived the moves of the block, the last slots included.
    for (std::int32_t i = 0; i < array.GetCount(); ++i) {
        ASSERT_EQ(array.GetAt(i), i) << i;
    }
    EXPECT_EQ(array.GetAt(20001), 0);
}

TEST(PtrArray, ValuesArePointerWideAndUnchanged) {
    PtrArray array;
    int local = 0;
    Value address = reinterpret_cast<Value>(&local);
    array.Add(address);
    array.Add(INTPTR_MAX);
    array.Add(INTPTR_MIN);
    array.Add(-1);
    array.Add(0);
    EXPECT_EQ(Values(array), std::vector<Value>({address, INTPTR_MAX, INTPTR_MIN, -1, 0}));
    EXPECT_EQ(reinterpret_cast<int*>(array.GetAt(0)), &local);
}

TEST(PtrArray, AssignLeavesOneSlotThenAddGrowsByAStep) {
    PtrArray array;
    FillTo(array, 5);
    Value v = 77;
    ASSERT_EQ(array.Assign(&v), 1);
    EXPECT_EQ(array.GetCount(), 1);
    EXPECT_EQ(array.GetCapacity(), 1);
    EXPECT_EQ(array.GetAt(0), 77);
    EXPECT_EQ(array.GetAt(1), 0);
    ASSERT_EQ(array.Add(88), 1);
    EXPECT_EQ(array.GetCapacity(), 10001);
    EXPECT_EQ(Values(array), std::vector<Value>({77, 88}));
    // Fill every slot of the 10001: a block shorter than that trips ASan.
    FillTo(array, 10001);
    EXPECT_EQ(array.GetCapacity(), 10001);
    EXPECT_EQ(array.GetAt(10000), 10000);
    ASSERT_EQ(array.Add(-5), 1);
    EXPECT_EQ(array.GetCapacity(), 20001);
    EXPECT_EQ(array.GetAt(0), 77);
    EXPECT_EQ(array.GetAt(10001), -5);
}

TEST(PtrArray, AssignRefusesNullAddress) {
    PtrArray empty;
    EXPECT_EQ(empty.Assign(nullptr), 0);
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(empty.GetCapacity(), 0);

    PtrArray array;
    FillTo(array, 3);
    EXPECT_EQ(array.Assign(nullptr), 0);
    EXPECT_EQ(Values(array), std::vector<Value>({0, 1, 2}));
    EXPECT_EQ(array.GetCapacity(), 10000);
}

TEST(PtrArray, RemoveAtShiftsLaterValuesDown) {
    PtrArray array;
    array.Add(10);
    array.Add(20);
    array.Add(30);
    EXPECT_EQ(array.RemoveAt(1), 1);
    EXPECT_EQ(array.GetCount(), 2);
    EXPECT_EQ(array.GetAt(0), 10);
    EXPECT_EQ(array.GetAt(1), 30);
    EXPECT_EQ(array.GetAt(2), 0);

    array.Add(40);
    array.Add(50);
    EXPECT_EQ(array.RemoveAt(3), 1); // the last one: nothing moves
    EXPECT_EQ(Values(array), std::vector<Value>({10, 30, 40}));
    EXPECT_EQ(array.RemoveAt(0), 1);
    EXPECT_EQ(Values(array), std::vector<Value>({30, 40}));
    EXPECT_EQ(array.RemoveAt(2), 0);
    EXPECT_EQ(Values(array), std::vector<Value>({30, 40}));
}

TEST(PtrArray, RemovalKeepsStorageForLaterAdds) {
    AllocFailureOff off;
    PtrArray array;
    array.Add(1);
    EXPECT_EQ(array.RemoveAt(0), 1);
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.GetCapacity(), 10000);
    EXPECT_EQ(array.GetAt(0), 0);
    SetAllocFailure(1, true); // any allocation now would fail
    EXPECT_EQ(array.Add(2), 1);
    EXPECT_EQ(AllocRequestCount(), 0);
    EXPECT_EQ(Values(array), std::vector<Value>({2}));
}

TEST(PtrArray, NegativeIndicesAreRefused) {
    PtrArray array;
    array.Add(10);
    array.Add(20);
    for (std::int32_t index : {-1, -2, INT32_MIN}) {
        EXPECT_EQ(array.GetAt(index), 0) << index;
        EXPECT_EQ(array.GetItem(index), 0) << index;
        EXPECT_EQ(array.RemoveAt(index), 0) << index;
    }
    EXPECT_EQ(Values(array), std::vector<Value>({10, 20}));
}

TEST(PtrArray, RemoveAllGivesStorageBack) {
    PtrArray array;
    array.RemoveAll();
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.GetCapacity(), 0);
    FillTo(array, 10001);
    array.RemoveAll();
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.GetCapacity(), 0);
    EXPECT_EQ(array.GetAt(0), 0);
    array.RemoveAll();
    EXPECT_EQ(array.Add(9), 1);
    EXPECT_EQ(array.GetCapacity(), 10000);
    EXPECT_EQ(Values(array), std::vector<Value>({9}));
}

TEST(PtrArray, SecondNamesAndReserved) {
    PtrArray viaAdd;
    PtrArray viaAppend;
    for (Value v : {5, 0, -7}) {
        EXPECT_EQ(viaAdd.Add(v), 1);
        EXPECT_EQ(viaAppend.Append(v), 1);
    }
    EXPECT_EQ(Values(viaAppend), Values(viaAdd));
    EXPECT_EQ(viaAppend.GetCapacity(), viaAdd.GetCapacity());
    for (std::int32_t i = -1; i <= viaAdd.GetCount(); ++i) {
        EXPECT_EQ(viaAdd.GetItem(i), viaAdd.GetAt(i)) << i;
    }
    EXPECT_EQ(viaAdd.Reserved(0, 0), 0);
    EXPECT_EQ(viaAdd.Reserved(-1, INT32_MAX), 0);
    EXPECT_EQ(Values(viaAdd), std::vector<Value>({5, 0, -7}));
    EXPECT_EQ(viaAdd.GetCapacity(), 10000);
}

// The first block, a growth and an Assign may each find no memory: the
// operation reports 0, the array is exactly as before and still usable.
TEST(PtrArray, AllocationFailureLeavesArrayAsItWas) {
    AllocFailureOff off;
    PtrArray array;
    SetAllocFailure(1);
    EXPECT_EQ(array.Add(1), 0);
    EXPECT_EQ(AllocFailureCount(), 1);
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.GetCapacity(), 0);
    EXPECT_EQ(array.Add(1), 1);

    FillTo(array, 10000);
    SetAllocFailure(1, true);
    EXPECT_EQ(array.Add(-1), 0);
    EXPECT_EQ(array.Append(-1), 0);
    Value v = 42;
    EXPECT_EQ(array.Assign(&v), 0);
    EXPECT_EQ(AllocFailureCount(), 3);
    SetAllocFailure(0);
    EXPECT_EQ(array.GetCount(), 10000);
    EXPECT_EQ(array.GetCapacity(), 10000);
    EXPECT_EQ(array.GetAt(0), 1);
    for (std::int32_t i = 1; i < 10000; ++i) {
        ASSERT_EQ(array.GetAt(i), i) << i;
    }
    EXPECT_EQ(array.Add(10000), 1);
    EXPECT_EQ(array.GetCapacity(), 20000);
    EXPECT_EQ(array.GetAt(10000), 10000);
}

// Fails each allocation of a sequence in turn; every step either happens in
// full or not at all, and nothing leaks (ASan checks).
TEST(PtrArray, AllocationFailureAtEverySite) {
    AllocFailureOff off;
    Value v = 3;
    for (long nth = 1;; ++nth) {
        PtrArray array;
        SetAllocFailure(nth);
        int first = array.Add(1);        // malloc
        int assigned = array.Assign(&v); // malloc of one slot
        int second = array.Add(2);       // realloc to 10001 slots
        long failures = AllocFailureCount();
        SetAllocFailure(0);
        std::vector<Value> expected;
        if (first == 1) {
            expected = {1};
        }
        if (assigned == 1) {
            expected = {3};
        }
        if (second == 1) {
            expected.push_back(2);
        }
        EXPECT_EQ(first + assigned + second, 3 - failures) << nth;
        EXPECT_EQ(Values(array), expected) << nth;
        if (assigned == 1) {
            EXPECT_EQ(array.GetCapacity(), second == 1 ? 10001 : 1) << nth;
        }
        if (failures == 0) {
            EXPECT_EQ(nth, 4) << "the sequence makes three allocations";
            break;
        }
    }
}
