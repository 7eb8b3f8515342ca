// Code-page conversion, number formatting and message boxes.
#pragma once

#include "platform/posix/win32_types.h"

typedef DWORD LCID;
typedef struct HWND__* HWND;

// The ANSI code page of a POSIX host is UTF-8, whatever the process locale
// says: every page below names the same conversion.
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

#define ERROR_INVALID_FLAGS 1004L

// CP_UTF8.
UINT GetACP();

// Win32's buffer rules: a negative cbMultiByte means terminated input, the
// terminator counted; cchWideChar 0 returns the units needed; a buffer too
// small fails with ERROR_INSUFFICIENT_BUFFER after filling what fits; a null
// input, a zero length or a negative capacity fail with
// ERROR_INVALID_PARAMETER, flags other than MB_ERR_INVALID_CHARS with
// ERROR_INVALID_FLAGS. Each maximal ill-formed UTF-8 subsequence becomes one
// U+FFFD (with MB_ERR_INVALID_CHARS: failure, ERROR_NO_UNICODE_TRANSLATION).
// A character takes one unit of 32-bit wide text, two of 16-bit wide text.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);

// The same rules the other way. A unit that is no character (a surrogate not
// in a pair, a value above U+10FFFF) becomes U+FFFD, as Windows writes it in
// UTF-8 (with WC_ERR_INVALID_CHARS: failure, ERROR_NO_UNICODE_TRANSLATION).
// UTF-8 has no default character: lpDefaultChar and lpUsedDefaultChar must
// be null, as Windows demands for CP_UTF8 (else ERROR_INVALID_PARAMETER).
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

#define LOCALE_NEUTRAL 0x0000
#define LOCALE_INVARIANT 0x007F
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_NOUSEROVERRIDE 0x80000000
#define LOCALE_USE_CP_ACP 0x40000000

typedef struct _numberfmtA {
    UINT NumDigits;
    UINT LeadingZero;
    UINT Grouping;
    LPSTR lpDecimalSep;
    LPSTR lpThousandSep;
    UINT NegativeOrder;
} NUMBERFMTA, *LPNUMBERFMTA;
typedef NUMBERFMTA NUMBERFMT;

// Every locale formats as the one built-in locale (English, United States):
// negative sign "-", and without lpFormat 2 digits, leading zero, grouping
// 3, "." and ",", negative order 1. lpValue: an optional '-' first, digits
// with at most one '.', at least one digit; anything else fails with
// ERROR_INVALID_PARAMETER, as do null separators and NegativeOrder above 4.
// dwFlags must be 0 with lpFormat (else ERROR_INVALID_FLAGS). As on Windows,
// leading zeros of the whole part go, and a whole part of zero shows only
// with LeadingZero ("0.5" is ".50" without it); excess decimals round half
// up; Grouping's decimal digits are the group sizes from the point leftwards,
// the last repeating unless it is 0 (32: 12,34,567). Returns the characters
// written, terminator included; with cchNumber 0 the size needed; 0 with
// ERROR_INSUFFICIENT_BUFFER (nothing written) when the buffer is too small.
int GetNumberFormatA(LCID Locale, DWORD dwFlags, LPCSTR lpValue, const NUMBERFMTA* lpFormat,
                     LPSTR lpNumberStr, int cchNumber);

#define MB_OK 0x00000000L
#define MB_ICONINFORMATION 0x00000040L
#define IDOK 1

// No one can answer a box on a console host: writes "caption: text" to
// stderr as one line (line breaks in the text become spaces; a null caption
// is "Error", as on Windows) and reports the OK button. 0 when stderr cannot
// be written, with the last error set. A hook set with SetMessageBoxHook
// (platform/message_box_hook.h) takes the box instead.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
