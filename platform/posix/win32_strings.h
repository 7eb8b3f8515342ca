// The 8-bit string functions of kernel32.
#pragma once

#include "platform/posix/win32_types.h"

LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2);
// A null pointer counts as 0, as on Windows.
int lstrlenA(LPCSTR lpString);
// Returns -1, 0 or 1. Windows compares by the user locale's collation; this
// compares bytes as unsigned values, which agrees with it for equality.
int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
