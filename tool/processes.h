// The converters as processes: the converter's name, the usage text that
// names its directory, how many may run at once, the signals that stop a
// run, and how one conversion is started and collected. On Windows each
// command runs through the command interpreter, which refuses some command
// lines. tool/processes_posix.cpp and tool/processes_win32.cpp implement it;
// the build picks one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Printed, without a line break, when arguments are missing.
extern const char* const kUsageText;
// The converter's usual file name, for the help text.
extern const char* const kConverterFile;

// Readies the process's signals, once the standard streams are ready and
// before anything is run. POSIX: SIGCHLD is set to its default, so that
// each converter's status can be waited for, and the stop signals below are
// caught (Windows: Ctrl+C, Ctrl+Break and the console closing). False, with
// what failed in *what and the system's reason in *why, when that cannot be
// done.
bool PrepareSignals(std::string* what, std::string* why);

// The converter's program name as the command names it. Called once the
// Ghostscript directory is the working directory.
std::string ConverterProgram();

// How many converters may run at once here, so that morvel stays within
// the system's limits (open files; on Windows, the handles one wait takes).
std::size_t MaxJobs();

// The signals that stop a run (POSIX: SIGINT, SIGTERM, SIGHUP, unless
// morvel was started with them ignored) are caught from PrepareSignals on
// and passed on to every converter running. The first one caught, or 0.
int StopSignal();
// Ends morvel by signal sig, its default action restored, as the caller
// would have seen without the handler; returns only where it cannot.
void EndBySignal(int sig);

struct ConverterOutcome {
    bool ok = false;       // the converter ran and exited with status 0
    bool stopRun = false;  // the user stopped it (interrupt or terminate): stop the run
    int stopStatus = 0;    // with stopRun: the exit status the tool ends with
    bool signaled = false; // ended by a signal (Windows: ended from outside, or crashed),
                           // so what it was writing may be cut short
    bool timedOut = false; // morvel stopped it for the time limit (not a stop of the run)
    std::string error;     // without ok: why, for the message
};

// One converter started and not yet collected. Its standard output and
// error go either to morvel's own or to temporary files of its own.
struct ConverterProcess {
    long long id = 0;         // POSIX: the pid; Windows: the process handle; 0: none runs
    long long out = -1;       // the captured output files, -1 when not captured
    long long err = -1;       // -1 with out captured: stderr goes to out as well
    long long job = 0;        // Windows: the job object its whole tree runs in, or 0
    long long deadline = 0;   // with a time limit: when the next step against it is due
                              // (milliseconds of a steady clock); 0: none
    int stopStage = 0;        // 1 once asked to stop for the time limit, 2 once killed
    bool passedOn = false;    // a stop that reached another converter was passed on to it
    ConverterOutcome outcome; // once it has ended (or could not start)
};

// Why the host would not run the call args, or "" (Windows: a command line
// that the command interpreter would change or refuse). StartConverter
// fails with the same reason.
std::string CommandRefusal(const std::vector<std::string>& args);

// Starts the converter in the current directory. args is the whole call,
// program first (ConverterArguments). With capture, its stdout and stderr
// go to process->out and process->err, which the caller has made. A
// timeout above 0 (seconds) limits how long it may run: CollectConverter
// stops it once that has passed. False, with process->outcome saying why,
// when it could not be started. Windows without capture or time limit runs
// the command to its end here.
bool StartConverter(const std::vector<std::string>& args, bool capture, double timeout,
                    ConverterProcess* process);

// Waits until one of running (each with a nonzero id) has ended; sets its
// outcome and id 0 and returns its index. With wait false, returns
// running.size() at once when none has ended yet. Converters past their
// time limit are stopped meanwhile (POSIX: SIGTERM, SIGKILL 5 seconds
// later; Windows: the whole tree at once); waiting costs nothing while none
// ends and no limit comes.
std::size_t CollectConverter(const std::vector<ConverterProcess*>& running, bool wait);

// Passes a stop that reached one converter from outside (status 128 + the
// signal) on to every converter in running, as a stop sent to morvel is.
void PassStopOn(const std::vector<ConverterProcess*>& running, int status);
