#include "platform/win32.h"

#include <climits>
#include <cstring>
#include <string>

namespace {

char g_defaultDecimal[] = ".";
char g_defaultThousand[] = ",";

// English (United States), the one locale of a POSIX host.
const NUMBERFMTA kDefaultFormat = {2, 1, 3, g_defaultDecimal, g_defaultThousand, 1};

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// The text of lpValue split at its point, leading zeros of the whole part
// dropped; false when it is not a number.
bool ParseNumber(const char* value, bool* negative, std::string* whole, std::string* fraction) {
    const char* p = value;
    *negative = *p == '-';
    if (*negative) {
        ++p;
    }
    bool point = false;
    bool digits = false;
    for (; *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = true;
            if (point) {
                fraction->push_back(*p);
            } else if (*p != '0' || !whole->empty()) {
                whole->push_back(*p);
            }
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

// Adds one to the last digit of whole + fraction, carrying to the left.
void RoundUp(std::string* whole, std::string* fraction) {
    for (std::string* part : {fraction, whole}) {
        for (std::size_t i = part->size(); i-- > 0;) {
            if ((*part)[i] != '9') {
                ++(*part)[i];
                return;
            }
            (*part)[i] = '0';
        }
    }
    whole->insert(whole->begin(), '1');
}

// Grouping lists group sizes from the point leftwards as decimal digits,
// most significant first: 3 is 3;3;3..., 32 is 3;2;2..., 320 is 3;2 and then
// no more separators. The last size repeats unless it is 0.
std::string GroupDigits(const std::string& digits, UINT grouping, const char* separator) {
    std::string sizes = std::to_string(grouping);
    std::size_t next = 0;
    std::size_t size = 0;
    std::size_t left = digits.size();
    std::string tail; // the groups already split off, separators included
    for (;;) {
        if (next < sizes.size()) {
            size = static_cast<std::size_t>(sizes[next++] - '0');
        } else if (sizes.back() == '0') {
            size = 0;
        }
        if (size == 0 || left <= size) {
            break;
        }
        tail.insert(0, digits, left - size, size);
        tail.insert(0, separator);
        left -= size;
    }
    return digits.substr(0, left) + tail;
}

} // namespace

int GetNumberFormatA(LCID Locale, DWORD dwFlags, LPCSTR lpValue, const NUMBERFMTA* lpFormat,
                     LPSTR lpNumberStr, int cchNumber) {
    (void)Locale;
    if (lpValue == nullptr || cchNumber < 0 || (cchNumber > 0 && lpNumberStr == nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (lpFormat != nullptr ? dwFlags != 0
                            : (dwFlags & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP)) != 0) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const NUMBERFMTA& fmt = lpFormat != nullptr ? *lpFormat : kDefaultFormat;
    if (fmt.lpDecimalSep == nullptr || fmt.lpThousandSep == nullptr || fmt.NegativeOrder > 4) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    bool negative;
    std::string whole;
    std::string fraction;
    if (!ParseNumber(lpValue, &negative, &whole, &fraction)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }

    // Zeros that pad the decimals are counted, not built, so a large
    // NumDigits costs nothing unless the caller's buffer holds them.
    std::size_t padding = 0;
    if (fraction.size() > fmt.NumDigits) {
        bool up = fraction[fmt.NumDigits] >= '5';
        fraction.resize(fmt.NumDigits);
        if (up) {
            RoundUp(&whole, &fraction);
        }
    } else {
        padding = fmt.NumDigits - fraction.size();
    }
    if (whole.empty() && fmt.LeadingZero != 0) {
        whole = "0";
    }

    std::string head; // everything before the padding zeros
    std::string tail; // everything after them
    if (negative) {
        static const char* const kBefore[] = {"(", "-", "- ", "", ""};
        static const char* const kAfter[] = {")", "", "", "-", " -"};
        head = kBefore[fmt.NegativeOrder];
        tail = kAfter[fmt.NegativeOrder];
    }
    head += GroupDigits(whole, fmt.Grouping, fmt.lpThousandSep);
    if (fmt.NumDigits > 0) {
        head += fmt.lpDecimalSep;
        head += fraction;
    }

    unsigned long long needed = head.size() + padding + tail.size() + 1;
    if (needed > INT_MAX) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (cchNumber == 0) {
        return static_cast<int>(needed);
    }
    if (static_cast<unsigned long long>(cchNumber) < needed) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    char* out = lpNumberStr;
    std::memcpy(out, head.data(), head.size());
    out += head.size();
    std::memset(out, '0', padding);
    out += padding;
    std::memcpy(out, tail.c_str(), tail.size() + 1);
    return static_cast<int>(needed);
}
