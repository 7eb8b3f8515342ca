// Code-page conversion, number formatting and message boxes, for the POSIX
// layer. Provides only the calls that morvel's text functions make: the two
// conversions with CP_ACP (UTF-8 here) and no flags, GetNumberFormatA with
// the one format record of a grouped integer, and the OK box. Does not
// provide GetACP or other code pages, conversion flags, locale formats or
// decimals, or boxes with other buttons; such calls fail with the error
// Windows gives for arguments it refuses, never with a different answer.
#pragma once

#include "platform/posix/win32_types.h"

typedef DWORD LCID;
typedef struct HWND__* HWND;

// The ANSI code page of a POSIX host is UTF-8, whatever the process locale
// says.
#define CP_ACP 0

#define ERROR_INVALID_FLAGS 1004L

// Win32's buffer rules for an explicit input length: a buffer too small
// fails with ERROR_INSUFFICIENT_BUFFER after filling what fits; a null input
// or output fails with ERROR_INVALID_PARAMETER, as does a length or capacity
// that is not positive (terminated input and size queries are left out), or
// a page other than CP_ACP; flags fail with ERROR_INVALID_FLAGS. Each maximal
// ill-formed UTF-8 subsequence becomes one U+FFFD. Wide text is UTF-32 here:
// one unit a character.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);

// The same rules the other way, and besides: a negative cchWideChar means
// terminated input, the terminator counted, and cbMultiByte 0 (the output
// may then be null) returns the bytes needed. A unit that is no character (a
// surrogate, a value above U+10FFFF) becomes U+FFFD, as Windows writes it in
// UTF-8. lpDefaultChar and lpUsedDefaultChar must be null (else
// ERROR_INVALID_PARAMETER).
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
// stderr as one line (line breaks in the text become spaces) and reports the
// OK button. Text and caption must not be null; the owner and the icon are
// not looked at. A box with other buttons than OK fails with
// ERROR_INVALID_PARAMETER; 0 when stderr cannot be written, with the last
// error set. A hook set with SetMessageBoxHook (platform/message_box_hook.h)
// takes the box instead.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
