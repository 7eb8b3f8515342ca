#include "platform/win32.h"

#include <cstring>

LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
    if (lpString1 == nullptr || lpString2 == nullptr) {
        return nullptr;
    }
    return std::strcpy(lpString1, lpString2);
}

LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
    if (lpString1 == nullptr || lpString2 == nullptr) {
        return nullptr;
    }
    return std::strcat(lpString1, lpString2);
}

int lstrlenA(LPCSTR lpString) {
    if (lpString == nullptr) {
        return 0;
    }
    return static_cast<int>(std::strlen(lpString));
}

int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    // Windows orders a null string before any other.
    if (lpString1 == nullptr || lpString2 == nullptr) {
        return lpString1 == lpString2 ? 0 : (lpString1 == nullptr ? -1 : 1);
    }
    int r = std::strcmp(lpString1, lpString2);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
