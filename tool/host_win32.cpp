// Windows form of the tool: Ghostscript's console program is gswin32c.exe
// (gswin64c.exe where only that one is installed), the separator is the
// backslash, and each command runs through the command interpreter, which
// finds the bare program name in the working directory (the Ghostscript
// directory) before it searches PATH.
#include "tool/host.h"

#include "tool/converter_command.h"
#include "tool/win32_support.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
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

namespace {

// Ctrl+C, Ctrl+Break or the console closing: every program on the console
// gets it, the converters included. morvel itself stays to collect them and
// write what they left, and then stops.
volatile LONG g_stopEvent = 0;

BOOL WINAPI OnConsoleStop(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        InterlockedExchange(&g_stopEvent, 1);
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool PrepareProcess(std::string*, std::string*) {
    SetConsoleCtrlHandler(OnConsoleStop, TRUE);
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

FileStamp StampOf(const std::string& path) {
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
        stamp.size =
            (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        stamp.modified = static_cast<long long>(
            (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
            info.ftLastWriteTime.dwLowDateTime);
    } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        stamp.error = SystemErrorText(error);
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

// The directory's change notifications, read without waiting once the
// converter has ended: a write to the name shows there even where the
// stamps cannot tell (FAT keeps times to 2 seconds).
struct WriteWatch {
    HANDLE dir = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped;
    std::vector<DWORD> buffer; // DWORD-aligned, as the records must be
    std::wstring leaf;         // folded
};

namespace {

const DWORD kWatchFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

bool WatchNext(WriteWatch* watch) {
    std::memset(&watch->overlapped, 0, sizeof watch->overlapped);
    watch->overlapped.hEvent = watch->event;
    ResetEvent(watch->event);
    return ReadDirectoryChangesW(watch->dir, watch->buffer.data(),
                                 static_cast<DWORD>(watch->buffer.size() * sizeof(DWORD)), FALSE,
                                 kWatchFilter, nullptr, &watch->overlapped, nullptr) != FALSE;
}

void CloseWatch(WriteWatch* watch) {
    if (watch->event != nullptr) {
        CloseHandle(watch->event);
    }
    if (watch->dir != INVALID_HANDLE_VALUE) {
        CloseHandle(watch->dir);
    }
    delete watch;
}

} // namespace

WriteWatch* StartWriteWatch(const std::string&, const FileStamp& stamp) {
    if (!stamp.located) {
        return nullptr;
    }
    WriteWatch* watch = new WriteWatch;
    watch->buffer.resize(16384);
    watch->leaf = Wide(stamp.leaf, CP_UTF8);
    watch->dir =
        CreateFileW(Wide(stamp.directory).c_str(), FILE_LIST_DIRECTORY,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    watch->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (watch->dir == INVALID_HANDLE_VALUE || watch->event == nullptr || watch->leaf.empty() ||
        !WatchNext(watch)) {
        CloseWatch(watch);
        return nullptr;
    }
    return watch;
}

int EndWriteWatch(WriteWatch* watch) {
    if (watch == nullptr) {
        return -1;
    }
    bool seen = false, lost = false, pending = true;
    // What came in while the converter ran: each batch read, and the next
    // asked for, until none is waiting.
    for (int batches = 0; !seen && batches < 64; ++batches) {
        if (WaitForSingleObject(watch->event, batches == 0 ? 0 : 50) != WAIT_OBJECT_0) {
            break;
        }
        DWORD bytes = 0;
        pending = false;
        if (!GetOverlappedResult(watch->dir, &watch->overlapped, &bytes, FALSE)) {
            lost = true;
            break;
        }
        if (bytes == 0) {
            lost = true; // more changes than the buffer held
        }
        const char* at = reinterpret_cast<const char*>(watch->buffer.data());
        for (DWORD offset = 0; bytes > 0 && offset < bytes;) {
            const FILE_NOTIFY_INFORMATION* info =
                reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at + offset);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(WCHAR));
            seen = seen || Folded(name) == watch->leaf;
            if (info->NextEntryOffset == 0) {
                break;
            }
            offset += info->NextEntryOffset;
        }
        pending = !seen && WatchNext(watch);
        if (!pending) {
            break;
        }
    }
    if (pending) {
        // The request must be over before its buffer goes.
        DWORD bytes = 0;
        CancelIo(watch->dir);
        GetOverlappedResult(watch->dir, &watch->overlapped, &bytes, TRUE);
    }
    CloseWatch(watch);
    return seen ? 1 : (lost ? -1 : 0);
}

std::size_t MaxJobs() {
    return MAXIMUM_WAIT_OBJECTS; // the converters one wait can take
}

int StopSignal() {
    return g_stopEvent != 0 ? SIGINT : 0;
}

void EndBySignal(int) {
    // Windows has no signal to end by: the caller's status says it (130).
}

std::string ConverterProgram() {
    // Ghostscript's installer for 64-bit Windows ships only gswin64c.exe.
    // Without either, cmd.exe goes on to look on PATH for the usual name.
    if (!IsFile("gswin32c.exe") && IsFile("gswin64c.exe")) {
        return "gswin64c.exe";
    }
    return "gswin32c.exe";
}

namespace {

// Why the command line must not reach the command interpreter, or "".
std::string CommandRefusal(const std::string& commandLine) {
    if (commandLine.size() > kMaxCommandLine) {
        return "command line of " + std::to_string(commandLine.size()) +
               " characters is longer than the command interpreter accepts (" +
               std::to_string(kMaxCommandLine) + "); not run";
    }
    std::string variable = ExpandedVariable(commandLine);
    if (!variable.empty()) {
        return "the command interpreter would replace %" + variable +
               "% in the command line; not run";
    }
    return std::string();
}

ConverterOutcome ExitOutcome(unsigned code, const std::string& program) {
    ConverterOutcome outcome;
    if (code == 0) {
        outcome.ok = true;
    } else if (code == kControlCExit) {
        outcome.error = "converter interrupted (Ctrl+C)";
        outcome.stopRun = true;
        // The same status as an interrupted run on POSIX.
        outcome.stopStatus = 128 + SIGINT;
    } else {
        outcome.error = "converter exited with status " + StatusText(static_cast<int>(code));
        if (code == kCommandNotFound) {
            outcome.error += " (the command interpreter did not find " + program + ")";
        }
    }
    return outcome;
}

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

// The command line through the command interpreter, as system() runs it,
// with its output on the two files; false with why in outcome.
bool StartCaptured(const std::string& commandLine, ConverterProcess* process) {
    HANDLE out = AsHandle(process->out);
    HANDLE err = AsHandle(process->err);
    DWORD size = GetEnvironmentVariableW(L"COMSPEC", nullptr, 0);
    std::wstring comspec(size, L'\0');
    DWORD got = size != 0 ? GetEnvironmentVariableW(L"COMSPEC", &comspec[0], size) : 0;
    comspec.resize(got != 0 && got < size ? got : 0);
    std::wstring command =
        (comspec.empty() ? std::wstring(L"cmd.exe") : comspec) + L" /c " + Wide(commandLine);

    STARTUPINFOW start;
    std::memset(&start, 0, sizeof start);
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = out;
    start.hStdError = err;
    PROCESS_INFORMATION info;
    // Only this converter's files are inherited: one converter starts at a
    // time, and its files stop being inheritable once it has them.
    SetHandleInformation(out, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetHandleInformation(err, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    BOOL started = CreateProcessW(comspec.empty() ? nullptr : comspec.c_str(), &command[0], nullptr,
                                  nullptr, TRUE, 0, nullptr, nullptr, &start, &info);
    DWORD error = GetLastError();
    SetHandleInformation(out, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err, HANDLE_FLAG_INHERIT, 0);
    if (!started) {
        process->outcome.error = "cannot start the command interpreter: " + SystemErrorText(error);
        return false;
    }
    CloseHandle(info.hThread);
    process->id = AsId(info.hProcess);
    return true;
}

} // namespace

long long CreateCaptureFile(std::string* why) {
    HANDLE file = TemporaryFile(why);
    return file == INVALID_HANDLE_VALUE ? -1 : AsId(file);
}

void CloseCaptureFile(long long file) {
    CloseHandle(AsHandle(file));
}

bool StartConverter(const std::vector<std::string>& args, bool capture, ConverterProcess* process) {
    process->id = 0;
    process->outcome = ConverterOutcome();
    const std::string commandLine = CommandText(args);
    process->outcome.error = CommandRefusal(commandLine);
    if (!process->outcome.error.empty()) {
        return false;
    }
    if (capture) {
        return StartCaptured(commandLine, process);
    }
    // One at a time: the interpreter on morvel's own console, as ever.
    errno = 0;
    int rc = std::system(commandLine.c_str());
    if (rc == -1) {
        process->outcome.error =
            std::string("cannot start the command interpreter: ") + std::strerror(errno);
        return false;
    }
    process->outcome = ExitOutcome(static_cast<unsigned>(rc), args.front());
    return true;
}

std::size_t CollectConverter(const std::vector<ConverterProcess*>& running, bool wait) {
    std::vector<HANDLE> handles;
    for (const ConverterProcess* process : running) {
        handles.push_back(AsHandle(process->id));
    }
    DWORD count = static_cast<DWORD>(handles.size());
    DWORD which = WaitForMultipleObjects(count, handles.data(), FALSE, wait ? INFINITE : 0);
    if (which == WAIT_TIMEOUT) {
        return running.size();
    }
    std::size_t index = which < WAIT_OBJECT_0 + count ? which - WAIT_OBJECT_0 : 0;
    ConverterProcess* ended = running[index];
    DWORD code = 0;
    if (which >= WAIT_OBJECT_0 + count || !GetExitCodeProcess(handles[index], &code)) {
        ended->outcome = ConverterOutcome();
        ended->outcome.error = "lost the converter: " + LastErrorText();
    } else {
        ended->outcome = ExitOutcome(code, "the converter");
    }
    CloseHandle(handles[index]);
    ended->id = 0;
    return index;
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
