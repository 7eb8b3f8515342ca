// MemBuffer: a growable block of bytes with one position shared by reading
// and writing, like a stream held in memory.
//
// The buffer owns its block (COM task allocator). The block has no spare
// capacity: it is always exactly GetSize() bytes, and a Write grows it by
// exactly the bytes that land past the old end. GetData lends the block's
// address, valid until the next Write that grows it, Free or destruction.
//
// Transfers return the byte count, 0 when nothing was asked for or nothing
// remains, and -1 when refused (null address, negative length, no memory, or
// a size that would not fit 32 bits). Every refusal changes nothing.
#pragma once

#include <cstdint>

class MemBuffer {
  public:
    MemBuffer();
    ~MemBuffer();
    MemBuffer(const MemBuffer&) = delete;
    MemBuffer& operator=(const MemBuffer&) = delete;

    // Copies up to length bytes from the position into destination and
    // advances the position by the count copied; 0 at the end.
    std::int32_t Read(void* destination, std::int32_t length);

    // Copies length bytes from source in at the position and advances the
    // position past them. Bytes before the end overwrite in place; only the
    // part that runs past the end grows the block, so every byte held was
    // written. source may lie inside the buffer's own block. When the block
    // cannot grow the result is -1 and size, position and data stay as they
    // were.
    std::int32_t Write(const void* source, std::int32_t length);

    // Releases the block: no data, size 0, position 0.
    void Free();

    // Sets the position to newPosition when it is 0 (always accepted) or lies
    // within 1..size-1. Any other value, the size itself and negative ones
    // included, is ignored: the end is reached only by reading or writing.
    void Seek(std::int32_t newPosition);

    std::int32_t GetPosition() const { return position; }
    std::int32_t GetSize() const { return size; }
    // The block, or null when the buffer holds nothing.
    void* GetData() const { return data; }

    // Kept for interface compatibility: always 1, change nothing.
    int ReservedA(std::int32_t value);
    int ReservedB(std::int32_t value);

  private:
    unsigned char* data;   // null exactly when size is 0
    std::int32_t size;     // bytes in the block
    std::int32_t position; // 0..size; next Read or Write starts here
};
