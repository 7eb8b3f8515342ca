#include "containers/mem_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/alloc_fault.h"
#include "tests/support/test_support.h"

namespace {

std::int32_t WriteText(MemBuffer& buffer, const std::string& text) {
    return buffer.Write(text.data(), static_cast<std::int32_t>(text.size()));
}

// What the block holds, byte for byte.
std::string Contents(const MemBuffer& buffer) {
    if (buffer.GetData() == nullptr) {
        return std::string();
    }
    return std::string(static_cast<const char*>(buffer.GetData()),
                       static_cast<std::size_t>(buffer.GetSize()));
}

// A buffer holding text with the position back at 0.
void Fill(MemBuffer& buffer, const std::string& text) {
    ASSERT_EQ(WriteText(buffer, text), static_cast<std::int32_t>(text.size()));
    buffer.Seek(0);
}

} // namespace

TEST(MemBuffer, NewBufferIsEmpty) {
    MemBuffer buffer;
    EXPECT_EQ(buffer.GetSize(), 0);
    EXPECT_EQ(buffer.GetPosition(), 0);
    EXPECT_EQ(buffer.GetData(), nullptr);
    char out[10] = {'x'};
    EXPECT_EQ(buffer.Read(out, 10), 0);
    EXPECT_EQ(out[0], 'x');
    buffer.Seek(0);
    EXPECT_EQ(buffer.GetPosition(), 0);
    buffer.Seek(1);
    EXPECT_EQ(buffer.GetPosition(), 0);
}

TEST(MemBuffer, WritesAppendAndReadBackFromTheStart) {
    MemBuffer buffer;
    EXPECT_EQ(buffer.Write("abc", 3), 3);
    EXPECT_EQ(buffer.Write("de", 2), 2);
    EXPECT_EQ(buffer.GetSize(), 5);
    EXPECT_EQ(buffer.GetPosition(), 5);
    EXPECT_EQ(Contents(buffer), "abcde");
    char out[10] = {};
    EXPECT_EQ(buffer.Read(out, 10), 0); // at the end
    buffer.Seek(0);
    EXPECT_EQ(buffer.Read(out, 10), 5);
    EXPECT_EQ(std::string(out, 5), "abcde");
    EXPECT_EQ(buffer.GetPosition(), 5);
    EXPECT_EQ(buffer.Read(out, 10), 0);
    EXPECT_EQ(buffer.GetPosition(), 5);
}

TEST(MemBuffer, ReadStopsAtTheEnd) {
    MemBuffer buffer;
    Fill(buffer, "12345");
    char out[8] = {};
    EXPECT_EQ(buffer.Read(out, 3), 3);
    EXPECT_EQ(std::string(out, 3), "123");
    EXPECT_EQ(buffer.GetPosition(), 3);
    EXPECT_EQ(buffer.Read(out, 3), 2);
    EXPECT_EQ(std::string(out, 2), "45");
    EXPECT_EQ(out[2], '3'); // nothing copied past what remained
    EXPECT_EQ(buffer.GetPosition(), 5);
    EXPECT_EQ(buffer.Read(out, 1), 0);
}

TEST(MemBuffer, SeekAcceptsZeroAndPositionsBelowTheSize) {
    MemBuffer buffer;
    Fill(buffer, "abcde");
    buffer.Seek(4);
    EXPECT_EQ(buffer.GetPosition(), 4);
    for (std::int32_t refused : {5, 6, INT32_MAX, -1, INT32_MIN}) {
        buffer.Seek(refused);
        EXPECT_EQ(buffer.GetPosition(), 4) << refused;
    }
    buffer.Seek(2);
    char c = 0;
    EXPECT_EQ(buffer.Read(&c, 1), 1);
    EXPECT_EQ(c, 'c');
    buffer.Seek(0);
    EXPECT_EQ(buffer.GetPosition(), 0);
    EXPECT_EQ(buffer.GetSize(), 5);
}

TEST(MemBuffer, NullAddressesAndEmptyOrNegativeLengths) {
    MemBuffer buffer;
    Fill(buffer, "abcde");
    buffer.Seek(1);
    const void* data = buffer.GetData();
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(buffer.Read(nullptr, 0), -1);
    EXPECT_EQ(buffer.Read(nullptr, 3), -1);
    EXPECT_EQ(buffer.Write(nullptr, 0), -1);
    EXPECT_EQ(buffer.Write(nullptr, 3), -1);
    EXPECT_EQ(buffer.Read(out, 0), 0);
    EXPECT_EQ(buffer.Write("zz", 0), 0);
    for (std::int32_t negative : {-1, INT32_MIN}) {
        EXPECT_EQ(buffer.Read(out, negative), -1) << negative;
        EXPECT_EQ(buffer.Write("zz", negative), -1) << negative;
    }
    EXPECT_EQ(std::string(out, 4), "xxxx");
    EXPECT_EQ(buffer.GetPosition(), 1);
    EXPECT_EQ(buffer.GetSize(), 5);
    EXPECT_EQ(buffer.GetData(), data);
    EXPECT_EQ(Contents(buffer), "abcde");

    MemBuffer empty;
    EXPECT_EQ(empty.Write("a", 0), 0);
    EXPECT_EQ(empty.Write("a", -1), -1);
    EXPECT_EQ(empty.GetData(), nullptr);
    EXPECT_EQ(empty.GetSize(), 0);
}

TEST(MemBuffer, WriteBeforeTheEndOverwritesInPlace) {
    AllocFailureOff off;
    MemBuffer buffer;
    Fill(buffer, "abcde");
    buffer.Seek(1);
    SetAllocFailure(1, true); // an in-place write needs no memory
    EXPECT_EQ(buffer.Write("XY", 2), 2);
    EXPECT_EQ(AllocRequestCount(), 0);
    SetAllocFailure(0);
    EXPECT_EQ(Contents(buffer), "aXYde");
    EXPECT_EQ(buffer.GetSize(), 5);
    EXPECT_EQ(buffer.GetPosition(), 3);
    // Two bytes over the end, two past it: the block grows by two only.
    EXPECT_EQ(buffer.Write("1234", 4), 4);
    EXPECT_EQ(Contents(buffer), "aXY1234");
    EXPECT_EQ(buffer.GetSize(), 7);
    EXPECT_EQ(buffer.GetPosition(), 7);
    EXPECT_EQ(AllocRequestCount(), 1);
    // Overwriting up to exactly the end leaves the size alone.
    buffer.Seek(5);
    EXPECT_EQ(buffer.Write("!?", 2), 2);
    EXPECT_EQ(Contents(buffer), "aXY12!?");
    EXPECT_EQ(buffer.GetPosition(), 7);
    // A partial read also leaves the position before the end.
    buffer.Seek(0);
    char two[2];
    EXPECT_EQ(buffer.Read(two, 2), 2);
    EXPECT_EQ(WriteText(buffer, "-"), 1);
    EXPECT_EQ(Contents(buffer), "aX-12!?");
    EXPECT_EQ(AllocRequestCount(), 1);
}

TEST(MemBuffer, EachGrowingWriteResizesOnce) {
    AllocFailureOff off;
    MemBuffer buffer;
    SetAllocFailure(0);
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        char c = static_cast<char>('a' + i % 26);
        ASSERT_EQ(buffer.Write(&c, 1), 1);
        expected.push_back(c);
    }
    EXPECT_EQ(AllocRequestCount(), 1000);
    EXPECT_EQ(buffer.GetSize(), 1000);
    EXPECT_EQ(Contents(buffer), expected);
}

TEST(MemBuffer, WriteFromItsOwnBlock) {
    MemBuffer buffer;
    ASSERT_EQ(WriteText(buffer, "abcd"), 4);
    // The source moves with the block when it grows (ASan sees a stale read).
    EXPECT_EQ(buffer.Write(buffer.GetData(), 4), 4);
    EXPECT_EQ(Contents(buffer), "abcdabcd");
    // Overlapping source and destination.
    buffer.Seek(2);
    EXPECT_EQ(buffer.Write(buffer.GetData(), 8), 8);
    EXPECT_EQ(Contents(buffer), "ababcdabcd");
    EXPECT_EQ(buffer.GetPosition(), 10);
    // And reading into it.
    buffer.Seek(0);
    buffer.Read(static_cast<char*>(buffer.GetData()) + 1, 3);
    EXPECT_EQ(Contents(buffer), "aabacdabcd");
}

TEST(MemBuffer, FreeReturnsToEmptyAndWriteStartsAfresh) {
    MemBuffer buffer;
    buffer.Free();
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetSize(), 0);
    EXPECT_EQ(buffer.GetPosition(), 0);
    Fill(buffer, "old data");
    buffer.Seek(3);
    buffer.Free();
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetSize(), 0);
    EXPECT_EQ(buffer.GetPosition(), 0);
    EXPECT_EQ(buffer.Write("new", 3), 3);
    EXPECT_EQ(Contents(buffer), "new");
    EXPECT_EQ(buffer.GetPosition(), 3);
}

TEST(MemBuffer, ReservedOperationsYieldOne) {
    MemBuffer buffer;
    Fill(buffer, "abc");
    buffer.Seek(1);
    for (std::int32_t v : {0, 1, -1, INT32_MAX}) {
        EXPECT_EQ(buffer.ReservedA(v), 1);
        EXPECT_EQ(buffer.ReservedB(v), 1);
    }
    EXPECT_EQ(Contents(buffer), "abc");
    EXPECT_EQ(buffer.GetPosition(), 1);
}

// A write that needs a bigger block and cannot get one yields -1 and
// leaves everything as it was, including the old block.
TEST(MemBuffer, AllocationFailureLeavesBufferAsItWas) {
    AllocFailureOff off;
    MemBuffer empty;
    SetAllocFailure(1);
    EXPECT_EQ(empty.Write("abc", 3), -1);
    EXPECT_EQ(empty.GetData(), nullptr);
    EXPECT_EQ(empty.GetSize(), 0);
    EXPECT_EQ(empty.GetPosition(), 0);

    MemBuffer buffer;
    Fill(buffer, "abcde");
    buffer.Seek(3);
    const void* data = buffer.GetData();
    SetAllocFailure(1, true);
    EXPECT_EQ(buffer.Write("XYZ", 3), -1); // would run one byte past the end
    EXPECT_EQ(buffer.Write(buffer.GetData(), 5), -1);
    EXPECT_EQ(AllocFailureCount(), 2);
    SetAllocFailure(0);
    EXPECT_EQ(buffer.GetData(), data);
    EXPECT_EQ(buffer.GetSize(), 5);
    EXPECT_EQ(buffer.GetPosition(), 3);
    EXPECT_EQ(Contents(buffer), "abcde");
    EXPECT_EQ(buffer.Write("XYZ", 3), 3);
    EXPECT_EQ(Contents(buffer), "abcXYZ");
}

// Fails each allocation of a sequence in turn: every write happens in full
// or not at all, and nothing leaks (ASan checks).
TEST(MemBuffer, AllocationFailureAtEverySite) {
    AllocFailureOff off;
    for (long nth = 1;; ++nth) {
        MemBuffer buffer;
        std::string expected;
        long refused = 0;
        SetAllocFailure(nth);
        for (const char* piece : {"ab", "cde", "f"}) {
            std::int32_t written = WriteText(buffer, piece);
            if (written == -1) {
                ++refused;
            } else {
                EXPECT_EQ(written, static_cast<std::int32_t>(std::string(piece).size())) << nth;
                expected += piece;
            }
            EXPECT_EQ(Contents(buffer), expected) << nth;
            EXPECT_EQ(buffer.GetPosition(), buffer.GetSize()) << nth;
        }
        long failures = AllocFailureCount();
        SetAllocFailure(0);
        EXPECT_EQ(refused, failures) << nth;
        if (failures == 0) {
            EXPECT_EQ(nth, 4) << "three growing writes make three allocations";
            break;
        }
    }
}
