// POSIX form of the tool: Ghostscript's console program is "gs", the
// separator is '/', and the converter is started directly, never through a
// shell, so nothing in a file name is interpreted.
#include "tool/host.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

const char kPathSeparator = '/';
const char* const kUsageText = "morvel [gs dir] [ps dir]";

namespace {

// Standard streams that were closed when morvel started: they now hold
// /dev/null for the converters' sake, but morvel's own output to them is
// still lost.
bool g_closedAtStart[3] = {false, false, false};

bool ClosedAtStart(std::FILE* stream) {
    int fd = fileno(stream);
    return fd >= 0 && fd < 3 && g_closedAtStart[fd];
}

} // namespace

bool EndsInSeparator(const std::string& directory) {
    return !directory.empty() && directory.back() == '/';
}

bool PrepareProcess(std::string* what, std::string* why) {
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // open() takes the lowest free descriptor, which is fd itself.
        int opened = open("/dev/null", O_RDWR);
        if (opened != fd) {
            *what = "/dev/null";
            *why = opened < 0 ? std::strerror(errno) : "opened on the wrong descriptor";
            if (opened >= 0) {
                close(opened);
            }
            return false;
        }
        g_closedAtStart[fd] = true;
    }
    // A caller that ignores SIGCHLD has the kernel reap every child, and no
    // converter's status could be learnt. The converter inherits the default.
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    if (sigaction(SIGCHLD, &dfl, nullptr) != 0) {
        *what = "SIGCHLD";
        *why = std::strerror(errno);
        return false;
    }
    return true;
}

bool WriteText(std::FILE* stream, const std::string& text, std::string* why) {
    if (ClosedAtStart(stream)) {
        if (why != nullptr) {
            *why = std::strerror(EBADF);
        }
        return false;
    }
    if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) {
        if (why != nullptr) {
            *why = std::strerror(errno);
        }
        return false;
    }
    return true;
}

bool FlushText(std::FILE* stream, std::string* why) {
    if (ClosedAtStart(stream)) {
        *why = std::strerror(EBADF);
        return false;
    }
    if (std::fflush(stream) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (std::ferror(stream)) {
        *why = "write failed";
        return false;
    }
    return true;
}

bool AbsoluteDirectory(const std::string& given, const std::string&, std::string* absolute,
                       std::string* why) {
    if (!given.empty() && given[0] == '/') {
        *absolute = given;
        return true;
    }
    std::vector<char> cwd(256);
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE) {
            *why = std::strerror(errno);
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
    *absolute = path;
    return true;
}

std::string LastErrorText() {
    return std::strerror(LastErrno());
}

std::string DeviceNameReason(const std::string&) {
    return std::string(); // every name is a file's name
}

FileStamp StampOf(const std::string& path) {
    FileStamp stamp{false, 0, 0, 0, 0};
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        stamp.exists = true;
        stamp.volume = static_cast<unsigned long long>(st.st_dev);
        stamp.file = static_cast<unsigned long long>(st.st_ino);
        stamp.size = static_cast<unsigned long long>(st.st_size);
        stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL +
                         static_cast<long long>(st.st_mtim.tv_nsec);
    }
    return stamp;
}

namespace {

// Where the converter is, as execvp looks for it, but with the Ghostscript
// directory (the current one by now) first: a converter there wins over one
// on PATH, as the Windows command interpreter looks in the current
// directory first. A candidate that exists but cannot be run lets the
// search go on and, when nothing better is found, gives the reason
// (EACCES); empty with *err set when there is nothing to run.
std::string FindConverter(const std::string& name, int* err) {
    std::vector<std::string> candidates = {"./" + name};
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::string::size_type pos = 0;
    for (;;) {
        std::string::size_type colon = dirs.find(':', pos);
        std::string dir =
            dirs.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        candidates.push_back((dir.empty() ? std::string(".") : dir) + "/" + name);
        if (colon == std::string::npos) {
            break;
        }
        pos = colon + 1;
    }
    bool denied = false;
    for (const std::string& candidate : candidates) {
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0) {
            if (S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
            denied = true; // a directory, or not executable
            continue;
        }
        switch (errno) {
        case EACCES:
            denied = true;
            break;
        case ENOENT:
        case ENOTDIR:
        case ESTALE:
        case ENODEV:
        case ETIMEDOUT:
            break;
        default:
            *err = errno; // as execvp, which stops at any other error
            return std::string();
        }
    }
    *err = denied ? EACCES : ENOENT;
    return std::string();
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
    int findError = 0;
    std::string program = FindConverter(name, &findError);
    if (program.empty()) {
        outcome.error = "cannot start " + name + ": " + std::strerror(findError);
        return outcome;
    }
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    // vfork: the parent waits until the child has called execve, and the
    // child touches nothing but these prepared values, so starting one
    // converter per file costs what a shell pays for it. The child reports a
    // failed execve through the shared variable. It keeps the signal
    // dispositions and mask morvel was started with: a caller that ignores
    // SIGINT for a background job means the converter too.
    volatile int execError = 0;
    pid_t pid = vfork();
    if (pid == 0) {
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
