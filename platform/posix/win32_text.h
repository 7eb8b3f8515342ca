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
// in a pair, a value above U+10FFFF) becomes the page's default character
// '?' (with WC_ERR_INVALID_CHARS: failure, ERROR_NO_UNICODE_TRANSLATION).
// UTF-8 has no other default character: lpDefaultChar and lpUsedDefaultChar
// must be null, as Windows demands for CP_UTF8 (else ERROR_INVALID_PARAMETER).
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

typedef struct _numberfmtA {
    UINT NumDigits;
    UINT LeadingZero;
    UINT Grouping;
    LPSTR lpDecimalSep;
    LPSTR lpThousandSep;
    UINT NegativeOrder;
} NUMBERFMTA;

// lpValue an integer as printf writes it ("0", or an optional '-' and digits
// without a leading zero), lpFormat the record of a grouped integer: no
// decimals, LeadingZero 1, Grouping 3, NegativeOrder 1 and both separators
// set. The result is Windows': "-1,234,567" with "," as the thousands
// separator. Returns the characters written, terminator included; 0 with
// ERROR_INSUFFICIENT_BUFFER (nothing written) when they do not fit. Any other
// value, record or a buffer that is not positive fails with
// ERROR_INVALID_PARAMETER, flags with ERROR_INVALID_FLAGS. The locale is
// not looked at: the record decides everything.
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
