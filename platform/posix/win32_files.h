// File search and process state: FindFirstFileA, FindNextFileA, FindClose,
// SetCurrentDirectoryA, the calls the directory scan and the driver make.
// Left out: the wide and Ex forms, wildcards before the last component, short
// (8.3) names (cAlternateFileName stays empty), GetCurrentDirectoryA and
// every other file or path function of kernel32.
#pragma once

#include "platform/posix/win32_types.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_DEVICE 0x00000040
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// The pattern is a directory path, '/', then a last component in which '*'
// and '?' are wildcards. Matching is case-sensitive, as a POSIX glob is
// (Windows matches without regard to case). "." and ".." are reported as
// Windows reports them. Attributes: FILE_ATTRIBUTE_DIRECTORY for directories;
// FILE_ATTRIBUTE_HIDDEN for names starting with '.'; FILE_ATTRIBUTE_READONLY
// for entries the caller cannot write; FILE_ATTRIBUTE_DEVICE for entries that
// are neither files nor directories (FIFOs, sockets, devices), which Windows
// has no name for; FILE_ATTRIBUTE_NORMAL when no other attribute applies.
// Symbolic links report their target; a dangling one reports
// FILE_ATTRIBUTE_REPARSE_POINT.
// Failure: INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND (the directory has
// no match), ERROR_PATH_NOT_FOUND (no such directory, or not a directory),
// ERROR_ACCESS_DENIED, ERROR_FILENAME_EXCED_RANGE, ERROR_NOT_ENOUGH_MEMORY;
// also the error of an entry that cannot be looked at (ERROR_ACCESS_DENIED
// in a directory that may be read but not searched), from FindNextFileA too.
HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
// FALSE with ERROR_NO_MORE_FILES at the end.
BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

BOOL SetCurrentDirectoryA(LPCSTR lpPathName);
