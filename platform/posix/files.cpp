// File search and the working directory on POSIX: FindFirstFileA,
// FindNextFileA, FindClose and SetCurrentDirectoryA over opendir, readdir,
// fstatat and chdir. Only what morvel calls; win32_files.h says what is left
// out (wide and Ex forms, short names, wildcards before the last component).
#include "platform/win32.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FindState {
    DIR* dir;
    std::string pattern; // the last component, with its wildcards
};

// '*' matches any run of bytes; everything else matches itself, byte for
// byte. FindFirstFileA refuses a '?', the one other wildcard of Windows.
bool WildcardMatch(const char* pat, const char* name) {
    const char* starPat = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pat == '*') {
            starPat = ++pat;
            starName = name;
        } else if (*pat == *name) {
            ++pat;
            ++name;
        } else if (starPat != nullptr) {
            pat = starPat;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pat == '*') {
        ++pat;
    }
    return *pat == '\0';
}

enum class Fill { Ok, Vanished, Failed };

// Failed with the last error set when the entry cannot be looked at, as in a
// directory that may be read but not searched: nothing in it can be used.
Fill FillFindData(int dirFd, const char* name, WIN32_FIND_DATAA* data) {
    std::memset(data, 0, sizeof(*data));
    struct stat st;
    if (fstatat(dirFd, name, &st, 0) != 0) {
        // A dangling symbolic link still is an entry (the converter will say
        // what is wrong with it); one that is not there any more has gone
        // since the directory was read.
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                return Fill::Vanished;
            }
            SetLastErrorFromErrno(errno);
            return Fill::Failed;
        }
        data->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    } else if (S_ISDIR(st.st_mode)) {
        data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    } else if (S_ISREG(st.st_mode)) {
        data->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    } else {
        data->dwFileAttributes = FILE_ATTRIBUTE_DEVICE;
    }
    std::strcpy(data->cFileName, name); // fits: callers checked the length
    return Fill::Ok;
}

// Reads on to the next entry that matches; false with the last error set
// at the end of the directory or on a read error.
bool NextMatch(FindState* state, WIN32_FIND_DATAA* data) {
    for (;;) {
        errno = 0;
        struct dirent* ent = readdir(state->dir);
        if (ent == nullptr) {
            if (errno == 0) {
                SetLastError(ERROR_NO_MORE_FILES);
            } else {
                SetLastErrorFromErrno(errno);
            }
            return false;
        }
        // Names longer than the record can hold do not exist on Linux
        // (NAME_MAX is 255); on a host that had them they could not be
        // reported whole, so they are not reported at all.
        if (std::strlen(ent->d_name) >= MAX_PATH) {
            continue;
        }
        if (!WildcardMatch(state->pattern.c_str(), ent->d_name)) {
            continue;
        }
        Fill fill = FillFindData(dirfd(state->dir), ent->d_name, data);
        if (fill == Fill::Vanished) {
            continue;
        }
        return fill == Fill::Ok;
    }
}

bool IsValidHandle(HANDLE h) {
    return h != nullptr && h != INVALID_HANDLE_VALUE;
}

} // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string full(lpFileName);
    if (full.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string::size_type slash = full.rfind('/');
    std::string dirPath;
    std::string pattern;
    if (slash == std::string::npos) {
        dirPath = ".";
        pattern = full;
    } else {
        dirPath = slash == 0 ? "/" : full.substr(0, slash);
        pattern = full.substr(slash + 1);
    }
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (pattern.find('?') != std::string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    DIR* dir = opendir(dirPath.c_str());
    if (dir == nullptr) {
        int err = errno;
        // A missing directory is a missing path, not a missing file.
        if (err == ENOENT) {
            SetLastErrorFromErrno(err, ERROR_PATH_NOT_FOUND);
        } else {
            SetLastErrorFromErrno(err);
        }
        return INVALID_HANDLE_VALUE;
    }
    FindState* state = new (std::nothrow) FindState;
    if (state == nullptr) {
        closedir(dir);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    state->dir = dir;
    state->pattern.swap(pattern);
    if (!NextMatch(state, lpFindFileData)) {
        closedir(dir);
        delete state;
        if (GetLastError() == ERROR_NO_MORE_FILES) {
            SetLastError(ERROR_FILE_NOT_FOUND);
        }
        return INVALID_HANDLE_VALUE;
    }
    return state;
}

BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    if (!IsValidHandle(hFindFile) || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return NextMatch(static_cast<FindState*>(hFindFile), lpFindFileData) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE hFindFile) {
    if (!IsValidHandle(hFindFile)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FindState* state = static_cast<FindState*>(hFindFile);
    closedir(state->dir);
    delete state;
    return TRUE;
}

BOOL SetCurrentDirectoryA(LPCSTR lpPathName) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (chdir(lpPathName) != 0) {
        int err = errno;
        if (err == ENOTDIR) {
            SetLastErrorFromErrno(err, ERROR_DIRECTORY);
        } else {
            SetLastErrorFromErrno(err);
        }
        return FALSE;
    }
    return TRUE;
}
