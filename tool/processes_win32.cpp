// Windows form of running converters: Ghostscript's console program is
// gswin32c.exe (gswin64c.exe where only that one is installed), and each
// command runs through the command interpreter, which finds the bare program
// name in the working directory (the Ghostscript directory) before it
// searches PATH.
#include "tool/processes.h"

#include "tool/converter_command.h"
#include "tool/system_error.h"
#include "tool/win32_support.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const kUsageText = "morvel [gswin32c dir] [ps dir]";
const char* const kConverterFile = "gswin32c";

namespace {

// cmd.exe refuses longer command lines and would run nothing.
const std::size_t kMaxCommandLine = 8191;

// What cmd.exe reports for a program ended by Ctrl+C or Ctrl+Break.
const unsigned kControlCExit = 0xC000013Au;

// cmd.exe's status when it cannot find the program it was asked to run.
const int kCommandNotFound = 9009;

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

bool IsFile(const char* name) {
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

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

bool PrepareSignals(std::string*, std::string*) {
    SetConsoleCtrlHandler(OnConsoleStop, TRUE);
    return true;
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
