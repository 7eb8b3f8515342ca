// The system's own words for a failure. tool/system_error_posix.cpp and
// tool/system_error_win32.cpp implement it; the build picks one.
#pragma once

#include <string>

// The system's own words for why the last platform call failed:
// FormatMessage on Windows, strerror of the errno behind it on POSIX.
std::string LastErrorText();
