// The only door to the Win32 API. Every part of morvel includes this header
// instead of <windows.h>. On Windows it brings in the real headers; elsewhere
// it declares the subset of Win32 that morvel calls, implemented under
// platform/posix/ with Win32's results, last-error values and buffer rules
// for the arguments morvel passes.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include "platform/win32/hooks.h"
#else
#include "platform/posix/win32_posix.h"
#endif

#include "platform/alloc_fault.h"
#include "platform/message_box_hook.h"
