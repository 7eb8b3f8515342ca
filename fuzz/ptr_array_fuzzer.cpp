// PtrArray against a std::vector model that also tracks the capacity the
// linear growth promises. Values are arbitrary, 0 included, since a stored 0
// and a refused index look alike from GetAt. Bulk appends reach the growth
// boundaries, where a failed allocation must leave the array as it was.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "containers/ptr_array.h"
#include "fuzz/fuzz_support.h"
#include "platform/alloc_fault.h"

namespace {

using Value = PtrArray::Value;

// Enough to cross two growth steps; more only slows each run.
const std::int32_t MaxValues = 3 * PtrArray::GrowthSlots;

struct Run {
    FuzzInput in;
    PtrArray array;
    std::vector<Value> model;
    std::int32_t capacity = 0;
    // The first position the last step may have changed; CheckAll reads
    // from there on.
    std::int32_t changedFrom = 0;
    bool readAll = false; // set when the block may have moved

    // Either constructor; the one-argument one must ignore its argument.
    Run(const std::uint8_t* data, std::size_t size)
        : in(data, size), array(in.Below(2) == 0 ? 0 : in.Int32()) {}

    std::int32_t Count() const { return static_cast<std::int32_t>(model.size()); }

    bool InRange(std::int32_t index) const { return index >= 0 && index < Count(); }

    Value NewValue() {
        switch (in.Below(4)) {
        case 0:
            return 0;
        case 1:
            return static_cast<Value>(in.Int32());
        default: {
            std::uint64_t high = static_cast<std::uint32_t>(in.Int32());
            std::uint64_t low = static_cast<std::uint32_t>(in.Int32());
            return static_cast<Value>((high << 32) | low);
        }
        }
    }

    // One Add, with its allocation failing when failAlloc says so.
    void Add(Value value, bool failAlloc, bool viaAppend) {
        bool grows = Count() == capacity;
        SetAllocFailure(failAlloc ? 1 : 0);
        int result = viaAppend ? array.Append(value) : array.Add(value);
        bool failed = AllocFailureCount() > 0;
        SetAllocFailure(0);
        // Only a growth allocates, and then exactly once.
        FUZZ_CHECK(failed == (failAlloc && grows));
        if (failed) {
            FUZZ_CHECK(result == 0);
            return;
        }
        FUZZ_CHECK(result == 1);
        if (grows) {
            capacity += PtrArray::GrowthSlots;
            readAll = true;
        }
        model.push_back(value);
    }

    // Values appended in bulk so far: bulk appends are what makes a run
    // slow, so each run gets enough for a few growths and no more.
    std::int32_t bulkBudget = 3 * PtrArray::GrowthSlots;

    void BulkAdd() {
        // Up to the next growth boundary, or a little short of it or past it.
        std::int32_t target = capacity + static_cast<std::int32_t>(in.Below(5)) - 2;
        Value base = NewValue();
        for (std::int32_t i = Count(); i < target && i < MaxValues && bulkBudget > 0; ++i) {
            if (Count() == capacity) {
                capacity += PtrArray::GrowthSlots;
                readAll = true;
            }
            FUZZ_CHECK(array.Add(base + i) == 1);
            model.push_back(base + i);
            --bulkBudget;
        }
    }

    void Assign(bool failAlloc) {
        Value value = NewValue();
        if (in.Below(8) == 0) {
            FUZZ_CHECK(array.Assign(nullptr) == 0);
            return;
        }
        SetAllocFailure(failAlloc ? 1 : 0);
        int result = array.Assign(&value);
        SetAllocFailure(0);
        if (failAlloc) {
            FUZZ_CHECK(result == 0);
            return;
        }
        FUZZ_CHECK(result == 1);
        model.assign(1, value);
        capacity = 1;
        changedFrom = 0;
    }

    void RemoveAt() {
        std::int32_t index = in.Index(Count());
        bool ok = InRange(index);
        FUZZ_CHECK(array.RemoveAt(index) == (ok ? 1 : 0));
        if (ok) {
            model.erase(model.begin() + index);
            changedFrom = std::min(changedFrom, index);
        }
    }

    void Read() {
        std::int32_t index = in.Index(Count());
        Value expected = InRange(index) ? model[index] : 0;
        FUZZ_CHECK(array.GetAt(index) == expected);
        FUZZ_CHECK(array.GetItem(index) == expected);
    }

    // Reads everything a step may have changed: from the first changed
    // position to the end, except that a long shifted tail is read only at
    // both of its ends (a shifting fault shows there); all of it after a
    // growth.
    void CheckAll() {
        FUZZ_CHECK(array.GetCount() == Count());
        FUZZ_CHECK(array.GetCapacity() == capacity);
        const std::int32_t edge = 256;
        for (std::int32_t i = changedFrom; i < Count(); ++i) {
            if (!readAll && i == changedFrom + edge && Count() - i > edge) {
                i = Count() - edge;
            }
            FUZZ_CHECK(array.GetAt(i) == model[i]);
        }
        changedFrom = Count();
        readAll = false;
        FUZZ_CHECK(array.GetAt(Count()) == 0);
        FUZZ_CHECK(array.GetAt(-1) == 0);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Run run(data, size);
    FUZZ_CHECK(run.array.GetCount() == 0 && run.array.GetCapacity() == 0);
    while (!run.in.Empty()) {
        switch (run.in.Below(10)) {
        case 0:
        case 1:
            if (run.Count() < MaxValues) {
                run.Add(run.NewValue(), false, run.in.Below(2) == 0);
            }
            break;
        case 2:
            if (run.Count() < MaxValues) {
                run.Add(run.NewValue(), true, false);
            }
            break;
        case 3:
            run.BulkAdd();
            break;
        case 4:
            run.Assign(run.in.Below(3) == 0);
            break;
        case 5:
        case 6:
            run.RemoveAt();
            break;
        case 7:
            run.Read();
            break;
        case 8: {
            std::int32_t a = run.in.Int32();
            FUZZ_CHECK(run.array.Reserved(a, run.in.Int32()) == 0);
            break;
        }
        default:
            run.array.RemoveAll();
            run.model.clear();
            run.capacity = 0;
            run.changedFrom = 0;
            break;
        }
        run.CheckAll();
    }
    return 0;
}
