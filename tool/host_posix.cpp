// POSIX form of the tool: Ghostscript's console program is "gs", the
// separator is '/', and the converter is started directly, never through a
// shell, so nothing in a file name is interpreted.
#include "tool/host.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

const char kPathSeparator = '/';
const char* const kConverterName = "gs";
const char* const kUsageText = "morvel [gs dir] [ps dir]";

void PrepareStandardStreams() {
    // POSIX streams never translate line ends.
}

bool IsAbsolutePath(const char* path) {
    return path != nullptr && path[0] == '/';
}

bool MeansTheSameIn(const char*, const char*) {
    return false; // only an absolute path does
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

// The Ghostscript directory is the current directory by now. A converter
// there wins over one on PATH, as the Windows command interpreter looks in
// the current directory first.
bool ConverterInCurrentDirectory() {
    struct stat st;
    return stat(kConverterName, &st) == 0 && S_ISREG(st.st_mode) &&
           access(kConverterName, X_OK) == 0;
}

std::string SignalText(int sig) {
    const char* name = strsignal(sig);
    return "signal " + std::to_string(sig) +
           (name != nullptr ? std::string(" (") + name + ")" : "");
}

} // namespace

ConverterOutcome RunConverter(const std::vector<std::string>& args, const std::string&) {
    ConverterOutcome outcome{false, false, 0, std::string()};

    bool local = ConverterInCurrentDirectory();
    std::string program = local ? std::string("./") + kConverterName : kConverterName;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kConverterName));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);

    // The converter gets the default disposition of the signals a caller may
    // have ignored for us, so it can be interrupted and see broken pipes.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    int rc = local ? posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ)
                   : posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        outcome.error = std::string("cannot start ") + kConverterName + ": " + std::strerror(rc);
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
