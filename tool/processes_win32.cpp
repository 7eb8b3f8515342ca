// Windows form of running converters: Ghostscript's console program is
// gswin32c.exe (gswin64c.exe where only that one is installed), and each
// command runs through the command interpreter, which finds the bare program
// name in the working directory (the Ghostscript directory) before it
// searches PATH.
#include "tool/processes.h"

#include "tool/converter_command.h"
#include "tool/deadlines.h"
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

// The status morvel gives a converter's tree that it ends for the time
// limit; the outcome says why, whatever the number.
const unsigned kTimedOutExit = 1;

// Exit codes from here up are NTSTATUS errors: the process crashed or was
// ended from outside.
const unsigned kFirstErrorStatus = 0xC0000000u;

// cmd.exe's status when it cannot find the program it was asked to run.
const int kCommandNotFound = 9009;

// Variables that cmd.exe expands without their being in the environment.
// name is cut at its first ':', so the per-drive "=C:" arrives as "=C".
bool IsDynamicVariable(const std::string& name) {
    static const char* const kNames[] = {
        "CD",         "DATE",          "TIME",       "RANDOM",
        "ERRORLEVEL", "CMDEXTVERSION", "CMDCMDLINE", "HIGHESTNUMANODENUMBER",
        "__CD__",     "__APPDIR__",    "=ExitCode",  "=ExitCodeAscii",
    };
    for (const char* known : kNames) {
        if (lstrcmpiA(name.c_str(), known) == 0) {
            return true;
        }
    }
    const char drive = name.size() == 2 && name[0] == '=' ? name[1] : '\0';
    return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
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
                // The per-drive "=C:" is named whole.
                return name.size() == 2 && name[0] == '=' ? name + ":" : name;
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
std::string CommandLineRefusal(const std::string& commandLine) {
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
    outcome.signaled = code >= kFirstErrorStatus;
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

// A job object that ends every process in it when its last handle closes, so
// that no converter outlives morvel; nullptr when the system gives none.
HANDLE NewJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    std::memset(&limits, 0, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job != nullptr &&
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        job = nullptr;
    }
    return job;
}

// Ends the converter's whole tree: the command interpreter runs the
// converter as its own child, which ending cmd.exe alone would leave running.
void EndTree(ConverterProcess* process, unsigned code) {
    if (process->job == 0 || !TerminateJobObject(AsHandle(process->job), code)) {
        TerminateProcess(AsHandle(process->id), code);
    }
}

void EndForTimeLimit(ConverterProcess* process, bool) {
    EndTree(process, kTimedOutExit);
}

// The command line through the command interpreter, as system() runs it.
// Captured, its output goes to the files (one for both streams when err is
// -1); otherwise to morvel's own streams. With a time limit it runs in a job
// object of its own, so that its whole tree can be ended. False with why in
// outcome.
bool StartCommand(const std::string& commandLine, bool capture, bool limited,
                  ConverterProcess* process) {
    HANDLE out = capture ? AsHandle(process->out) : GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = !capture             ? GetStdHandle(STD_ERROR_HANDLE)
                 : process->err == -1 ? out
                                      : AsHandle(process->err);
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
    // time, and its files stop being inheritable once it has them. morvel's
    // own streams get their flags back.
    DWORD outFlags = 0, errFlags = 0;
    GetHandleInformation(out, &outFlags);
    GetHandleInformation(err, &errFlags);
    SetHandleInformation(out, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetHandleInformation(err, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    // Suspended until it is in its job, so nothing it starts escapes.
    HANDLE job = limited ? NewJob() : nullptr;
    BOOL started = CreateProcessW(comspec.empty() ? nullptr : comspec.c_str(), &command[0], nullptr,
                                  nullptr, TRUE, job != nullptr ? CREATE_SUSPENDED : 0, nullptr,
                                  nullptr, &start, &info);
    DWORD error = GetLastError();
    SetHandleInformation(out, HANDLE_FLAG_INHERIT, capture ? 0 : outFlags & HANDLE_FLAG_INHERIT);
    SetHandleInformation(err, HANDLE_FLAG_INHERIT, capture ? 0 : errFlags & HANDLE_FLAG_INHERIT);
    if (!started) {
        if (job != nullptr) {
            CloseHandle(job);
        }
        process->outcome.error = "cannot start the command interpreter: " + SystemErrorText(error);
        return false;
    }
    if (job != nullptr && !AssignProcessToJobObject(job, info.hProcess)) {
        CloseHandle(job); // ended alone, then: the converter itself may stay
        job = nullptr;
    }
    process->job = AsId(job);
    if (job != nullptr) {
        ResumeThread(info.hThread);
    }
    CloseHandle(info.hThread);
    process->id = AsId(info.hProcess);
    return true;
}

} // namespace

std::string CommandRefusal(const std::vector<std::string>& args) {
    return CommandLineRefusal(CommandText(args));
}

bool StartConverter(const std::vector<std::string>& args, bool capture, double timeout,
                    ConverterProcess* process) {
    process->id = 0;
    process->job = 0;
    process->stopStage = 0;
    process->passedOn = false;
    process->deadline = timeout > 0 ? DeadlineAfter(timeout) : 0;
    process->outcome = ConverterOutcome();
    const std::string commandLine = CommandText(args);
    process->outcome.error = CommandLineRefusal(commandLine);
    if (!process->outcome.error.empty()) {
        return false;
    }
    // system() cannot be stopped: a time limit needs the process itself.
    if (capture || timeout > 0) {
        return StartCommand(commandLine, capture, timeout > 0, process);
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
    DWORD which = WAIT_TIMEOUT;
    for (;;) {
        const long long next = ActOnDeadlines(running, 0, EndForTimeLimit);
        const DWORD limit = !wait ? 0 : next < 0 ? INFINITE : static_cast<DWORD>(next);
        which = WaitForMultipleObjects(count, handles.data(), FALSE, limit);
        if (which != WAIT_TIMEOUT || !wait) {
            break;
        }
    }
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
    if (ended->stopStage > 0) {
        // The time limit's own stop: this file failed, the run goes on.
        ended->outcome.timedOut = ended->outcome.signaled = true;
        ended->outcome.ok = ended->outcome.stopRun = false;
    }
    // The run ends by the stop that reached the first one, not by this.
    ended->outcome.stopRun = ended->outcome.stopRun && !ended->passedOn;
    CloseHandle(handles[index]);
    if (ended->job != 0) {
        CloseHandle(AsHandle(ended->job));
    }
    ended->id = ended->job = ended->deadline = 0;
    return index;
}

void PassStopOn(const std::vector<ConverterProcess*>& running, int) {
    // Ctrl+C reaches every program on the console, converters included;
    // those in a job of their own, or started elsewhere, are ended as if
    // it had reached them.
    for (ConverterProcess* process : running) {
        if (process->id != 0) {
            process->passedOn = true;
            EndTree(process, kControlCExit);
        }
    }
}
