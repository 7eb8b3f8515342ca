#include <gtest/gtest.h>

#include "tests/support/test_support.h"

TEST(Driver, Usage) {
    ProcessResult r = RunProcess({MORVEL_EXE});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "morvel [gs dir] [ps dir]");
}
