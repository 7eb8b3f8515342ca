// Win32 base types, constants and the last-error value, for the POSIX layer.
// Provides only the types, result codes and error codes that morvel and the
// rest of this layer use; does not provide the other base types (BYTE, WORD,
// LONG, ...), WINAPI or the rest of the system error codes. DWORD is 32 bits,
// as on Windows.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef std::uint32_t DWORD;
typedef unsigned int UINT;
typedef std::int32_t HRESULT;
typedef std::size_t SIZE_T;
typedef char CHAR;
typedef wchar_t WCHAR;
typedef void* HANDLE;
typedef void* LPVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BOOL* LPBOOL;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(std::intptr_t)-1)

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)

// System error codes, as GetLastError() reports them on Windows.
#define ERROR_SUCCESS 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_DIRECTORY 267L

// Per thread, as on Windows.
DWORD GetLastError();
void SetLastError(DWORD code);

// Sets the last error to the code Win32 reports for errno value err, and
// keeps err beside it: the one place where POSIX errors become Win32 ones.
void SetLastErrorFromErrno(int err);
// The same, with code in place of the usual one where Win32 reports another
// for the call in question.
void SetLastErrorFromErrno(int err, DWORD code);

// POSIX only, for the tool's host file and nothing else: the errno behind
// the last error, so that a message can give the system's own words for it.
// After SetLastError it is the errno nearest to the code that was set.
int LastErrno();
