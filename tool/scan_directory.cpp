#include "tool/scan_directory.h"

#include <cstring>
#include <string>

#include "containers/string_list.h"
#include "tool/files.h"
#include "tool/system_error.h"

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Windows matches the pattern without regard to case, so ".PS" counts too.
bool HasSuffix(const std::string& name, const std::string& suffix) {
    if (name.size() < suffix.size()) {
        return false;
    }
    std::string::size_type start = name.size() - suffix.size();
    for (std::string::size_type i = 0; i < suffix.size(); ++i) {
        if (AsciiLower(name[start + i]) != AsciiLower(suffix[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string PathInDirectory(const std::string& directory, const std::string& name) {
    return EndsInSeparator(directory) ? directory + name : directory + kPathSeparator + name;
}

std::string ScanReport::SuffixOf(const char* entry, const char* extension) const {
    auto found = spelled.find(entry);
    return found != spelled.end() ? found->second : std::string(".") + extension;
}

int ScanDirectory(const char* directory, const char* extension, StringList* list, int keepExtension,
                  ScanReport* report) {
    ScanReport local;
    ScanReport& rep = report != nullptr ? *report : local;
    rep = ScanReport();
    if (directory == nullptr || extension == nullptr || list == nullptr) {
        rep.error = ERROR_INVALID_PARAMETER;
        return -1;
    }

    // "C:\docs" and "C:\docs\" give the same pattern, C:\docs\*.ps.
    const std::string dir = directory;
    std::string pattern = PathInDirectory(dir, std::string("*.") + extension);
    std::string suffix = std::string(".") + extension;

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        rep.error = GetLastError();
        rep.reason = LastErrorText();
        return -1;
    }
    do {
        // Any directory is skipped, whatever other attributes it carries.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) {
            continue;
        }
        std::string name = data.cFileName;
        if (!HasSuffix(name, suffix)) {
            continue; // a match of the system's looser rules, not of ours
        }
        // FIFOs, sockets and devices would make the converter block or fail.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
            rep.skipped.push_back({PathInDirectory(dir, name), "not a regular file; skipped"});
            continue;
        }
        std::string entry = name;
        if (keepExtension == 0) {
            entry.resize(name.size() - suffix.size());
        }
        if (list->Add(entry.c_str()) != 0) {
            std::string spelled = name.substr(name.size() - suffix.size());
            if (spelled != suffix) {
                rep.spelled[list->GetAt(list->GetCount() - 1)] = spelled;
            }
        } else {
            const char* why = "out of memory; skipped";
            if (entry.size() > static_cast<std::size_t>(StringList::SlotSize - 1)) {
                why = "file name too long; skipped";
            } else if (list->Find(entry.c_str(), 0) != -1) {
                why = "already listed; skipped";
            }
            rep.skipped.push_back({PathInDirectory(dir, name), why});
        }
    } while (FindNextFileA(find, &data));

    DWORD err = GetLastError();
    if (err != ERROR_NO_MORE_FILES) {
        rep.error = err;
        rep.reason = LastErrorText();
    }
    return FindClose(find);
}
