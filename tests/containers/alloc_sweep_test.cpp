// Allocation failure at every site, one realistic scenario per container.
// At each failing allocation the operation that met it must say so where its
// interface can, and the container must still hold exactly what a model
// says: what it held before, plus whatever succeeded. Leaks show in the
// sanitizer build, where LeakSanitizer checks the process at exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "containers/linked_list.h"
#include "containers/mem_buffer.h"
#include "containers/ptr_array.h"
#include "containers/string_list.h"
#include "platform/alloc_fault.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_support.h"

namespace {

bool ByteLess(const std::string& a, const std::string& b) {
    return std::strcmp(a.c_str(), b.c_str()) < 0;
}

// The string list as the driver uses it, and a little more: fill with
// duplicates refused, sort, remove, refill after the removals, search.
void StringListScenario(const Faults& faults) {
    StringList* list = new StringList;
    // Held before the faults begin: must survive every one of them.
    ASSERT_EQ(list->Add("kept"), 1);
    ASSERT_EQ(list->Add("also kept"), 1);
    std::vector<std::string> model = {"kept", "also kept"};
    std::vector<std::string> lent = {list->GetAt(0), list->GetAt(1)};
    faults();

    list->SetRejectDuplicates(1);
    const char* names[] = {"report", "b", "A", "report", "zz", "", "a", "kept", "m", "q"};
    auto add = [&](const std::string& text) {
        int result = 0;
        bool failed = FailsDuring([&] { result = list->Add(text.c_str()); });
        bool duplicate = std::find(model.begin(), model.end(), text) != model.end();
        if (failed || duplicate) {
            EXPECT_EQ(result, 0) << text;
        } else {
            EXPECT_EQ(result, 1) << text;
            model.push_back(text);
        }
        EXPECT_EQ(Texts(*list), model);
    };
    for (const char* name : names) {
        add(name);
    }
    for (int i = 0; i < 12; ++i) {
        add("file" + std::to_string(i));
    }

    list->Sort(1);
    std::sort(model.begin(), model.end(), ByteLess);
    EXPECT_EQ(Texts(*list), model);

    // Remove every other entry from the front, then refill the gaps.
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(model.size()); ++i) {
        // The next entry slides into i, so stepping by one skips one.
        EXPECT_EQ(list->RemoveAt(i), 1);
        model.erase(model.begin() + i);
    }
    EXPECT_EQ(Texts(*list), model);
    for (int i = 0; i < 6; ++i) {
        add("again" + std::to_string(i));
    }
    list->Sort(0);
    std::sort(model.begin(), model.end(), ByteLess);
    std::reverse(model.begin(), model.end());
    EXPECT_EQ(Texts(*list), model);

    for (const std::string& text : lent) {
        auto at = std::find(model.begin(), model.end(), text);
        std::int32_t expected =
            at == model.end() ? -1 : static_cast<std::int32_t>(at - model.begin());
        EXPECT_EQ(list->Find(text.c_str(), 0), expected) << text;
    }
    delete list;
}

TEST(AllocSweep, StringListFillSortRemove) {
    SweepAllocFailures(false, StringListScenario, 30);
}

TEST(AllocSweep, StringListFillSortRemoveFailingFromThenOn) {
    SweepAllocFailures(true, StringListScenario, 30);
}

// Items are addresses in this pool; the list must never touch them.
char pool[64];

std::vector<void*> Items(LinkedList& list) {
    std::vector<void*> items;
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
        items.push_back(list.GetAt(i));
    }
    return items;
}

// Appends and inserts at the front, the middle and the end, with removals
// between, reading back after each step.
void LinkedListScenario(const Faults& faults) {
    LinkedList list;
    list.Append(&pool[0]);
    list.Append(&pool[1]);
    std::vector<void*> model = {&pool[0], &pool[1]};
    ASSERT_EQ(Items(list), model);
    faults();

    for (int i = 2; i < 40; ++i) {
        void* item = &pool[i];
        std::int32_t count = list.GetCount();
        switch (i % 4) {
        case 0: {
            bool failed = FailsDuring([&] { list.Append(item); });
            if (!failed) {
                model.push_back(item);
            }
            break;
        }
        case 1:
        case 2: {
            // Front, or the middle through a cursor just set next to it.
            std::int32_t index = i % 4 == 1 ? 0 : count / 2;
            list.GetAt(index - 1);
            int result = 0;
            bool failed = FailsDuring([&] { result = list.InsertAt(index, item); });
            EXPECT_EQ(result, failed ? 0 : 1) << index;
            if (!failed) {
                // Index count-1 appends after the last item.
                std::int32_t at = index == count - 1 ? count : index;
                model.insert(model.begin() + at, item);
            }
            break;
        }
        default: {
            // Index count-1 appends after the last item.
            int result = 0;
            bool failed = FailsDuring([&] { result = list.InsertAt(count - 1, item); });
            EXPECT_EQ(result, failed ? 0 : 1);
            if (!failed) {
                model.push_back(item);
            }
            if (i % 8 == 7 && list.GetCount() > 3) {
                EXPECT_EQ(list.RemoveAt(1), 1);
                model.erase(model.begin() + 1);
            }
            break;
        }
        }
        ASSERT_EQ(Items(list), model) << "step " << i;
    }
    EXPECT_EQ(list.Swap(0, list.GetCount() - 1), 1);
    std::swap(model.front(), model.back());
    EXPECT_EQ(Items(list), model);
}

TEST(AllocSweep, LinkedListAppendInsertRemove) {
    SweepAllocFailures(false, LinkedListScenario, 30);
}

TEST(AllocSweep, LinkedListAppendInsertRemoveFailingFromThenOn) {
    SweepAllocFailures(true, LinkedListScenario, 30);
}

// Growing a pointer array across two growth steps, then Assign, regrowth
// from one slot, and a fresh block after RemoveAll.
void PtrArrayScenario(const Faults& faults) {
    PtrArray array;
    ASSERT_EQ(array.Add(-1), 1);
    ASSERT_EQ(array.Add(0), 1);
    std::vector<PtrArray::Value> model = {-1, 0};
    std::int32_t capacity = array.GetCapacity();
    faults();

    auto add = [&](PtrArray::Value value) {
        int result = 0;
        bool failed = FailsDuring([&] { result = array.Add(value); });
        if (failed) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(array.GetCapacity(), capacity);
            EXPECT_EQ(Values(array), model);
        } else {
            EXPECT_EQ(result, 1);
            model.push_back(value);
            capacity = array.GetCapacity();
        }
        return !failed;
    };
    // After a refusal the next Add must grow the block after all; two
    // refusals in a row mean that the failures persist, and the rest would be
    // refused the same way.
    bool refused = false;
    for (PtrArray::Value v = 1; v <= 2 * PtrArray::GrowthSlots + 10; ++v) {
        bool added = add(v);
        if (!added && refused) {
            break;
        }
        refused = !added;
    }
    ASSERT_EQ(array.GetCount(), static_cast<std::int32_t>(model.size()));
    EXPECT_EQ(Values(array), model);

    EXPECT_EQ(array.RemoveAt(0), 1);
    model.erase(model.begin());
    PtrArray::Value one = 42;
    int assigned = 0;
    if (FailsDuring([&] { assigned = array.Assign(&one); })) {
        EXPECT_EQ(assigned, 0);
        EXPECT_EQ(array.GetCapacity(), capacity);
        EXPECT_EQ(Values(array), model);
    } else {
        EXPECT_EQ(assigned, 1);
        model = {one};
        capacity = 1;
    }
    add(43);
    add(44);
    EXPECT_EQ(Values(array), model);

    array.RemoveAll();
    model.clear();
    capacity = 0;
    add(7);
    EXPECT_EQ(Values(array), model);
}

TEST(AllocSweep, PtrArrayGrowAssignRegrow) {
    SweepAllocFailures(false, PtrArrayScenario, 5);
}

TEST(AllocSweep, PtrArrayGrowAssignRegrowFailingFromThenOn) {
    SweepAllocFailures(true, PtrArrayScenario, 5);
}

std::vector<unsigned char> Bytes(const MemBuffer& buffer) {
    const unsigned char* data = static_cast<const unsigned char*>(buffer.GetData());
    return std::vector<unsigned char>(data, data + buffer.GetSize());
}

// A byte buffer grown by many writes of different lengths, with overwrites
// in place, a write running past the end, a write from its own block, reads
// back, and a fresh block after Free.
void MemBufferScenario(const Faults& faults) {
    MemBuffer buffer;
    const char header[] = "HEADER";
    ASSERT_EQ(buffer.Write(header, 6), 6);
    std::vector<unsigned char> model(header, header + 6);
    std::int32_t position = 6;
    faults();

    auto write = [&](const void* source, std::int32_t length) {
        // The source may be the buffer's own block, which a growth moves.
        std::vector<unsigned char> bytes(static_cast<const unsigned char*>(source),
                                         static_cast<const unsigned char*>(source) + length);
        const void* data = buffer.GetData();
        std::int32_t result = 0;
        bool failed = FailsDuring([&] { result = buffer.Write(source, length); });
        if (failed) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(buffer.GetData(), data);
            EXPECT_EQ(buffer.GetPosition(), position);
            EXPECT_EQ(Bytes(buffer), model);
            return;
        }
        EXPECT_EQ(result, length);
        std::size_t end = static_cast<std::size_t>(position + length);
        if (end > model.size()) {
            model.resize(end);
        }
        std::copy(bytes.begin(), bytes.end(), model.begin() + position);
        position += length;
        EXPECT_EQ(buffer.GetPosition(), position);
        EXPECT_EQ(Bytes(buffer), model);
    };

    std::string chunk;
    for (int i = 0; i < 24; ++i) {
        chunk.assign(static_cast<std::size_t>(1 + i * 7), static_cast<char>('a' + i));
        write(chunk.data(), static_cast<std::int32_t>(chunk.size()));
    }
    // Over the header in place (no growth), then across the end.
    buffer.Seek(2);
    position = 2;
    write("xy", 2);
    buffer.Seek(buffer.GetSize() - 3);
    position = buffer.GetSize() - 3;
    write("0123456789", 10);
    // From its own start, appended at the end.
    write(buffer.GetData(), 6);

    std::vector<char> out(model.size());
    buffer.Seek(0);
    position = 0;
    EXPECT_EQ(buffer.Read(out.data(), static_cast<std::int32_t>(out.size())),
              static_cast<std::int32_t>(model.size()));
    EXPECT_TRUE(std::equal(model.begin(), model.end(), out.begin()));

    buffer.Free();
    model.clear();
    position = 0;
    write("again", 5);
}

TEST(AllocSweep, MemBufferGrowOverwriteRead) {
    SweepAllocFailures(false, MemBufferScenario, 20);
}

TEST(AllocSweep, MemBufferGrowOverwriteReadFailingFromThenOn) {
    SweepAllocFailures(true, MemBufferScenario, 20);
}

} // namespace
