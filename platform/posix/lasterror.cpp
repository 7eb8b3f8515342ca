// The last-error value, per thread as on Windows, and the mapping from errno
// that the rest of this layer reports through it. Provides GetLastError and
// SetLastError only; does not provide FormatMessage or other error state.
#include "platform/win32.h"

#include <cerrno>

static thread_local DWORD t_lastError = ERROR_SUCCESS;

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD code) {
    t_lastError = code;
}

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
