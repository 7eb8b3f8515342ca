// PtrArray: a growable array of opaque pointer-wide values in one contiguous
// block of slots, with appending, indexed reading and removal by shifting.
//
// A slot is as wide as a pointer on the host (4 bytes on 32-bit Windows), so
// an address stored as a value is never truncated. The array owns its slot
// storage (standard heap, through platform/heap.h) and nothing a value may
// refer to: values are stored and handed back unchanged.
//
// Growth is linear: whenever every slot is in use, Add enlarges the block by
// GrowthSlots slots (the first Add into an empty array obtains exactly that
// many). Removing values never shrinks the storage; only RemoveAll, Assign
// and destruction give it back.
//
// Exhausted memory: Add, Append and Assign return 0 when the storage they
// need cannot be obtained and leave the array exactly as it was (values,
// count, capacity, storage). Nothing is ever written through a null block and
// the old block is never lost.
//
// Indices are 0-based; an index outside 0..count-1, negative ones included,
// is refused.
#pragma once

#include <cstdint>

class PtrArray {
  public:
    using Value = std::intptr_t;

    // Slots added by each growth; the growth step in bytes is this many slots.
    static constexpr std::int32_t GrowthSlots = 10000;

    PtrArray();
    // The argument is accepted and unused; the array starts as the default one.
    explicit PtrArray(std::int32_t unused);
    ~PtrArray();
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;

    std::int32_t GetCount() const { return count; }

    // Slots the storage holds (0 without storage); the block is this many
    // slots of sizeof(Value) bytes. For callers and tests that watch growth.
    std::int32_t GetCapacity() const { return capacity; }

    // The value at index, or 0 when index is outside 0..count-1. A stored 0
    // and a refused index look alike: compare with GetCount to tell them apart.
    Value GetAt(std::int32_t index) const;
    // Another name for GetAt.
    Value GetItem(std::int32_t index) const { return GetAt(index); }

    // Frees the storage: no storage, capacity 0, count 0.
    void RemoveAll();

    // The array becomes exactly one value, read from source, held in a
    // one-slot block (so the next Add grows it to 1 + GrowthSlots slots).
    // 1 on success; 0 when source is null or the block cannot be obtained,
    // and then the array is left as it was.
    int Assign(const Value* source);

    // Appends value at index count, growing the storage when it is full.
    // 1 when stored; 0 when the storage could not grow (array unchanged).
    int Add(Value value);
    // Another name for Add.
    int Append(Value value) { return Add(value); }

    // 1 when the value at index was removed and the later ones moved down one
    // place; 0 when index is outside 0..count-1 (nothing changes). The
    // storage stays as large as it was.
    int RemoveAt(std::int32_t index);

    // Kept for interface compatibility: always 0, changes nothing.
    int Reserved(std::int32_t first, std::int32_t second);

  private:
    Value* items;          // null exactly when capacity is 0
    std::int32_t growStep; // bytes added by each growth
    std::int32_t capacity; // slots in the storage
    std::int32_t count;    // slots 0..count-1 are in use
};
