// POSIX form of the tool: Ghostscript's console program is "gs", the
// separator is '/', and the converter is started directly, never through a
// shell, so nothing in a file name is interpreted.
#include "tool/host.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

const char kPathSeparator = '/';
const char* const kUsageText = "morvel [gs dir] [ps dir]";

bool WriteText(std::FILE* stream, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

bool AbsoluteDirectory(const std::string& given, const std::string&, std::string* absolute,
                       DWORD* error) {
    if (!given.empty() && given[0] == '/') {
        *absolute = given;
        return true;
    }
    std::vector<char> cwd(256);
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE) {
            *error = Win32ErrorFromErrno(errno);
            return false;
        }
        cwd.resize(cwd.size() * 2);
    }
    // Only empty and "." components go: ".." after a symbolic link means the
    // link's parent, which only the kernel knows, so it stays for the kernel.
    std::string path = cwd.data();
    std::string::size_type pos = 0;
    while (pos < given.size()) {
        std::string::size_type end = given.find('/', pos);
        if (end == std::string::npos) {
            end = given.size();
        }
        std::string component = given.substr(pos, end - pos);
        if (!component.empty() && component != ".") {
            if (path.back() != '/') {
                path += '/';
            }
            path += component;
        }
        pos = end + 1;
    }
    // A trailing separator stays, as it does in an absolute argument.
    if (given.back() == '/' && path.back() != '/') {
        path += '/';
    }
    *absolute = path;
    return true;
}

std::string SystemErrorText(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return "No such file or directory";
    case ERROR_PATH_NOT_FOUND:
        return "No such directory";
    case ERROR_ACCESS_DENIED:
        return "Permission denied";
    case ERROR_DIRECTORY:
        return "Not a directory";
    case ERROR_FILENAME_EXCED_RANGE:
        return "File name too long";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return "Out of memory";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "Too many open files";
    case ERROR_INVALID_NAME:
        return "Invalid name";
    default:
        return "System error " + std::to_string(code);
    }
}

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The Ghostscript directory is the current directory by now. A converter
// there wins over one on PATH, as the Windows command interpreter looks in
// the current directory first. Empty when there is none.
std::string FindConverter(const std::string& name) {
    std::string local = "./" + name;
    if (IsExecutableFile(local)) {
        return local;
    }
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::string::size_type pos = 0;
    for (;;) {
        std::string::size_type colon = dirs.find(':', pos);
        std::string dir =
            dirs.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
        if (colon == std::string::npos) {
            return std::string();
        }
        pos = colon + 1;
    }
}

// Signals a caller may have set to be ignored for us; the converter gets
// their default disposition back so it can be interrupted and see broken
// pipes. Looked up once: morvel itself never changes them.
const std::vector<int>& IgnoredSignals() {
    static const std::vector<int> ignored = [] {
        std::vector<int> found;
        for (int sig : {SIGPIPE, SIGINT, SIGTERM}) {
            struct sigaction current;
            if (sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
                found.push_back(sig);
            }
        }
        return found;
    }();
    return ignored;
}

std::string SignalText(int sig) {
    const char* name = strsignal(sig);
    return "signal " + std::to_string(sig) +
           (name != nullptr ? std::string(" (") + name + ")" : "");
}

} // namespace

std::string ConverterProgram() {
    return "gs";
}

ConverterOutcome RunConverter(const std::vector<std::string>& args) {
    ConverterOutcome outcome{false, false, 0, std::string()};

    const std::string& name = args.front();
    std::string program = FindConverter(name);
    if (program.empty()) {
        outcome.error = "cannot start " + name + ": " + std::strerror(ENOENT);
        return outcome;
    }
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const std::vector<int>& reset = IgnoredSignals();
    struct sigaction defaults;
    std::memset(&defaults, 0, sizeof defaults);
    defaults.sa_handler = SIG_DFL;

    // vfork: the parent waits until the child has called execve, and the
    // child touches nothing but these prepared values, so starting one
    // converter per file costs what a shell pays for it. The child reports a
    // failed execve through the shared variable.
    volatile int execError = 0;
    pid_t pid = vfork();
    if (pid == 0) {
        for (int sig : reset) {
            sigaction(sig, &defaults, nullptr);
        }
        execve(program.c_str(), argv.data(), environ);
        execError = errno;
        _exit(127);
    }
    if (pid < 0) {
        outcome.error = "cannot start " + name + ": " + std::strerror(errno);
        return outcome;
    }

    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0) {
        outcome.error = std::string("lost the converter: ") + std::strerror(errno);
        return outcome;
    }
    if (execError != 0) {
        outcome.error = "cannot start " + name + ": " + std::strerror(execError);
        return outcome;
    }
    if (WIFEXITED(status)) {
        int code = WEXITSTATUS(status);
        if (code == 0) {
            outcome.ok = true;
        } else {
            outcome.error = "converter exited with status " + std::to_string(code);
        }
    } else if (WIFSIGNALED(status)) {
        int sig = WTERMSIG(status);
        outcome.error = "converter killed by " + SignalText(sig);
        if (sig == SIGINT || sig == SIGTERM) {
            outcome.stopRun = true;
            outcome.stopStatus = 128 + sig;
        }
    } else {
        outcome.error = "converter ended abnormally";
    }
    return outcome;
}
