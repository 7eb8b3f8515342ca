#include "textutil/path_text.h"

#include <cstdio>
#include <cstring>

#include "platform/win32.h"

namespace {

// Only the last six characters can hold the dot of an extension.
const int kExtensionWindow = 6;

// Index of the last backslash among the first len bytes, or -1.
int LastBackslash(const char* path, int len) {
    for (int i = len - 1; i >= 0; --i) {
        if (path[i] == '\\') {
            return i;
        }
    }
    return -1;
}

// Index of the extension's dot, or -1. A backslash met first means that the
// dot belongs to a directory name.
int ExtensionDot(const char* path, int len) {
    for (int i = len - 1; i >= 0 && i >= len - kExtensionWindow; --i) {
        if (path[i] == '\\') {
            return -1;
        }
        if (path[i] == '.') {
            return i;
        }
    }
    return -1;
}

void CopyHead(const char* path, int count, char* out) {
    std::memcpy(out, path, static_cast<std::size_t>(count));
    out[count] = '\0';
}

} // namespace

int GetFileNamePart(const char* path, char* out) {
    int len = lstrlenA(path);
    int i = LastBackslash(path, len);
    CopyHead(path + i + 1, len - i - 1, out);
    return 1;
}

int GetExtension(const char* path, char* out) {
    int dot = ExtensionDot(path, lstrlenA(path));
    if (dot < 0) {
        out[0] = '\0';
        return 0;
    }
    lstrcpyA(out, path + dot + 1);
    return 1;
}

int GetExtensionStd(const char* path, char* out) {
    int dot = ExtensionDot(path, static_cast<int>(std::strlen(path)));
    if (dot < 0) {
        out[0] = '\0';
        return 0;
    }
    std::strcpy(out, path + dot + 1);
    return 1;
}

int GetDirectoryPart(const char* path, char* out) {
    int i = LastBackslash(path, lstrlenA(path));
    CopyHead(path, i > 0 ? i : 0, out);
    return 1;
}

int GetDirectoryPartStd(const char* path, char* out) {
    int i = LastBackslash(path, static_cast<int>(std::strlen(path)));
    CopyHead(path, i > 0 ? i : 0, out);
    return 1;
}

int FormatThousands(std::int32_t value, char* out) {
    char decimalSep[] = ".";
    char thousandSep[] = ",";
    NUMBERFMTA fmt;
    fmt.NumDigits = 0;
    // Without decimals this only decides whether 0 shows as "0" or, as
    // Windows formats a zero whole part without a leading zero, as nothing.
    fmt.LeadingZero = 1;
    fmt.Grouping = 3;
    fmt.lpDecimalSep = decimalSep;
    fmt.lpThousandSep = thousandSep;
    fmt.NegativeOrder = 1;
    char digits[100];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
    return GetNumberFormatA(0, 0, digits, &fmt, out, 20);
}

void TrimRight(char* text) {
    for (std::size_t i = std::strlen(text); i > 0; --i) {
        char c = text[i - 1];
        if (c != ' ' && c != '\n' && c != '\t') {
            break;
        }
        text[i - 1] = '\0';
    }
}
