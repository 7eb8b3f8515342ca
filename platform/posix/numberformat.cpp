#include "platform/win32.h"

#include <climits>
#include <cstring>
#include <string>

namespace {

const char kNegativeSign[] = "-";

char g_defaultDecimal[] = ".";
char g_defaultThousand[] = ",";

// English (United States), the one locale of a POSIX host.
const NUMBERFMTA kDefaultFormat = {2, 1, 3, g_defaultDecimal, g_defaultThousand, 1};

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// The text of lpValue split at its point; false when it is not a number.
bool ParseNumber(const char* value, bool* negative, std::string* whole, std::string* fraction) {
    const char* p = value;
    *negative = *p == '-';
    if (*negative) {
        ++p;
    }
    bool point = false;
    for (; *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9') {
            (point ? fraction : whole)->push_back(*p);
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return !whole->empty() || !fraction->empty();
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

// Group sizes from the right: Grouping 0 means none, 1 to 9 that size
// throughout, 32 a group of three and then groups of two.
std::string GroupDigits(const std::string& digits, UINT grouping, const char* separator) {
    if (grouping == 0) {
        return digits;
    }
    std::size_t size = grouping == 32 ? 3 : grouping;
    std::size_t left = digits.size();
    std::string tail; // the groups already split off, separators included
    while (left > size) {
        tail.insert(0, digits, left - size, size);
        tail.insert(0, separator);
        left -= size;
        if (grouping == 32) {
            size = 2;
        }
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
    if (fmt.lpDecimalSep == nullptr || fmt.lpThousandSep == nullptr || fmt.NumDigits > 9 ||
        (fmt.Grouping > 9 && fmt.Grouping != 32) || fmt.NegativeOrder > 4) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    bool negative;
    std::string whole;
    std::string fraction;
    if (!ParseNumber(lpValue, &negative, &whole, &fraction)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }

    if (fraction.size() > fmt.NumDigits) {
        bool up = fraction[fmt.NumDigits] >= '5';
        fraction.resize(fmt.NumDigits);
        if (up) {
            RoundUp(&whole, &fraction);
        }
    } else {
        fraction.append(fmt.NumDigits - fraction.size(), '0');
    }
    // A number always shows a digit: without decimals the zero stays.
    if (whole.empty() && (fmt.LeadingZero != 0 || fraction.empty())) {
        whole = "0";
    }

    std::string number = GroupDigits(whole, fmt.Grouping, fmt.lpThousandSep);
    if (!fraction.empty()) {
        number += fmt.lpDecimalSep;
        number += fraction;
    }
    if (negative) {
        switch (fmt.NegativeOrder) {
        case 0:
            number = "(" + number + ")";
            break;
        case 1:
            number = kNegativeSign + number;
            break;
        case 2:
            number = std::string(kNegativeSign) + " " + number;
            break;
        case 3:
            number += kNegativeSign;
            break;
        default:
            number = number + " " + kNegativeSign;
            break;
        }
    }

    if (number.size() + 1 > static_cast<std::size_t>(INT_MAX)) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    int needed = static_cast<int>(number.size() + 1);
    if (cchNumber == 0) {
        return needed;
    }
    if (cchNumber < needed) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpNumberStr, number.c_str(), number.size() + 1);
    return needed;
}
