// Windows form of files: the separator is the backslash, a path may hang on
// the current drive, some names are devices whatever their extension, and a
// captured output file goes when its handle closes.
#include "tool/files.h"

#include "tool/system_error.h"
#include "tool/win32_support.h"

#include <cstdio>
#include <vector>

#include <io.h>

const char kPathSeparator = '\\';

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// True when path does not depend on the current directory or drive.
bool IsAbsolutePath(const char* path) {
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        return true; // \\server\share or \\?\...
    }
    bool drive = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    return drive && path[1] == ':' && IsSeparator(path[2]);
}

// The system's full path of path, from the current directory and drive.
bool FullPath(const char* path, std::string* full, DWORD* error) {
    DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
    if (needed == 0) {
        *error = GetLastError();
        return false;
    }
    full->assign(needed, '\0');
    DWORD written = GetFullPathNameA(path, needed, &(*full)[0], nullptr);
    if (written == 0 || written >= needed) {
        *error = written == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        return false;
    }
    full->resize(written);
    return true;
}

// The drive ("C:") or share ("\\server\share") that path lies on, from the
// current directory; empty when it cannot be told.
std::string RootOf(const char* path) {
    std::string full;
    DWORD error = ERROR_SUCCESS;
    if (!FullPath(path, &full, &error)) {
        return std::string();
    }
    if (full.size() >= 2 && full[1] == ':') {
        return full.substr(0, 2);
    }
    if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) {
        // Up to the separator after the share name.
        std::string::size_type server = full.find_first_of("\\/", 2);
        if (server == std::string::npos) {
            return full;
        }
        std::string::size_type share = full.find_first_of("\\/", server + 1);
        return full.substr(0, share);
    }
    return std::string();
}

// "\dir" (or "/dir") is taken on the current drive: it means the same
// directory once workingDir is the working directory as long as that lies on
// the same drive.
bool MeansTheSameIn(const char* path, const char* workingDir) {
    if (!IsSeparator(path[0]) || IsSeparator(path[1])) {
        return false;
    }
    std::string here = RootOf(".");
    std::string there = RootOf(workingDir);
    return !here.empty() && lstrcmpiA(here.c_str(), there.c_str()) == 0;
}

} // namespace

bool EndsInSeparator(const std::string& directory) {
    // In a double-byte code page a trail byte can look like '\\': the last
    // character is found by walking from the start.
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < directory.size(); ++i) {
        last = i;
        if (IsDBCSLeadByte(static_cast<BYTE>(directory[i])) && i + 1 < directory.size()) {
            ++i;
        }
    }
    return last != std::string::npos && last + 1 == directory.size() &&
           IsSeparator(directory[last]);
}

bool AbsoluteDirectory(const std::string& given, const std::string& gsDir, std::string* absolute,
                       std::string* why) {
    // One that names the same directory from there is used exactly as given.
    if (IsAbsolutePath(given.c_str()) || MeansTheSameIn(given.c_str(), gsDir.c_str())) {
        *absolute = given;
        return true;
    }
    DWORD error = ERROR_SUCCESS;
    if (!FullPath(given.c_str(), absolute, &error)) {
        *why = SystemErrorText(error);
        return false;
    }
    return true;
}

std::string DirectoryReason(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastErrorText();
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? std::string()
                                                        : SystemErrorText(ERROR_DIRECTORY);
}

bool RemoveImage(const std::string& path, std::string* why) {
    if (!DeleteFileW(Wide(path).c_str())) {
        *why = LastErrorText();
        return false;
    }
    return true;
}

bool ReadFileChunks(const std::string& path,
                    void (*sink)(void* context, const unsigned char* data, std::size_t size),
                    void* context, std::string* why) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = LastErrorText();
        return false;
    }
    std::vector<unsigned char> chunk(65536);
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            *why = LastErrorText();
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        sink(context, chunk.data(), got);
    }
    CloseHandle(file);
    return ok;
}

std::string DeviceNameReason(const std::string& path) {
    // A path in the \\?\ form reaches the file system as it stands.
    if (path.compare(0, 4, "\\\\?\\") == 0) {
        return std::string();
    }
    std::size_t start = path.find_last_of("\\/:");
    std::string component = path.substr(start == std::string::npos ? 0 : start + 1);
    // Windows up to 10 takes the part before the first dot, less trailing
    // spaces, as the device: "nul.tar.ps" and "com1 .ps" are devices too.
    std::string stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    if (stem.empty() || stem.size() > 7) {
        return std::string();
    }
    std::wstring wide = Wide(stem);
    if (wide.empty()) {
        return std::string();
    }
    for (wchar_t& c : wide) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    bool device = false;
    for (const wchar_t* name : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        device = device || wide == name;
    }
    // COM0 to COM9 and LPT0 to LPT9, and with a superscript 1, 2 or 3.
    if (wide.size() == 4 && (wide.compare(0, 3, L"COM") == 0 || wide.compare(0, 3, L"LPT") == 0)) {
        wchar_t digit = wide[3];
        device = device || (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 ||
                 digit == 0x00B3;
    }
    if (!device) {
        return std::string();
    }
    return "Windows reads " + stem + " as a device name";
}

namespace {

// Identity, size and time of what path names, opened without access (so
// any file, whoever holds it open); false with the system's code in *error.
bool LookAt(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info, DWORD* type, DWORD* error) {
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    BOOL got = GetFileInformationByHandle(file, info);
    *error = got ? ERROR_SUCCESS : GetLastError();
    *type = GetFileType(file);
    CloseHandle(file);
    return got != FALSE;
}

unsigned long long FileIndex(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

} // namespace

FileStamp StampOf(const std::string& path, bool locate) {
    FileStamp stamp;
    const std::wstring wide = Wide(path);
    BY_HANDLE_FILE_INFORMATION info;
    DWORD type = FILE_TYPE_UNKNOWN, error = ERROR_SUCCESS;
    if (LookAt(wide, &info, &type, &error)) {
        stamp.exists = true;
        stamp.regular =
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && type == FILE_TYPE_DISK;
        if (!stamp.regular) {
            stamp.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "a directory"
                                                                                 : "a device";
        }
        stamp.volume = info.dwVolumeSerialNumber;
        stamp.file = FileIndex(info);
        stamp.links = info.nNumberOfLinks;
        stamp.size =
            (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        stamp.modified = static_cast<long long>(
            (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
            info.ftLastWriteTime.dwLowDateTime);
    } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        stamp.error = SystemErrorText(error);
    }
    if (!locate) {
        return stamp;
    }
    // Where a writer creates it: the directory, and the name in it as the
    // file system compares names.
    std::wstring::size_type cut = wide.find_last_of(L"\\/");
    if (cut != std::wstring::npos && cut + 1 < wide.size()) {
        std::wstring dir = wide.substr(0, cut + 1);
        if (LookAt(dir, &info, &type, &error)) {
            stamp.located = true;
            stamp.dirVolume = info.dwVolumeSerialNumber;
            stamp.dirFile = FileIndex(info);
            stamp.directory = path.substr(0, path.find_last_of("\\/") + 1);
            stamp.leaf = Utf8(Folded(wide.substr(cut + 1)));
        }
    }
    return stamp;
}

namespace {

// A fresh file in the temporary directory, gone when its handle closes.
HANDLE TemporaryFile(std::string* why) {
    DWORD size = GetTempPathW(0, nullptr);
    std::wstring dir(size, L'\0');
    DWORD got = size != 0 ? GetTempPathW(size, &dir[0]) : 0;
    if (got == 0 || got >= size) {
        *why = "cannot find the temporary directory: " + LastErrorText();
        return INVALID_HANDLE_VALUE;
    }
    dir.resize(got);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring name = dir + L"morvel-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(++counter) + L".tmp";
        HANDLE file =
            CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            if (file == INVALID_HANDLE_VALUE) {
                *why = "cannot create a temporary file in " + Utf8(dir) + ": " + LastErrorText();
            }
            return file;
        }
    }
    *why = "cannot create a temporary file in " + Utf8(dir) + ": " + LastErrorText();
    return INVALID_HANDLE_VALUE;
}

} // namespace

long long CreateCaptureFile(std::string* why) {
    HANDLE file = TemporaryFile(why);
    return file == INVALID_HANDLE_VALUE ? -1 : AsId(file);
}

void CloseCaptureFile(long long file) {
    CloseHandle(AsHandle(file));
}

bool CopyCaptured(long long file, std::FILE* stream, std::string* why) {
    HANDLE from = AsHandle(file);
    LARGE_INTEGER start;
    start.QuadPart = 0;
    if (!SetFilePointerEx(from, start, nullptr, FILE_BEGIN)) {
        *why = LastErrorText();
        return false;
    }
    // The converter's bytes as it wrote them: past the C runtime's text mode.
    std::fflush(stream);
    HANDLE to = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    std::vector<char> chunk(65536);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            *why = LastErrorText();
            return false;
        }
        if (got == 0) {
            return true;
        }
        for (DWORD done = 0; done < got;) {
            DWORD put = 0;
            if (!WriteFile(to, chunk.data() + done, got - done, &put, nullptr) || put == 0) {
                *why = LastErrorText();
                return false;
            }
            done += put;
        }
    }
}
