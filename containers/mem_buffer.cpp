#include "containers/mem_buffer.h"

#include <cstddef>
#include <cstring>

#include "platform/win32.h"

MemBuffer::MemBuffer() : data(nullptr), size(0), position(0) {}

MemBuffer::~MemBuffer() {
    Free();
}

std::int32_t MemBuffer::Read(void* destination, std::int32_t length) {
    if (destination == nullptr || length < 0) {
        return -1;
    }
    if (length == 0) {
        return 0;
    }
    const std::int32_t available = size - position;
    const std::int32_t n = length <= available ? length : available;
    if (n == 0) {
        return 0;
    }
    // memmove: the destination may lie in our own block.
    std::memmove(destination, data + position, static_cast<std::size_t>(n));
    position += n;
    return n;
}

std::int32_t MemBuffer::Write(const void* source, std::int32_t length) {
    if (source == nullptr || length < 0) {
        return -1;
    }
    if (length == 0) {
        return 0;
    }
    if (length > INT32_MAX - position) {
        return -1; // the end would not fit the size field
    }
    const std::int32_t end = position + length;
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (end > size) {
        // A source inside the block would move with it: keep its offset.
        const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(data);
        const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(from);
        const bool inside = data != nullptr && at >= start && at < start + size;
        const std::uintptr_t offset = at - start;
        void* block = CoTaskMemRealloc(data, static_cast<SIZE_T>(end));
        if (block == nullptr) {
            return -1; // the old block is untouched and still ours
        }
        data = static_cast<unsigned char*>(block);
        size = end;
        if (inside) {
            from = data + offset;
        }
    }
    std::memmove(data + position, from, static_cast<std::size_t>(length));
    position = end;
    return length;
}

void MemBuffer::Free() {
    if (data != nullptr) {
        CoTaskMemFree(data);
        data = nullptr;
    }
    size = 0;
    position = 0;
}

void MemBuffer::Seek(std::int32_t newPosition) {
    if (newPosition == 0) {
        position = 0;
    } else if (newPosition > 0 && newPosition < size) {
        position = newPosition;
    }
}

int MemBuffer::ReservedA(std::int32_t) {
    return 1;
}

int MemBuffer::ReservedB(std::int32_t) {
    return 1;
}
