// The 8-bit string functions of kernel32, for the POSIX layer. Provides only
// what morvel calls; the pointers must not be null, except for lstrlenA.
#pragma once

#include "platform/posix/win32_types.h"

LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2);
// A null pointer counts as 0, as on Windows.
int lstrlenA(LPCSTR lpString);
// 0 when the texts are equal, as on Windows. Unequal texts are ordered by
// their bytes, not by the user locale's collation as on Windows: morvel only
// asks whether two texts are equal.
int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
