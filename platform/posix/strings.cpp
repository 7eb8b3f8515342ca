// The 8-bit string functions of kernel32 as morvel calls them. Provides
// lstrcpyA, lstrcatA, lstrlenA and lstrcmpA for text that is there; does
// not provide the null handling of the copy, concatenation and comparison
// (nothing passes them a null pointer) or Windows' collation order.
#include "platform/win32.h"

#include <cstring>

LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
    return std::strcpy(lpString1, lpString2);
}

LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
    return std::strcat(lpString1, lpString2);
}

int lstrlenA(LPCSTR lpString) {
    return lpString != nullptr ? static_cast<int>(std::strlen(lpString)) : 0;
}

int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    return std::strcmp(lpString1, lpString2);
}
