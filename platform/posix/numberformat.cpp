// GetNumberFormatA for the one call morvel makes: an integer's digits
// grouped by three. Provides only that; does not provide locale formats,
// decimals and rounding, leading zeros, other group sizes or negative orders,
// or size queries, and refuses them rather than format them otherwise than
// Windows would.
#include "platform/win32.h"

#include <cstring>
#include <string>

namespace {

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// The record FormatThousands passes: no decimals, groups of three, a
// leading minus sign.
bool IsGroupedIntegerFormat(const NUMBERFMTA& format) {
    return format.NumDigits == 0 && format.LeadingZero == 1 && format.Grouping == 3 &&
           format.NegativeOrder == 1 && format.lpDecimalSep != nullptr &&
           format.lpThousandSep != nullptr;
}

// "0", or an optional '-' and digits without a leading zero: an integer as
// printf writes it, which Windows formats as it stands.
bool IsPrintedInteger(const char* value) {
    if (std::strcmp(value, "0") == 0) {
        return true;
    }
    const char* p = value[0] == '-' ? value + 1 : value;
    if (*p < '1' || *p > '9') {
        return false;
    }
    for (++p; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

int GetNumberFormatA(LCID, DWORD dwFlags, LPCSTR lpValue, const NUMBERFMTA* lpFormat,
                     LPSTR lpNumberStr, int cchNumber) {
    if (dwFlags != 0) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    if (lpValue == nullptr || lpFormat == nullptr || lpNumberStr == nullptr || cchNumber <= 0 ||
        !IsGroupedIntegerFormat(*lpFormat) || !IsPrintedInteger(lpValue)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const char* digits = lpValue[0] == '-' ? lpValue + 1 : lpValue;
    std::size_t count = std::strlen(digits);
    std::string text = digits == lpValue ? "" : "-";
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) {
            text += lpFormat->lpThousandSep;
        }
        text += digits[i];
    }
    if (text.size() >= static_cast<std::size_t>(cchNumber)) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpNumberStr, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size() + 1);
}
