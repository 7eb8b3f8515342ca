// Text between the ANSI code page (CP_ACP: UTF-8 on POSIX hosts and, through
// the programs' manifest, on Windows 10 version 1903 and later; the system's
// page on older Windows) and wide text (wchar_t: 16-bit units on Windows,
// 32-bit characters on POSIX), and wide copy, concatenation and comparison.
//
// Result codes: S_OK, S_FALSE (1) for a null input, E_OUTOFMEMORY when a
// scratch block cannot be had; then the output is untouched and nothing
// stays allocated. Output buffers carry no capacity: the caller makes them
// large enough.
#pragma once

#include "platform/win32.h"

// A new automation string with the text converted, owned by the caller
// (SysFreeString). When only the automation string cannot be allocated, out
// becomes null and the result is still S_OK.
HRESULT AnsiToBstr(const char* ansi, BSTR& out);

// The ANSI form of wide, terminated, into out. out must hold it: up to 2
// bytes a unit in a double-byte code page, 4 in UTF-8.
HRESULT WideToAnsi(const wchar_t* wide, char* out);

// The via-ANSI family: the operands go through their ANSI forms, of any
// length, so characters the code page lacks become its default character. A
// null operand counts as empty text; a null destination is left alone with
// result 1. E_OUTOFMEMORY when a scratch block cannot be had (dest
// untouched).

// dest receives src's text; 0.
HRESULT WideCopyViaAnsi(wchar_t* dest, const wchar_t* src);
// dest is extended by src's text; 0. dest must hold the joined text.
HRESULT WideConcatViaAnsi(wchar_t* dest, const wchar_t* src);
// 0 when the ANSI forms are equal, 1 when they differ (the order is not
// reported).
HRESULT WideCompareViaAnsi(const wchar_t* a, const wchar_t* b);

// Terminated conversions straight into the caller's buffer, returning the
// platform's count (terminator included) or 0 on failure (a null input
// among them). AnsiToWideBuffer offers length + 1 units; WideToAnsiBuffer
// offers 2 x (length + 1) bytes, so in UTF-8 text of wide characters that
// need more (most of them beyond U+07FF) fails.
int AnsiToWideBuffer(const char* ansi, wchar_t* out);
int WideToAnsiBuffer(const wchar_t* wide, char* out);

// The standard library's wcscpy, wcscat and wcscmp; WideCompare gives
// exactly -1, 0 or +1 whatever the C library returns.
wchar_t* WideCopy(wchar_t* dest, const wchar_t* src);
wchar_t* WideConcat(wchar_t* dest, const wchar_t* src);
int WideCompare(const wchar_t* a, const wchar_t* b);
