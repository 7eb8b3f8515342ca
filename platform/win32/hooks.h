// Win32 entry points that morvel reaches through a thin wrapper of its own,
// so that tests can observe or fail them on the real API too. Included only
// by platform/win32.h, after the system headers.
#pragma once

#include <windows.h>
#include <oleauto.h>

LPVOID MorvelCoTaskMemAlloc(SIZE_T cb);
LPVOID MorvelCoTaskMemRealloc(LPVOID pv, SIZE_T cb);

#define CoTaskMemAlloc MorvelCoTaskMemAlloc
#define CoTaskMemRealloc MorvelCoTaskMemRealloc

BSTR MorvelSysAllocString(const OLECHAR* psz);
int MorvelMessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

#define SysAllocString MorvelSysAllocString
#define MessageBoxA MorvelMessageBoxA
