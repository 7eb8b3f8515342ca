// The directory scan: lists the entries of one extension in a directory.
#pragma once

#include "platform/win32.h"

class StringList;

// What a scan could not do, for callers that report it.
struct ScanReport {
    // ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when the directory holds no match,
    // or the system error that stopped the search (a missing or unreadable
    // directory, a failure while reading it).
    DWORD error = ERROR_SUCCESS;
    // Matching entries that were not added (a name too long for the list, no
    // memory, not a regular file); each has been reported on stderr.
    int refused = 0;
};

// Adds one entry to list for every file in directory whose name ends in "."
// and extension, in the order the system returns them. Directories, "." and
// ".." are skipped. With keepExtension 0 each name is stored without its final
// "." and extension; otherwise as found.
// Returns -1 when the search finds nothing or cannot be started (the last
// error and report->error tell which); otherwise the result of FindClose.
int ScanDirectory(const char* directory, const char* extension, StringList* list, int keepExtension,
                  ScanReport* report = nullptr);
