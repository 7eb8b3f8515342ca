// Windows form of the standard streams: a console gets wide text, whatever
// its code page; a file or pipe gets the bytes through the C runtime.
#include "tool/console.h"

#include "tool/system_error.h"
#include "tool/win32_support.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <io.h>

namespace {

// Why a write to a stream failed: the system's reason where the C runtime
// left one, else its own.
std::string StreamErrorText() {
    DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? SystemErrorText(code) : std::string(std::strerror(errno));
}

} // namespace

bool PrepareStreams(std::string*, std::string*) {
    // The standard handles stay as morvel was given them.
    return true;
}

bool WriteText(std::FILE* stream, const std::string& text, std::string* why) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_CHAR ||
        !GetConsoleMode(handle, &mode)) {
        SetLastError(ERROR_SUCCESS);
        if (std::fwrite(text.data(), 1, text.size(), stream) == text.size()) {
            return true;
        }
        if (why != nullptr) {
            *why = StreamErrorText();
        }
        return false;
    }
    // A console shows wide text as it is, whatever its own code page; the
    // console's settings are left alone.
    std::fflush(stream);
    if (text.empty()) {
        return true;
    }
    std::wstring wide = Wide(text);
    if (wide.empty()) {
        if (why != nullptr) {
            *why = LastErrorText();
        }
        return false;
    }
    const wchar_t* next = wide.data();
    DWORD left = static_cast<DWORD>(wide.size());
    while (left > 0) {
        DWORD written = 0;
        if (!WriteConsoleW(handle, next, left, &written, nullptr) || written == 0) {
            if (why != nullptr) {
                *why = LastErrorText();
            }
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

bool FlushText(std::FILE* stream, std::string* why) {
    SetLastError(ERROR_SUCCESS);
    if (std::fflush(stream) != 0 || std::ferror(stream)) {
        *why = StreamErrorText();
        return false;
    }
    return true;
}

bool StandardStreamsShareAFile() {
    // A console has no file identity: only files are compared.
    BY_HANDLE_FILE_INFORMATION out, err;
    HANDLE outHandle = GetStdHandle(STD_OUTPUT_HANDLE), errHandle = GetStdHandle(STD_ERROR_HANDLE);
    return GetFileType(outHandle) == FILE_TYPE_DISK && GetFileType(errHandle) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(outHandle, &out) &&
           GetFileInformationByHandle(errHandle, &err) &&
           out.dwVolumeSerialNumber == err.dwVolumeSerialNumber &&
           out.nFileIndexHigh == err.nFileIndexHigh && out.nFileIndexLow == err.nFileIndexLow;
}
