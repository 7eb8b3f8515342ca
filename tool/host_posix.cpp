// POSIX form of the tool: Ghostscript's console program is "gs", the
// separator is '/', and the converter is started directly, never through a
// shell, so nothing in a file name is interpreted.
#include "tool/host.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <map>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

extern char** environ;

const char kPathSeparator = '/';
const char* const kUsageText = "morvel [gs dir] [ps dir]";
const char* const kConverterFile = "gs";

namespace {

// Standard streams that were closed when morvel started: they now hold
// /dev/null for the converters' sake, but morvel's own output to them is
// still lost.
bool g_closedAtStart[3] = {false, false, false};

bool ClosedAtStart(std::FILE* stream) {
    int fd = fileno(stream);
    return fd >= 0 && fd < 3 && g_closedAtStart[fd];
}

// A stop asked of morvel is passed on to every converter running, at once,
// from the handler: the pids below change only while the stop signals are
// blocked, so the handler never sees them half changed.
const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t g_stopSignal = 0;
std::vector<pid_t> g_running;
sigset_t g_caught;    // the stop signals morvel catches
sigset_t g_startMask; // the mask morvel was started with

void OnStopSignal(int sig) {
    int saved = errno;
    if (g_stopSignal == 0) {
        g_stopSignal = sig;
    }
    for (pid_t pid : g_running) {
        kill(pid, sig);
    }
    errno = saved;
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
    // The mask converters start with: the one morvel was given.
    sigprocmask(SIG_BLOCK, nullptr, &g_startMask);
    sigemptyset(&g_caught);
    for (int sig : kStopSignals) {
        struct sigaction old;
        if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) {
            continue; // the caller's choice: ignored here and in the converter
        }
        sigaddset(&g_caught, sig);
    }
    struct sigaction stop;
    std::memset(&stop, 0, sizeof stop);
    stop.sa_handler = OnStopSignal;
    stop.sa_mask = g_caught;
    for (int sig : kStopSignals) {
        if (sigismember(&g_caught, sig) && sigaction(sig, &stop, nullptr) != 0) {
            *what = strsignal(sig);
            *why = std::strerror(errno);
            return false;
        }
    }
    return true;
}

int StopSignal() {
    return g_stopSignal;
}

void EndBySignal(int sig) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::signal(sig, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(sig);
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

namespace {

std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    return "not a regular file";
}

// The directory part of an absolute or relative path, and the name after it.
void SplitPath(const std::string& path, std::string* dir, std::string* leaf) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        *dir = ".";
        *leaf = path;
    } else {
        *dir = slash == 0 ? "/" : path.substr(0, slash);
        *leaf = path.substr(slash + 1);
    }
}

} // namespace

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        stamp.exists = true;
        stamp.regular = S_ISREG(st.st_mode);
        if (!stamp.regular) {
            stamp.kind = KindOf(st.st_mode);
        }
        stamp.volume = static_cast<unsigned long long>(st.st_dev);
        stamp.file = static_cast<unsigned long long>(st.st_ino);
        stamp.size = static_cast<unsigned long long>(st.st_size);
        stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL +
                         static_cast<long long>(st.st_mtim.tv_nsec);
    } else if (errno != ENOENT) {
        stamp.error = std::strerror(errno);
    }
    // Where a writer ends up: symbolic links followed one by one, as the
    // kernel does, down to a name that is not a link (a dangling link's
    // target is created there).
    std::string at = path;
    std::string dir, leaf;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link;
        if (lstat(at.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            break;
        }
        std::vector<char> target(static_cast<std::size_t>(link.st_size) + 2);
        ssize_t n = readlink(at.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) {
            break;
        }
        std::string next(target.data(), static_cast<std::size_t>(n));
        SplitPath(at, &dir, &leaf);
        at = !next.empty() && next[0] == '/' ? next : dir + "/" + next;
    }
    SplitPath(at, &dir, &leaf);
    struct stat where;
    if (!leaf.empty() && stat(dir.c_str(), &where) == 0) {
        stamp.located = true;
        stamp.dirVolume = static_cast<unsigned long long>(where.st_dev);
        stamp.dirFile = static_cast<unsigned long long>(where.st_ino);
        stamp.directory = dir;
        stamp.leaf = leaf;
    }
    return stamp;
}

#ifdef __linux__
// inotify: the file itself when it exists (writes through any of its
// names), and its directory for the name a writer creates or replaces. One
// instance for the whole run, shared by the watches of converters running
// side by side: closing an instance waits for the kernel's grace period,
// which would cost each file milliseconds.
struct WriteWatch {
    int fileWatch = -1;
    int dirWatch = -1;
    std::string leaf;
    bool seen = false;
    bool lost = false;
};

namespace {

struct Watches {
    int fd = -1;
    std::vector<WriteWatch*> active;
    std::map<int, int> users; // a file's watch descriptor: how many watches use it
};
Watches g_watches;

// Hands every event that has come in to the watches it concerns.
void DrainWatches() {
    // Aligned for the event records the kernel puts there.
    std::vector<inotify_event> buffer(4096 / sizeof(inotify_event) + 1);
    char* bytes = reinterpret_cast<char*>(buffer.data());
    const std::size_t size = buffer.size() * sizeof(inotify_event);
    for (;;) {
        ssize_t n = read(g_watches.fd, bytes, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return; // EAGAIN: every event is read
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(bytes + at);
            for (WriteWatch* watch : g_watches.active) {
                if ((event->mask & IN_Q_OVERFLOW) != 0) {
                    watch->lost = true;
                } else if (event->wd == watch->fileWatch ||
                           (event->wd == watch->dirWatch && event->len > 0 &&
                            watch->leaf == event->name)) {
                    watch->seen = true;
                }
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

int AddWatch(const std::string& path, std::uint32_t mask) {
    int wd = inotify_add_watch(g_watches.fd, path.c_str(), mask | IN_MASK_ADD);
    if (wd >= 0) {
        ++g_watches.users[wd];
    }
    return wd;
}

void DropWatch(int wd) {
    if (wd >= 0 && --g_watches.users[wd] == 0) {
        g_watches.users.erase(wd);
        inotify_rm_watch(g_watches.fd, wd);
    }
}

} // namespace

WriteWatch* StartWriteWatch(const std::string& path, const FileStamp& stamp) {
    if (g_watches.fd < 0) {
        g_watches.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (g_watches.fd < 0) {
            return nullptr;
        }
    }
    DrainWatches(); // what came before belongs to the watches before
    WriteWatch* watch = new WriteWatch;
    if (stamp.exists) {
        watch->fileWatch = AddWatch(path, IN_MODIFY);
    }
    if (stamp.located) {
        watch->dirWatch =
            inotify_add_watch(g_watches.fd, stamp.directory.c_str(),
                              IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_ONLYDIR | IN_MASK_ADD);
        watch->leaf = stamp.leaf;
    }
    if (watch->fileWatch < 0 && watch->dirWatch < 0) {
        delete watch;
        return nullptr;
    }
    g_watches.active.push_back(watch);
    return watch;
}

int EndWriteWatch(WriteWatch* watch) {
    if (watch == nullptr) {
        return -1;
    }
    DrainWatches();
    for (std::size_t i = 0; i < g_watches.active.size(); ++i) {
        if (g_watches.active[i] == watch) {
            g_watches.active.erase(g_watches.active.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    // The directory's watch stays for the next file: adding or removing a
    // watch on a directory visits every entry the kernel has cached for it.
    DropWatch(watch->fileWatch);
    int result = watch->seen ? 1 : (watch->lost ? -1 : 0);
    delete watch;
    return result;
}
#else
struct WriteWatch {};
WriteWatch* StartWriteWatch(const std::string&, const FileStamp&) {
    return nullptr; // no portable way: the stamps decide
}
int EndWriteWatch(WriteWatch*) {
    return -1;
}
#endif

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

std::size_t MaxJobs() {
    // Each converter that runs beside others holds two temporary files and
    // a watch, and twice as many files wait for their turn.
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 1024;
    }
    rlim_t room = limit.rlim_cur > 16 ? (limit.rlim_cur - 16) / 5 : 1;
    return room < 1 ? 1 : (room > 1024 ? 1024 : static_cast<std::size_t>(room));
}

// A fresh file that no name leads to, closed on exec: in TMPDIR, or in /tmp
// when that is not set or cannot take one.
long long CreateCaptureFile(std::string* why) {
    const char* env = std::getenv("TMPDIR");
    std::vector<std::string> dirs;
    if (env != nullptr && *env != '\0') {
        dirs.push_back(env);
    }
    dirs.push_back("/tmp");
    for (const std::string& dir : dirs) {
        int fd = -1;
#ifdef O_TMPFILE
        fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0) {
            return fd;
        }
#endif
        std::string name = dir + "/morvel-XXXXXX";
        fd = mkostemp(&name[0], O_CLOEXEC);
        if (fd >= 0) {
            unlink(name.c_str());
            return fd;
        }
        if (why->empty()) {
            *why = "cannot create a temporary file in " + dir + ": " + std::strerror(errno);
        }
    }
    return -1;
}

void CloseCaptureFile(long long file) {
    close(static_cast<int>(file));
}

namespace {

ConverterOutcome OutcomeOf(int status) {
    ConverterOutcome outcome;
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

// Runs with the stop signals blocked, so the handler sees the list whole.
void Forget(pid_t pid) {
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &g_caught, &previous);
    for (std::size_t i = 0; i < g_running.size(); ++i) {
        if (g_running[i] == pid) {
            g_running.erase(g_running.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace

bool StartConverter(const std::vector<std::string>& args, bool capture, ConverterProcess* process) {
    process->id = 0;
    process->outcome = ConverterOutcome();
    ConverterOutcome& outcome = process->outcome;
    const std::string& name = args.front();
    int findError = 0;
    std::string program = FindConverter(name, &findError);
    if (program.empty()) {
        outcome.error = "cannot start " + name + ": " + std::strerror(findError);
        return false;
    }
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);

    // vfork: the parent waits until the child has called execve, and the
    // child touches nothing but these prepared values, so starting one
    // converter per file costs what a shell pays for it (posix_spawn resets
    // every signal in the child, one call each). The child shares morvel's
    // memory but not its signal handlers: it sets the stop signals morvel
    // catches back to their default before it takes morvel's starting mask,
    // so no handler of morvel's runs in it; every other disposition is as
    // morvel was given it. A failed execve comes back through execError.
    int outFd = static_cast<int>(process->out), errFd = static_cast<int>(process->err);
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    // Blocked from the start until the pid is on the list: a stop that
    // comes meanwhile reaches this converter too.
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &g_caught, &previous);
    volatile int execError = 0;
    pid_t pid = vfork();
    if (pid == 0) {
        for (int sig : kStopSignals) {
            if (sigismember(&g_caught, sig)) {
                sigaction(sig, &dfl, nullptr);
            }
        }
        sigprocmask(SIG_SETMASK, &g_startMask, nullptr);
        if (capture && (dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0)) {
            execError = errno;
            _exit(127);
        }
        execve(program.c_str(), argv.data(), environ);
        execError = errno;
        _exit(127);
    }
    int spawnError = pid < 0 ? errno : execError;
    if (pid > 0 && execError != 0) {
        // It never ran: collect it here.
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    } else if (pid > 0) {
        g_running.push_back(pid);
        if (g_stopSignal != 0) {
            kill(pid, g_stopSignal);
        }
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (spawnError != 0) {
        outcome.error = "cannot start " + name + ": " + std::strerror(spawnError);
        return false;
    }
    process->id = pid;
    return true;
}

std::size_t CollectConverter(const std::vector<ConverterProcess*>& running, bool wait) {
    for (;;) {
        int status = 0;
        pid_t pid = waitpid(-1, &status, wait ? 0 : WNOHANG);
        if (pid == 0) {
            return running.size();
        }
        if (pid < 0 && errno == EINTR) {
            continue; // a stop signal, already passed on: wait on
        }
        std::size_t index = 0;
        if (pid < 0) {
            // None of them can be waited for any more: the first is lost.
            ConverterProcess* lost = running.front();
            lost->outcome = ConverterOutcome();
            lost->outcome.error = std::string("lost the converter: ") + std::strerror(errno);
            Forget(static_cast<pid_t>(lost->id));
            lost->id = 0;
            return 0;
        }
        while (index < running.size() && running[index]->id != pid) {
            ++index;
        }
        if (index == running.size()) {
            continue; // not one of these
        }
        Forget(pid);
        running[index]->outcome = OutcomeOf(status);
        running[index]->id = 0;
        return index;
    }
}

bool CopyCaptured(long long file, std::FILE* stream, std::string* why) {
    int fd = static_cast<int>(file);
    if (lseek(fd, 0, SEEK_SET) < 0) {
        *why = std::strerror(errno);
        return false;
    }
    std::vector<char> chunk(65536);
    for (;;) {
        ssize_t n = read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            *why = std::strerror(errno);
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteText(stream, std::string(chunk.data(), static_cast<std::size_t>(n)), why)) {
            return false;
        }
    }
}
