// The directory scan: lists the entries of one extension in a directory.
// It prints nothing; what it could not do comes back to the caller.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win32.h"

class StringList;

// A matching entry that was not added to the list, and why.
struct ScanSkip {
    std::string path;   // the directory joined with the entry's name
    std::string reason; // e.g. "file name too long; skipped"
};

struct ScanReport {
    // ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when the directory holds no match,
    // or the system error that stopped the search (a missing or unusable
    // directory, a failure while reading it).
    DWORD error = ERROR_SUCCESS;
    std::string reason; // with such an error: the system's words for it
    std::vector<ScanSkip> skipped;
    // "." and the extension as an entry's name spells it, for the entries
    // that spell it otherwise than asked (".PS" for A.PS where matching
    // ignores case), keyed by the entry's slot in the list.
    std::map<const char*, std::string> spelled;

    // The suffix of the list's entry (a slot the list lent), as its name
    // spells it.
    std::string SuffixOf(const char* entry, const char* extension) const;
};

// directory and name joined by the host's separator; a directory that ends
// in a separator gets no second one. The one join rule of the tool.
std::string PathInDirectory(const std::string& directory, const std::string& name);

// Adds one entry to list for every file in directory whose name ends in "."
// and extension, in the order the system returns them. Directories, "." and
// ".." are skipped. With keepExtension 0 each name is stored without its final
// "." and extension; otherwise as found.
// Returns -1 when the search finds nothing or cannot be started (report->error
// tells which); otherwise the result of FindClose.
int ScanDirectory(const char* directory, const char* extension, StringList* list, int keepExtension,
                  ScanReport* report = nullptr);
