#include "containers/linked_list.h"

#include <gtest/gtest.h>

TEST(LinkedList, Placeholder) {
    LinkedList l;
    EXPECT_EQ(l.GetCount(), 0);
}
