// The last-error value, per thread as on Windows, with the errno it came
// from, and the mapping from errno that the rest of this layer reports
// through. Provides GetLastError and SetLastError; does not provide
// FormatMessage or other error state.
#include "platform/win32.h"

#include <cerrno>

static thread_local DWORD t_lastError = ERROR_SUCCESS;
// 0 when the code was set without an errno.
static thread_local int t_lastErrno = 0;

namespace {

DWORD Win32ErrorFromErrno(int err) {
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ELOOP:
        return ERROR_INVALID_NAME;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

// For codes this layer sets on its own.
int ErrnoFromWin32Error(DWORD code) {
    switch (code) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    default:
        return EINVAL;
    }
}

} // namespace

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD code) {
    t_lastError = code;
    t_lastErrno = 0;
}

void SetLastErrorFromErrno(int err) {
    t_lastError = Win32ErrorFromErrno(err);
    t_lastErrno = err;
}

void SetLastErrorFromErrno(int err, DWORD code) {
    t_lastError = code;
    t_lastErrno = err;
}

int LastErrno() {
    return t_lastErrno != 0 ? t_lastErrno : ErrnoFromWin32Error(t_lastError);
}
