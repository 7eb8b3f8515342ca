// The subset of Win32 that morvel calls, for POSIX hosts. Each header below
// declares one family and says what it leaves out; platform/posix/*.cpp
// implement them with Win32's results and last-error values for the calls
// morvel makes, and refuse the rest.
#pragma once

#include "platform/posix/win32_types.h"
#include "platform/posix/win32_files.h"
#include "platform/posix/win32_strings.h"
#include "platform/posix/win32_com.h"
#include "platform/posix/win32_text.h"
