// POSIX form of running converters: Ghostscript's console program is "gs",
// and the converter is started directly, never through a shell, so nothing
// in a file name is interpreted.
#include "tool/processes.h"

#include "tool/converter_search_posix.h"
#include "tool/deadlines.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

const char* const kUsageText = "morvel [gs dir] [ps dir]";
const char* const kConverterFile = "gs";

namespace {

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

bool PrepareSignals(std::string* what, std::string* why) {
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

namespace {

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
        outcome.signaled = true;
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

// How long a converter past its time limit has to end after SIGTERM before
// it is killed.
const long long kGraceMs = 5000;

void Signal(ConverterProcess* process, bool end) {
    kill(static_cast<pid_t>(process->id), end ? SIGKILL : SIGTERM);
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

std::string CommandRefusal(const std::vector<std::string>&) {
    return std::string(); // no shell ever reads the arguments
}

bool StartConverter(const std::vector<std::string>& args, bool capture, double timeout,
                    ConverterProcess* process) {
    process->id = 0;
    process->outcome = ConverterOutcome();
    process->stopStage = 0;
    process->passedOn = false;
    process->deadline = timeout > 0 ? DeadlineAfter(timeout) : 0;
    ConverterOutcome& outcome = process->outcome;
    const std::string& name = args.front();
    // Found once for the run, as a shell remembers a command's place; looked
    // for again after a start that fails.
    static std::string found, foundFor;
    int findError = 0;
    if (foundFor != name) {
        found = FindConverter(name, &findError);
        foundFor = found.empty() ? std::string() : name;
    }
    const std::string program = found;
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
        if (capture && (dup2(outFd, 1) < 0 || dup2(errFd < 0 ? outFd : errFd, 2) < 0)) {
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
        foundFor.clear();
        outcome.error = "cannot start " + name + ": " + std::strerror(spawnError);
        return false;
    }
    process->id = pid;
    return true;
}

std::size_t CollectConverter(const std::vector<ConverterProcess*>& running, bool wait) {
    for (;;) {
        const long long next = ActOnDeadlines(running, kGraceMs, Signal);
        int status = 0;
        pid_t pid = 0;
        if (next >= 0) {
            // SIGCHLD stays blocked from here on, so that an end between
            // the look below and the wait is kept pending for the wait.
            sigset_t child;
            sigemptyset(&child);
            sigaddset(&child, SIGCHLD);
            sigprocmask(SIG_BLOCK, &child, nullptr);
            pid = waitpid(-1, &status, WNOHANG);
            if (pid == 0) {
                if (!wait) {
                    return running.size();
                }
                struct timespec left;
                left.tv_sec = static_cast<time_t>(next / 1000);
                left.tv_nsec = static_cast<long>(next % 1000) * 1000000L;
                sigtimedwait(&child, nullptr, &left); // an end, the limit, or a stop signal
                continue;
            }
        } else {
            pid = waitpid(-1, &status, wait ? 0 : WNOHANG);
        }
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
        ConverterProcess* ended = running[index];
        ended->outcome = OutcomeOf(status);
        if (ended->stopStage > 0) {
            // The time limit's own stop: this file failed, the run goes on.
            ended->outcome.timedOut = ended->outcome.signaled = true;
            ended->outcome.ok = ended->outcome.stopRun = false;
        }
        // The run ends by the stop that reached the first one, not by this.
        ended->outcome.stopRun = ended->outcome.stopRun && !ended->passedOn;
        ended->id = 0;
        ended->deadline = 0;
        return index;
    }
}

void PassStopOn(const std::vector<ConverterProcess*>& running, int status) {
    for (ConverterProcess* process : running) {
        if (process->id != 0) {
            process->passedOn = true;
            kill(static_cast<pid_t>(process->id), status - 128);
        }
    }
}
