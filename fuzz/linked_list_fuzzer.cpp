// LinkedList against a std::vector model. Each step is one operation decoded
// from the input; its result is compared with the model's at once, and after
// the step the whole list is read back. Reads move the cursor, so the check
// itself starts with a probe next to the cursor the step left behind and ends
// on a position the input picks, leaving the next step an arbitrary cursor.
#include <cstdint>
#include <vector>

#include "containers/linked_list.h"
#include "fuzz/fuzz_support.h"
#include "platform/alloc_fault.h"

namespace {

// Items are addresses in this pool (and sometimes null, which is a legal item).
char pool[255];

// Enough for every cursor path; larger lists only make each run slower.
const std::int32_t MaxItems = 80;

struct Run {
    FuzzInput in;
    LinkedList list;
    std::vector<void*> model;
    std::int32_t lastIndex = 0; // where the last step looked

    Run(const std::uint8_t* data, std::size_t size) : in(data, size) {}

    std::int32_t Count() const { return static_cast<std::int32_t>(model.size()); }

    bool InRange(std::int32_t index) const { return index >= 0 && index < Count(); }

    void* Item() {
        std::uint8_t b = in.Byte();
        return b == 0xFF ? nullptr : &pool[b];
    }

    // index moved by -1, 0 or +1 as the input says, kept within int32.
    std::int32_t Near(std::int32_t index) {
        std::int64_t moved = static_cast<std::int64_t>(index) + in.Below(3) - 1;
        if (moved > INT32_MAX || moved < INT32_MIN) {
            return index;
        }
        return static_cast<std::int32_t>(moved);
    }

    void* Expected(std::int32_t index) const { return InRange(index) ? model[index] : nullptr; }

    void Read(std::int32_t index) {
        FUZZ_CHECK(list.GetAt(index) == Expected(index));
        lastIndex = index;
    }

    // Where InsertAt(index) puts its item in the model, or -1 when it refuses.
    std::int32_t InsertPosition(std::int32_t index) const {
        if (Count() == 0) {
            return index == 0 ? 0 : -1;
        }
        if (!InRange(index)) {
            return -1;
        }
        return index == Count() - 1 ? Count() : index;
    }

    void Append(bool failAlloc) {
        if (Count() >= MaxItems) {
            return;
        }
        void* item = Item();
        SetAllocFailure(failAlloc ? 1 : 0);
        list.Append(item);
        bool failed = AllocFailureCount() > 0;
        SetAllocFailure(0);
        FUZZ_CHECK(failed == failAlloc);
        if (!failed) {
            model.push_back(item);
        }
    }

    void InsertAt(bool failAlloc) {
        if (Count() >= MaxItems) {
            return;
        }
        std::int32_t index = in.Index(Count());
        void* item = Item();
        std::int32_t at = InsertPosition(index);
        SetAllocFailure(failAlloc ? 1 : 0);
        int result = list.InsertAt(index, item);
        SetAllocFailure(0);
        if (at < 0 || failAlloc) {
            FUZZ_CHECK(result == 0);
        } else {
            FUZZ_CHECK(result == 1);
            model.insert(model.begin() + at, item);
        }
        lastIndex = index;
    }

    void RemoveAt() {
        std::int32_t index = in.Index(Count());
        bool ok = InRange(index);
        FUZZ_CHECK(list.RemoveAt(index) == (ok ? 1 : 0));
        if (ok) {
            model.erase(model.begin() + index);
        }
        lastIndex = index;
    }

    void Swap() {
        std::int32_t i = in.Index(Count());
        std::int32_t j = in.Index(Count());
        bool ok = InRange(i) && InRange(j);
        FUZZ_CHECK(list.Swap(i, j) == (ok ? 1 : 0));
        if (ok) {
            std::swap(model[i], model[j]);
        }
        lastIndex = j;
    }

    // A short walk from one position by steps of -1, 0 or +1: the cursor's
    // own position and both neighbours, repeatedly.
    void Walk() {
        std::int32_t index = in.Index(Count());
        unsigned steps = 1 + in.Below(8);
        for (unsigned s = 0; s < steps; ++s) {
            Read(index);
            index = Near(index);
        }
    }

    void RemoveAll() {
        list.RemoveAll();
        model.clear();
    }

    // One operation, its result checked against the model.
    void Step(unsigned op) {
        switch (op) {
        case 0:
            Append(false);
            break;
        case 1:
            InsertAt(false);
            break;
        case 2:
            RemoveAt();
            break;
        case 3:
            Swap();
            break;
        case 4:
            Walk();
            break;
        case 5:
            Append(true);
            break;
        case 6:
            InsertAt(true);
            break;
        case 7:
            // Rare, or the lists would rarely grow.
            if (in.Below(4) == 0) {
                RemoveAll();
            }
            break;
        default:
            break;
        }
    }

    void CheckAll() {
        FUZZ_CHECK(list.GetCount() == Count());
        // First a read next to the step's position, through the cursor it left.
        Read(Near(lastIndex));
        if (in.Below(2) == 0) {
            for (std::int32_t i = 0; i < Count(); ++i) {
                Read(i);
            }
        } else {
            for (std::int32_t i = Count() - 1; i >= 0; --i) {
                Read(i);
            }
        }
        FUZZ_CHECK(list.GetAt(-1) == nullptr);
        FUZZ_CHECK(list.GetAt(Count()) == nullptr);
        Read(in.Index(Count()));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Run run(data, size);
    while (!run.in.Empty()) {
        unsigned op = run.in.Below(9);
        if (op == 8) {
            // A burst of steps with no full read-back between them, so each
            // runs on the cursor the one before left.
            unsigned n = 2 + run.in.Below(4);
            for (unsigned k = 0; k < n; ++k) {
                run.Step(run.in.Below(8));
            }
        } else {
            run.Step(op);
        }
        run.CheckAll();
    }
    return 0;
}
