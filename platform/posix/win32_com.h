// The COM task allocator (ole32) and automation strings (oleaut32).
#pragma once

#include "platform/posix/win32_types.h"

// CoTaskMemAlloc: a block of cb bytes, or null. CoTaskMemRealloc: with pv
// null, a fresh block; with cb 0, frees pv and returns null; otherwise a block
// of cb bytes keeping the old contents, or null with pv untouched.
LPVOID CoTaskMemAlloc(SIZE_T cb);
LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
void CoTaskMemFree(LPVOID pv);

typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;

// Automation strings laid out as on Windows: a 32-bit byte count, then the
// text and a terminator; the BSTR points at the text. Allocated from the task
// allocator, so the failure switch reaches them. SysAllocString of null is
// null; SysFreeString and SysStringLen accept null.
BSTR SysAllocString(const OLECHAR* psz);
void SysFreeString(BSTR bstrString);
UINT SysStringLen(BSTR pbstr);
