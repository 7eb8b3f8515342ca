// MemBuffer against a model of its bytes and position. Every transfer goes
// through a heap block of exactly the length passed, so ASan sees any byte
// read or written past it; some transfers use the buffer's own block as
// source or destination, which the interface allows.
#include <cstdint>
#include <cstring>
#include <vector>

#include "containers/mem_buffer.h"
#include "fuzz/fuzz_support.h"
#include "platform/alloc_fault.h"

namespace {

const std::int32_t MaxSize = 1 << 16;

struct Run {
    FuzzInput in;
    MemBuffer buffer;
    std::vector<std::uint8_t> model;
    std::int32_t position = 0;

    Run(const std::uint8_t* data, std::size_t size) : in(data, size) {}

    std::int32_t Size() const { return static_cast<std::int32_t>(model.size()); }

    // A length: mostly small, sometimes around the bytes that remain, or a
    // hostile value.
    std::int32_t Length() {
        switch (in.Below(8)) {
        case 0:
            return Size() - position + static_cast<std::int32_t>(in.Below(3)) - 1;
        case 1:
            return in.Below(2) == 0 ? -1 : INT32_MIN + static_cast<std::int32_t>(in.Below(2));
        case 2:
            return static_cast<std::int32_t>(in.Word() % 2048);
        default:
            return static_cast<std::int32_t>(in.Below(24));
        }
    }

    void Write() {
        std::int32_t length = Length();
        unsigned kind = in.Below(8);
        if (kind == 0) {
            FUZZ_CHECK(buffer.Write(nullptr, length < 0 ? 0 : length) == -1);
            return;
        }
        if (length < 0) {
            std::uint8_t byte = 0;
            FUZZ_CHECK(buffer.Write(&byte, length) == -1);
            return;
        }
        std::int32_t end = position + length;
        if (end > MaxSize) {
            return;
        }
        bool failAlloc = kind == 1;
        std::vector<std::uint8_t> bytes;
        const void* source;
        std::uint8_t* copy = nullptr;
        if (kind == 2 && length > 0 && length <= Size()) {
            // From the buffer's own block, which may move as it grows.
            std::int32_t offset = static_cast<std::int32_t>(in.Below(Size() - length + 1));
            bytes.assign(model.begin() + offset, model.begin() + offset + length);
            source = static_cast<std::uint8_t*>(buffer.GetData()) + offset;
        } else {
            for (std::int32_t i = 0; i < length; ++i) {
                bytes.push_back(in.Byte());
            }
            copy = new std::uint8_t[length > 0 ? length : 1];
            if (length > 0) {
                std::memcpy(copy, bytes.data(), bytes.size());
            }
            source = copy;
        }
        bool grows = end > Size();
        SetAllocFailure(failAlloc ? 1 : 0);
        std::int32_t result = buffer.Write(source, length);
        bool failed = AllocFailureCount() > 0;
        SetAllocFailure(0);
        delete[] copy;
        if (length == 0) {
            FUZZ_CHECK(result == 0 && !failed);
            return;
        }
        // Only growing allocates.
        FUZZ_CHECK(failed == (failAlloc && grows));
        if (failed) {
            FUZZ_CHECK(result == -1);
            return;
        }
        FUZZ_CHECK(result == length);
        if (grows) {
            model.resize(end);
        }
        std::memcpy(model.data() + position, bytes.data(), bytes.size());
        position = end;
    }

    void Read() {
        std::int32_t length = Length();
        unsigned kind = in.Below(8);
        if (kind == 0) {
            FUZZ_CHECK(buffer.Read(nullptr, length < 0 ? 0 : length) == -1);
            return;
        }
        if (length < 0) {
            std::uint8_t byte = 0;
            FUZZ_CHECK(buffer.Read(&byte, length) == -1);
            return;
        }
        std::int32_t expected = length < Size() - position ? length : Size() - position;
        if (kind == 1 && expected > 0) {
            // Into the buffer's own block, at an offset with room for the bytes.
            std::int32_t offset = static_cast<std::int32_t>(in.Below(Size() - expected + 1));
            std::vector<std::uint8_t> moved(model.begin() + position,
                                            model.begin() + position + expected);
            std::int32_t result =
                buffer.Read(static_cast<std::uint8_t*>(buffer.GetData()) + offset, expected);
            FUZZ_CHECK(result == expected);
            std::memcpy(model.data() + offset, moved.data(), moved.size());
            position += expected;
            return;
        }
        if (length > 4096) {
            return;
        }
        std::uint8_t* out = new std::uint8_t[length > 0 ? length : 1];
        std::int32_t result = buffer.Read(out, length);
        FUZZ_CHECK(result == expected);
        if (expected > 0) {
            FUZZ_CHECK(std::memcmp(out, model.data() + position, expected) == 0);
            position += expected;
        }
        delete[] out;
    }

    void Seek() {
        std::int32_t target;
        switch (in.Below(4)) {
        case 0:
            target = 0;
            break;
        case 1:
            target = Size() + static_cast<std::int32_t>(in.Below(3)) - 1;
            break;
        case 2:
            target = in.Int32();
            break;
        default:
            target = static_cast<std::int32_t>(in.Below(static_cast<unsigned>(Size()) + 2)) - 1;
            break;
        }
        buffer.Seek(target);
        // 0 always; otherwise only inside the block, never at its end.
        if (target == 0 || (target > 0 && target < Size())) {
            position = target;
        }
    }

    void CheckAll() {
        FUZZ_CHECK(buffer.GetSize() == Size());
        FUZZ_CHECK(buffer.GetPosition() == position);
        FUZZ_CHECK((buffer.GetData() == nullptr) == model.empty());
        if (!model.empty()) {
            FUZZ_CHECK(std::memcmp(buffer.GetData(), model.data(), model.size()) == 0);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Run run(data, size);
    while (!run.in.Empty()) {
        switch (run.in.Below(8)) {
        case 0:
        case 1:
        case 2:
            run.Write();
            break;
        case 3:
        case 4:
            run.Read();
            break;
        case 5:
            run.Seek();
            break;
        case 6: {
            std::int32_t value = run.in.Int32();
            FUZZ_CHECK(run.buffer.ReservedA(value) == 1);
            FUZZ_CHECK(run.buffer.ReservedB(value) == 1);
            break;
        }
        default:
            if (run.in.Below(4) == 0) {
                run.buffer.Free();
                run.model.clear();
                run.position = 0;
            }
            break;
        }
        run.CheckAll();
    }
    return 0;
}
