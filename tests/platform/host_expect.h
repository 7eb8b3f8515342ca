// What the seam's contract tests expect where the hosts differ by design.
#pragma once

#include "tests/support/test_support.h"

// Windows' file search ignores case; a POSIX glob does not.
inline bool HostMatchesIgnoringCase() {
    return kTestSeparator == '\\';
}

// POSIX decodes UTF-8 with the seam's own code; Windows with the system's,
// whose count of U+FFFD for some ill-formed sequences is its own.
inline bool HostDecodesUtf8ByItself() {
    return kTestSeparator == '/';
}
