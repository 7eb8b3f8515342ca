// UTF-8 as the ANSI code page, converted by hand so that the process locale
// (often "C" in services and CI) never changes the result.
#include "platform/win32.h"

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

const std::uint32_t kReplacement = 0xFFFD;

bool IsUtf8Page(UINT codePage) {
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
           codePage == CP_UTF8;
}

// One character from s[0..len), len >= 1: the bytes it takes and its code
// point. An ill-formed sequence yields U+FFFD and takes its maximal subpart
// (the lead byte and the continuation bytes that were still possible), so
// the byte that broke it starts the next character, as Unicode recommends.
int DecodeUtf8(const unsigned char* s, int len, std::uint32_t* cp, bool* valid) {
    unsigned char b = s[0];
    *valid = false;
    *cp = kReplacement;
    if (b < 0x80) {
        *cp = b;
        *valid = true;
        return 1;
    }
    int need;
    std::uint32_t value;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
        value = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2;
        value = b & 0x0Fu;
        if (b == 0xE0) {
            lo = 0xA0; // no overlong forms
        } else if (b == 0xED) {
            hi = 0x9F; // no surrogates
        }
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3;
        value = b & 0x07u;
        if (b == 0xF0) {
            lo = 0x90;
        } else if (b == 0xF4) {
            hi = 0x8F; // nothing above U+10FFFF
        }
    } else {
        return 1;
    }
    int used = 1;
    for (int k = 0; k < need; ++k) {
        if (used >= len || s[used] < lo || s[used] > hi) {
            return used;
        }
        value = (value << 6) | (s[used] & 0x3Fu);
        ++used;
        lo = 0x80;
        hi = 0xBF;
    }
    *cp = value;
    *valid = true;
    return used;
}

// Counts the output and writes it while it fits; once something does not
// fit, nothing more is written.
template <typename T> struct Sink {
    T* buf;
    long long cap; // 0: count only
    long long count;
    bool overflow;

    void Put(const T* units, int n) {
        if (cap != 0 && !overflow) {
            if (count + n > cap) {
                overflow = true;
            } else {
                std::memcpy(buf + count, units, sizeof(T) * static_cast<std::size_t>(n));
            }
        }
        count += n;
    }

    // The Win32 result: the count, or 0 with the last error.
    int Result() const {
        if (overflow || count > INT_MAX) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        return static_cast<int>(count);
    }
};

int EncodeUtf8(std::uint32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

std::uint32_t WideUnit(wchar_t w) {
    std::uint32_t u = static_cast<std::uint32_t>(w);
    return sizeof(wchar_t) == 2 ? (u & 0xFFFFu) : u;
}

bool IsHighSurrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(std::uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The number of units to convert: as given, or with -1 the terminated
// text and its terminator; -1 when that does not fit an int.
long long TerminatedLength(std::size_t length) {
    return length + 1 > static_cast<std::size_t>(INT_MAX) ? -1 : static_cast<long long>(length) + 1;
}
long long InputLength(LPCSTR text, int given) {
    return given >= 0 ? given : TerminatedLength(std::strlen(text));
}
long long InputLength(LPCWSTR text, int given) {
    return given >= 0 ? given : TerminatedLength(std::wcslen(text));
}

} // namespace

UINT GetACP() {
    return CP_UTF8;
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cchWideChar < 0 ||
        (lpWideCharStr == nullptr && cchWideChar != 0) || !IsUtf8Page(CodePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((dwFlags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    long long len = InputLength(lpMultiByteStr, cbMultiByte);
    if (len < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const unsigned char* s = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    Sink<wchar_t> sink = {lpWideCharStr, cchWideChar, 0, false};
    int pos = 0;
    int total = static_cast<int>(len);
    while (pos < total) {
        std::uint32_t cp;
        bool valid;
        pos += DecodeUtf8(s + pos, total - pos, &cp, &valid);
        if (!valid && (dwFlags & MB_ERR_INVALID_CHARS) != 0) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        wchar_t units[2];
        int n = 1;
        if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
            units[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            units[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            n = 2;
        } else {
            units[0] = static_cast<wchar_t>(cp);
        }
        sink.Put(units, n);
    }
    return sink.Result();
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cbMultiByte < 0 ||
        (lpMultiByteStr == nullptr && cbMultiByte != 0) || !IsUtf8Page(CodePage) ||
        lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    long long len = InputLength(lpWideCharStr, cchWideChar);
    if (len < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Sink<char> sink = {lpMultiByteStr, cbMultiByte, 0, false};
    for (long long i = 0; i < len; ++i) {
        std::uint32_t cp = WideUnit(lpWideCharStr[i]);
        if (sizeof(wchar_t) == 2 && IsHighSurrogate(cp) && i + 1 < len &&
            IsLowSurrogate(WideUnit(lpWideCharStr[i + 1]))) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (WideUnit(lpWideCharStr[i + 1]) - 0xDC00);
            ++i;
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            if ((dwFlags & WC_ERR_INVALID_CHARS) != 0) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            cp = kReplacement;
        }
        char bytes[4];
        int n = EncodeUtf8(cp, bytes);
        sink.Put(bytes, n);
    }
    return sink.Result();
}
