// The COM task allocator (ole32) and automation strings (oleaut32), for the
// POSIX layer. Provides only what morvel calls; see com.cpp and oleaut.cpp
// for what each leaves out.
#pragma once

#include "platform/posix/win32_types.h"

// CoTaskMemAlloc: a block of cb bytes (cb > 0), or null. CoTaskMemRealloc:
// with pv null, a fresh block; otherwise a block of cb bytes keeping the old
// contents, or null with pv untouched (always for cb 0, which Windows takes
// as a free). CoTaskMemFree accepts null.
LPVOID CoTaskMemAlloc(SIZE_T cb);
LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
void CoTaskMemFree(LPVOID pv);

typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;

// SysAllocString: a copy of the terminated text psz (not null), or null when
// it cannot be allocated. SysFreeString accepts null.
BSTR SysAllocString(const OLECHAR* psz);
void SysFreeString(BSTR bstrString);
