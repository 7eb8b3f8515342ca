#include "containers/ptr_array.h"

#include <cstddef>
#include <cstring>

#include "platform/heap.h"

namespace {
const std::int32_t kGrowStepBytes =
    PtrArray::GrowthSlots * static_cast<std::int32_t>(sizeof(PtrArray::Value));
}

PtrArray::PtrArray() : items(nullptr), growStep(kGrowStepBytes), capacity(0), count(0) {}

PtrArray::PtrArray(std::int32_t) : PtrArray() {}

PtrArray::~PtrArray() {
    RemoveAll();
}

PtrArray::Value PtrArray::GetAt(std::int32_t index) const {
    if (index < 0 || index > count - 1) {
        return 0;
    }
    return items[index];
}

void PtrArray::RemoveAll() {
    if (items != nullptr) {
        MorvelFree(items);
        items = nullptr;
    }
    capacity = 0;
    count = 0;
}

int PtrArray::Assign(const Value* source) {
    if (source == nullptr) {
        return 0;
    }
    // Obtain the new block before giving up the old one, so a failure
    // leaves the array as it was.
    Value* block = static_cast<Value*>(MorvelMalloc(sizeof(Value)));
    if (block == nullptr) {
        return 0;
    }
    block[0] = *source;
    RemoveAll();
    items = block;
    capacity = 1;
    count = 1;
    return 1;
}

int PtrArray::Add(Value value) {
    if (count == capacity) {
        const std::int32_t slots = growStep / static_cast<std::int32_t>(sizeof(Value));
        if (capacity > INT32_MAX - slots) {
            return 0; // the capacity would not fit its field
        }
        const std::size_t bytes =
            static_cast<std::size_t>(growStep) + static_cast<std::size_t>(capacity) * sizeof(Value);
        void* block = items == nullptr ? MorvelMalloc(bytes) : MorvelRealloc(items, bytes);
        if (block == nullptr) {
            return 0; // the old block, if any, is still ours and unchanged
        }
        items = static_cast<Value*>(block);
        capacity += slots;
    }
    items[count] = value;
    ++count;
    return 1;
}

int PtrArray::RemoveAt(std::int32_t index) {
    if (index < 0 || index > count - 1) {
        return 0;
    }
    std::memmove(items + index, items + index + 1,
                 static_cast<std::size_t>(count - 1 - index) * sizeof(Value));
    --count;
    return 1;
}

int PtrArray::Reserved(std::int32_t, std::int32_t) {
    return 0;
}
