// The subset of Win32 that morvel uses, for POSIX hosts. Each header below
// declares one family; platform/posix/*.cpp implement them.
#pragma once

#include "platform/posix/win32_types.h"
#include "platform/posix/win32_files.h"
#include "platform/posix/win32_strings.h"
#include "platform/posix/win32_com.h"
#include "platform/posix/win32_text.h"
