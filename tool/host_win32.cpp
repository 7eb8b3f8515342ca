// Windows form of the tool: Ghostscript's console program is gswin32c.exe
// (gswin64c.exe where only that one is installed), the separator is the
// backslash, and each command runs through the command interpreter, which
// finds the bare program name in the working directory (the Ghostscript
// directory) before it searches PATH.
#include "tool/host.h"

#include "tool/converter_command.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <io.h>

const char kPathSeparator = '\\';
const char* const kUsageText = "morvel [gswin32c dir] [ps dir]";
const char* const kConverterFile = "gswin32c";

namespace {

// cmd.exe refuses longer command lines and would run nothing.
const std::size_t kMaxCommandLine = 8191;

// What cmd.exe reports for a program ended by Ctrl+C or Ctrl+Break.
const unsigned kControlCExit = 0xC000013Au;

// cmd.exe's status when it cannot find the program it was asked to run.
const int kCommandNotFound = 9009;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Variables that cmd.exe expands without their being in the environment.
bool IsDynamicVariable(const std::string& name) {
    static const char* const kNames[] = {
        "CD",         "DATE",          "TIME",       "RANDOM",
        "ERRORLEVEL", "CMDEXTVERSION", "CMDCMDLINE", "HIGHESTNUMANODENUMBER",
    };
    for (const char* known : kNames) {
        if (lstrcmpiA(name.c_str(), known) == 0) {
            return true;
        }
    }
    return false;
}

// cmd.exe replaces %NAME% by the variable's value even inside quotes, and
// nothing in a command line can stop it there. Returns the first such name
// in command, or an empty string. Every pair of neighbouring '%' is looked
// at, which covers however the interpreter pairs them up.
std::string ExpandedVariable(const std::string& command) {
    std::string::size_type open = command.find('%');
    while (open != std::string::npos) {
        std::string::size_type close = command.find('%', open + 1);
        if (close == std::string::npos) {
            break;
        }
        std::string name = command.substr(open + 1, close - open - 1);
        // %NAME:~1,2% and %NAME:a=b% are forms of the same variable.
        name = name.substr(0, name.find(':'));
        if (!name.empty()) {
            SetLastError(ERROR_SUCCESS);
            DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
            bool defined = size != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
            if (defined || IsDynamicVariable(name)) {
                return name;
            }
        }
        open = close;
    }
    return std::string();
}

std::string StatusText(int status) {
    if (status < 0) {
        // NTSTATUS codes of crashed programs read best in hex.
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08lX",
                      static_cast<unsigned long>(static_cast<unsigned>(status)));
        return hex;
    }
    return std::to_string(status);
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

bool IsFile(const char* name) {
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result;
    if (n != 0 && text != nullptr) {
        result.assign(text, n);
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    if (result.empty()) {
        result = "system error " + std::to_string(code);
    }
    return result;
}

// Why a write to a stream failed: the system's reason where the C runtime
// left one, else its own.
std::string StreamErrorText() {
    DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? SystemErrorText(code) : std::string(std::strerror(errno));
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

bool PrepareProcess(std::string*, std::string*) {
    return true; // a Windows console program starts with what it needs
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
    int units =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (units <= 0) {
        if (why != nullptr) {
            *why = LastErrorText();
        }
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
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

std::string LastErrorText() {
    return SystemErrorText(GetLastError());
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
    int units =
        MultiByteToWideChar(CP_ACP, 0, stem.data(), static_cast<int>(stem.size()), nullptr, 0);
    if (units <= 0) {
        return std::string();
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, stem.data(), static_cast<int>(stem.size()), &wide[0], units);
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

FileStamp StampOf(const std::string& path) {
    FileStamp stamp{false, 0, 0, 0, 0};
    // No access asked for: only the file's identity, size and time are read.
    HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return stamp;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info)) {
        stamp.exists = true;
        stamp.volume = info.dwVolumeSerialNumber;
        stamp.file =
            (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        stamp.size =
            (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        stamp.modified = static_cast<long long>(
            (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
            info.ftLastWriteTime.dwLowDateTime);
    }
    CloseHandle(file);
    return stamp;
}

std::string ConverterProgram() {
    // Ghostscript's installer for 64-bit Windows ships only gswin64c.exe.
    // Without either, cmd.exe goes on to look on PATH for the usual name.
    if (!IsFile("gswin32c.exe") && IsFile("gswin64c.exe")) {
        return "gswin64c.exe";
    }
    return "gswin32c.exe";
}

ConverterOutcome RunConverter(const std::vector<std::string>& args) {
    ConverterOutcome outcome{false, false, 0, std::string()};
    const std::string commandLine = CommandText(args);
    if (commandLine.size() > kMaxCommandLine) {
        outcome.error = "command line of " + std::to_string(commandLine.size()) +
                        " characters is longer than the command interpreter accepts (" +
                        std::to_string(kMaxCommandLine) + "); not run";
        return outcome;
    }
    std::string variable = ExpandedVariable(commandLine);
    if (!variable.empty()) {
        outcome.error =
            "the command interpreter would replace %" + variable + "% in the command line; not run";
        return outcome;
    }
    errno = 0;
    int rc = std::system(commandLine.c_str());
    if (rc == -1) {
        outcome.error =
            std::string("cannot start the command interpreter: ") + std::strerror(errno);
        return outcome;
    }
    if (rc == 0) {
        outcome.ok = true;
        return outcome;
    }
    unsigned code = static_cast<unsigned>(rc);
    if (code == kControlCExit) {
        outcome.error = "converter interrupted (Ctrl+C)";
        outcome.stopRun = true;
        // The same status as an interrupted run on POSIX.
        outcome.stopStatus = 128 + SIGINT;
        return outcome;
    }
    outcome.error = "converter exited with status " + StatusText(rc);
    if (rc == kCommandNotFound) {
        outcome.error += " (the command interpreter did not find " + args.front() + ")";
    }
    return outcome;
}
