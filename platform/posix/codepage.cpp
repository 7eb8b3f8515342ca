// MultiByteToWideChar and WideCharToMultiByte with UTF-8 as the ANSI code
// page, converted by hand so that the process locale (often "C" in services
// and CI) never changes the result. Provides only CP_ACP without flags;
// does not provide other code pages, MB_ERR_INVALID_CHARS or
// WC_ERR_INVALID_CHARS, default characters of the caller's choice, terminated
// input or size queries of MultiByteToWideChar, or 16-bit wide text.
#include "platform/win32.h"

#include <climits>
#include <cstring>
#include <cwchar>

static_assert(sizeof(wchar_t) == 4, "wide text is UTF-32 on POSIX hosts");

namespace {

const wchar_t kReplacement = 0xFFFD;

// One character from s[0..len), len >= 1: the bytes it takes and its code
// point. An ill-formed sequence yields U+FFFD and takes its maximal subpart
// (the lead byte and the continuation bytes that were still possible), so
// the byte that broke it starts the next character, as Unicode recommends.
int DecodeUtf8(const unsigned char* s, int len, wchar_t* cp) {
    unsigned char b = s[0];
    *cp = kReplacement;
    if (b < 0x80) {
        *cp = b;
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
    *cp = static_cast<wchar_t>(value);
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

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

} // namespace

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    if (lpMultiByteStr == nullptr || cbMultiByte <= 0 || lpWideCharStr == nullptr ||
        cchWideChar <= 0 || CodePage != CP_ACP) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (dwFlags != 0) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const unsigned char* s = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    Sink<wchar_t> sink = {lpWideCharStr, cchWideChar, 0, false};
    for (int pos = 0; pos < cbMultiByte;) {
        wchar_t cp;
        pos += DecodeUtf8(s + pos, cbMultiByte - pos, &cp);
        sink.Put(&cp, 1);
    }
    return sink.Result();
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cbMultiByte < 0 ||
        (lpMultiByteStr == nullptr && cbMultiByte != 0) || CodePage != CP_ACP ||
        lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (dwFlags != 0) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    // A negative length: the terminated text and its terminator, as long as
    // that count fits an int.
    long long len = cchWideChar;
    if (cchWideChar < 0) {
        std::size_t terminated = std::wcslen(lpWideCharStr) + 1;
        if (terminated > static_cast<std::size_t>(INT_MAX)) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        len = static_cast<long long>(terminated);
    }
    Sink<char> sink = {lpMultiByteStr, cbMultiByte, 0, false};
    for (long long i = 0; i < len; ++i) {
        std::uint32_t cp = static_cast<std::uint32_t>(lpWideCharStr[i]);
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            cp = static_cast<std::uint32_t>(kReplacement);
        }
        char bytes[4];
        int n = EncodeUtf8(cp, bytes);
        sink.Put(bytes, n);
    }
    return sink.Result();
}
