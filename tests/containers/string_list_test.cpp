#include "containers/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/alloc_fault.h"
#include "tests/support/test_support.h"

namespace {

void AddAll(StringList& list, const std::vector<std::string>& texts) {
    for (const std::string& t : texts) {
        ASSERT_EQ(list.Add(t.c_str()), 1) << t;
    }
}

} // namespace

TEST(StringList, DefaultFlagsAcceptEmptyAndDuplicates) {
    StringList list;
    EXPECT_EQ(list.Add(""), 1);
    EXPECT_EQ(list.Add("a"), 1);
    EXPECT_EQ(list.Add("a"), 1);
    EXPECT_EQ(Texts(list), std::vector<std::string>({"", "a", "a"}));
    EXPECT_EQ(list.Add(nullptr), 0);
}

TEST(StringList, FlagsRefuseOnlyLaterAdds) {
    StringList list;
    AddAll(list, {"a", "a"});
    list.SetRejectDuplicates(1);
    list.SetAcceptEmpty(0);
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(list.Add(""), 0);
    EXPECT_EQ(list.Add("A"), 1);
    EXPECT_EQ(Texts(list), std::vector<std::string>({"a", "a", "A"}));
    list.SetRejectDuplicates(0);
    list.SetAcceptEmpty(7); // any nonzero value means on
    EXPECT_EQ(list.Add("a"), 1);
    EXPECT_EQ(list.Add(""), 1);
}

TEST(StringList, EntriesAreOwnedCopies) {
    StringList list;
    char text[] = "report";
    EXPECT_EQ(list.Add(text), 1);
    text[0] = 'X';
    EXPECT_STREQ(list.GetAt(0), "report");
    EXPECT_NE(list.GetAt(0), text);
    EXPECT_EQ(list.GetAt(1), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
}

TEST(StringList, SlotHoldsAtMost254Characters) {
    StringList list;
    std::string longest(254, 'z');
    EXPECT_EQ(list.Add(longest.c_str()), 1);
    EXPECT_EQ(std::string(list.GetAt(0)), longest);
    std::string tooLong(255, 'y');
    EXPECT_EQ(list.Add(tooLong.c_str()), 0);
    std::string wayTooLong(100000, 'w');
    EXPECT_EQ(list.Add(wayTooLong.c_str()), 0);
    EXPECT_EQ(list.GetCount(), 1);
    // A full slot swaps and sorts without losing its last byte.
    EXPECT_EQ(list.Add("a"), 1);
    list.Swap(0, 1);
    EXPECT_STREQ(list.GetAt(0), "a");
    EXPECT_EQ(std::string(list.GetAt(1)), longest);
    list.Sort(0);
    EXPECT_EQ(std::string(list.GetAt(0)), longest);
}

TEST(StringList, SortUsesUnsignedByteOrder) {
    StringList up;
    AddAll(up, {"b", "a", "B", "abc", "ab", "\xC3\xA9", "~"});
    up.Sort(1);
    // Bytes above 0x7F sort after ASCII: compared unsigned.
    EXPECT_EQ(Texts(up), std::vector<std::string>({"B", "a", "ab", "abc", "b", "~", "\xC3\xA9"}));
    up.Sort(0);
    EXPECT_EQ(Texts(up), std::vector<std::string>({"\xC3\xA9", "~", "b", "abc", "ab", "a", "B"}));
}

TEST(StringList, SortMovesTextsNotSlots) {
    StringList list;
    AddAll(list, {"c", "a", "b"});
    char* first = list.GetAt(0);
    list.Sort(1);
    EXPECT_EQ(list.GetAt(0), first);
    EXPECT_STREQ(first, "a");
}

TEST(StringList, FindExactAndSubstring) {
    StringList list;
    EXPECT_EQ(list.Find("", 1), -1);
    AddAll(list, {"abc", "ab"});
    EXPECT_EQ(list.Find("ab", 0), 1);
    EXPECT_EQ(list.Find("ab", 1), 0);
    EXPECT_EQ(list.Find("bc", 1), 0);
    EXPECT_EQ(list.Find("x", 0), -1);
    EXPECT_EQ(list.Find("x", 1), -1);
    EXPECT_EQ(list.Find("", 1), 0);
    EXPECT_EQ(list.Find("", 0), -1);
    AddAll(list, {"", ""});
    EXPECT_EQ(list.Find("", 0), 2);
    EXPECT_EQ(list.Find("AB", 0), -1);
}

TEST(StringList, RemoveAndSwapRefuseOutOfRange) {
    StringList list;
    AddAll(list, {"a", "b", "c"});
    EXPECT_EQ(list.RemoveAt(-1), 0);
    EXPECT_EQ(list.RemoveAt(3), 0);
    list.Swap(0, 3);
    list.Swap(-1, 2);
    EXPECT_EQ(Texts(list), std::vector<std::string>({"a", "b", "c"}));
    list.Swap(1, 1);
    EXPECT_EQ(Texts(list), std::vector<std::string>({"a", "b", "c"}));
    list.Swap(0, 2);
    EXPECT_EQ(Texts(list), std::vector<std::string>({"c", "b", "a"}));
    EXPECT_EQ(list.RemoveAt(1), 1);
    EXPECT_EQ(Texts(list), std::vector<std::string>({"c", "a"}));
    EXPECT_EQ(list.RemoveAt(0), 1);
    EXPECT_EQ(list.RemoveAt(0), 1);
    EXPECT_EQ(list.GetCount(), 0);
    list.RemoveAll();
    EXPECT_EQ(list.Add("again"), 1);
}

TEST(StringList, DuplicateCheckReadsEveryEntry) {
    StringList list;
    list.SetRejectDuplicates(1);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(list.Add(std::to_string(i).c_str()), 1);
    }
    EXPECT_EQ(list.Add("299"), 0);
    EXPECT_EQ(list.Add("0"), 0);
    EXPECT_EQ(list.Add("150"), 0);
    EXPECT_EQ(list.GetCount(), 300);
}

// Every allocation of an Add (the slot, then the node) may fail; the list
// must refuse the text, keep what it held and leak nothing.
TEST(StringList, AllocationFailureAtEverySite) {
    AllocFailureOff off;
    for (long nth = 1;; ++nth) {
        StringList list;
        AddAll(list, {"keep", "these"});
        SetAllocFailure(nth);
        int added = list.Add("new");
        bool failed = AllocFailureCount() > 0;
        SetAllocFailure(0);
        EXPECT_EQ(added, failed ? 0 : 1) << nth;
        std::vector<std::string> expected = {"keep", "these"};
        if (!failed) {
            expected.push_back("new");
        }
        EXPECT_EQ(Texts(list), expected) << nth;
        list.Sort(1);
        if (!failed) {
            EXPECT_GE(nth, 3) << "an Add makes two allocations";
            break;
        }
    }
}
