// What the seam's contract tests expect where the hosts differ by design.
#pragma once

#include "tests/support/test_support.h"

// Windows' file search ignores case; a POSIX glob does not.
inline bool HostMatchesIgnoringCase() {
    return kTestSeparator == '\\';
}
