#include "containers/linked_list.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/alloc_fault.h"
#include "tests/support/test_support.h"

namespace {

// Distinct addresses to stand for items; the list must never touch them.
char a, b, c, d, x;

std::vector<void*> Contents(LinkedList& list) {
    std::vector<void*> items;
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
        items.push_back(list.GetAt(i));
    }
    return items;
}

void Fill(LinkedList& list) {
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
}

} // namespace

TEST(LinkedList, EmptyListRefusesPositionsButAcceptsFirstInsert) {
    LinkedList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.RemoveAt(0), 0);
    EXPECT_EQ(list.Swap(0, 0), 0);
    EXPECT_EQ(list.InsertAt(1, &x), 0);
    EXPECT_EQ(list.InsertAt(-1, &x), 0);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.InsertAt(0, &x), 1);
    EXPECT_EQ(Contents(list), std::vector<void*>({&x}));
}

TEST(LinkedList, InsertAtPlacesBeforeExceptAtLastPosition) {
    struct Case {
        std::int32_t index;
        std::vector<void*> expected;
    };
    // Index count-1 appends after the last item rather than before it.
    const Case cases[] = {
        {2, {&a, &b, &c, &d}},
        {1, {&a, &d, &b, &c}},
        {0, {&d, &a, &b, &c}},
    };
    for (const Case& k : cases) {
        LinkedList list;
        Fill(list);
        EXPECT_EQ(list.InsertAt(k.index, &d), 1) << k.index;
        EXPECT_EQ(Contents(list), k.expected) << k.index;
    }
    LinkedList list;
    Fill(list);
    EXPECT_EQ(list.InsertAt(3, &d), 0);
    EXPECT_EQ(Contents(list), std::vector<void*>({&a, &b, &c}));
}

TEST(LinkedList, CursorFollowsInsertion) {
    LinkedList list;
    Fill(list);
    EXPECT_EQ(list.GetAt(1), &b);
    EXPECT_EQ(list.InsertAt(1, &d), 1);
    // The neighbours of the cursor must be the new node's neighbours.
    EXPECT_EQ(list.GetAt(2), &b);
    EXPECT_EQ(list.GetAt(1), &d);
    EXPECT_EQ(list.GetAt(0), &a);
    EXPECT_EQ(list.GetAt(1), &d);
    EXPECT_EQ(list.GetAt(3), &c);
}

TEST(LinkedList, RepeatedAndNeighbouringReads) {
    LinkedList list;
    Fill(list);
    list.Append(&d);
    EXPECT_EQ(list.GetAt(2), &c);
    EXPECT_EQ(list.GetAt(2), &c);
    std::vector<void*> forward;
    for (std::int32_t i = 0; i < 4; ++i) {
        forward.push_back(list.GetAt(i));
    }
    EXPECT_EQ(forward, std::vector<void*>({&a, &b, &c, &d}));
    std::vector<void*> backward;
    for (std::int32_t i = 3; i >= 0; --i) {
        backward.push_back(list.GetAt(i));
    }
    EXPECT_EQ(backward, std::vector<void*>({&d, &c, &b, &a}));
    // Appending does not shift positions, so the cursor stays right.
    EXPECT_EQ(list.GetAt(3), &d);
    list.Append(&x);
    EXPECT_EQ(list.GetAt(4), &x);
    EXPECT_EQ(list.GetAt(2), &c);
}

TEST(LinkedList, RemoveAtUnlinksOnlyTheNode) {
    LinkedList list;
    Fill(list);
    EXPECT_EQ(list.RemoveAt(-1), 0);
    EXPECT_EQ(list.RemoveAt(3), 0);
    EXPECT_EQ(list.GetAt(2), &c);
    EXPECT_EQ(list.RemoveAt(1), 1);
    EXPECT_EQ(Contents(list), std::vector<void*>({&a, &c}));
    EXPECT_EQ(list.RemoveAt(1), 1);
    EXPECT_EQ(list.RemoveAt(0), 1);
    EXPECT_EQ(list.GetCount(), 0);
    // The sentinels link to each other again: the list works as new.
    list.Append(&d);
    // With one item, position 0 is also the last: the insert appends.
    EXPECT_EQ(list.InsertAt(0, &x), 1);
    EXPECT_EQ(Contents(list), std::vector<void*>({&d, &x}));
}

TEST(LinkedList, RemoveOnlyItemWhateverWasReadLast) {
    for (int readFirst = 0; readFirst < 2; ++readFirst) {
        LinkedList list;
        list.Append(&a);
        if (readFirst != 0) {
            EXPECT_EQ(list.GetAt(0), &a);
        }
        EXPECT_EQ(list.RemoveAt(0), 1);
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetAt(0), nullptr);
        list.Append(&b);
        EXPECT_EQ(Contents(list), std::vector<void*>({&b}));
    }
}

TEST(LinkedList, SwapExchangesItems) {
    LinkedList list;
    Fill(list);
    EXPECT_EQ(list.Swap(0, 2), 1);
    EXPECT_EQ(Contents(list), std::vector<void*>({&c, &b, &a}));
    EXPECT_EQ(list.Swap(1, 1), 1);
    EXPECT_EQ(Contents(list), std::vector<void*>({&c, &b, &a}));
    EXPECT_EQ(list.Swap(0, 3), 0);
    EXPECT_EQ(list.Swap(-1, 0), 0);
    EXPECT_EQ(Contents(list), std::vector<void*>({&c, &b, &a}));
}

TEST(LinkedList, RemoveAllKeepsItemsAndResets) {
    std::vector<int> owned(50, 7);
    LinkedList list;
    for (int& v : owned) {
        list.Append(&v);
    }
    EXPECT_EQ(list.GetAt(25), &owned[25]);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetAt(0), nullptr);
    for (int v : owned) {
        EXPECT_EQ(v, 7);
    }
    EXPECT_EQ(list.InsertAt(0, &owned[0]), 1);
    EXPECT_EQ(list.GetAt(0), &owned[0]);
}

// A random walk of operations checked against a vector after every step:
// any cursor that names the wrong node shows as a wrong item.
TEST(LinkedList, AgreesWithAModelUnderRandomOperations) {
    std::mt19937 rng(12345);
    std::vector<int> storage(64);
    LinkedList list;
    std::vector<void*> model;
    for (int step = 0; step < 20000; ++step) {
        std::int32_t n = static_cast<std::int32_t>(model.size());
        std::int32_t i = static_cast<std::int32_t>(rng() % (n + 3)) - 1;
        std::int32_t j = static_cast<std::int32_t>(rng() % (n + 3)) - 1;
        void* item = &storage[rng() % storage.size()];
        bool inRange = i >= 0 && i < n;
        switch (rng() % 6) {
        case 0:
            list.Append(item);
            model.push_back(item);
            break;
        case 1: {
            bool accept = inRange || (n == 0 && i == 0);
            ASSERT_EQ(list.InsertAt(i, item), accept ? 1 : 0);
            if (accept) {
                model.insert(i == n - 1 ? model.end() : model.begin() + i, item);
            }
            break;
        }
        case 2:
            ASSERT_EQ(list.RemoveAt(i), inRange ? 1 : 0);
            if (inRange) {
                model.erase(model.begin() + i);
            }
            break;
        case 3: {
            bool ok = inRange && j >= 0 && j < n;
            ASSERT_EQ(list.Swap(i, j), ok ? 1 : 0);
            if (ok) {
                std::swap(model[i], model[j]);
            }
            break;
        }
        default:
            ASSERT_EQ(list.GetAt(i), inRange ? model[i] : nullptr) << "step " << step;
            break;
        }
        ASSERT_EQ(list.GetCount(), static_cast<std::int32_t>(model.size()));
        if (model.size() > 40) {
            list.RemoveAll();
            model.clear();
        }
    }
    ASSERT_EQ(Contents(list), model);
}

TEST(LinkedList, FailedNodeAllocationChangesNothing) {
    AllocFailureOff off;
    LinkedList list;
    Fill(list);
    EXPECT_EQ(list.GetAt(1), &b);
    SetAllocFailure(1);
    list.Append(&d);
    EXPECT_EQ(list.GetCount(), 3);
    SetAllocFailure(1);
    EXPECT_EQ(list.InsertAt(0, &d), 0);
    SetAllocFailure(1);
    EXPECT_EQ(list.InsertAt(2, &d), 0);
    SetAllocFailure(0);
    EXPECT_EQ(Contents(list), std::vector<void*>({&a, &b, &c}));
    EXPECT_EQ(list.InsertAt(1, &d), 1);
    EXPECT_EQ(Contents(list), std::vector<void*>({&a, &d, &b, &c}));
}
