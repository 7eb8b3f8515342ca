// Everything about the tool that differs between hosts: the separator, the
// usage text, how the process is readied, how a directory argument is made
// absolute, error texts, names the system reserves, how a file is looked
// at, the converter's name and how one conversion runs. tool/host_posix.cpp and
// tool/host_win32.cpp implement it; the build picks one.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32.h"

// The separator the tool writes between a directory and a name.
extern const char kPathSeparator;

// True when directory ends in a separator, so that a name joins it without
// another (Windows: '\\' or '/').
bool EndsInSeparator(const std::string& directory);

// Printed, without a line break, when arguments are missing.
extern const char* const kUsageText;
// The converter's usual file name, for the help text.
extern const char* const kConverterFile;

// Readies the process before anything is opened or run. POSIX: each of
// descriptors 0, 1 and 2 that is closed is opened on /dev/null, so that no
// file morvel or a converter opens lands on a standard stream, and SIGCHLD
// is set to its default, so that each converter's status can be waited
// for. False, with what failed in *what and the system's reason in *why,
// when that cannot be done.
bool PrepareProcess(std::string* what, std::string* why);

// Writes text to stream (stdout or stderr) as the host shows it. On Windows
// a console gets it as wide characters, so names show as in Explorer
// whatever the console's code page; a file or pipe gets the bytes through
// the C runtime's text mode ("\n" as "\r\n"). POSIX writes the bytes; a
// stream that was closed when morvel started takes nothing. False, with the
// system's reason in *why when why is given, when it could not be written.
bool WriteText(std::FILE* stream, const std::string& text, std::string* why = nullptr);

// Flushes stream; false with the system's reason in *why when that fails or
// an earlier write to it was lost.
bool FlushText(std::FILE* stream, std::string* why);

// Makes the PostScript directory, as given on the command line, absolute
// from the starting directory, so that it names the same directory once
// gsDir is the working directory. False with the system's reason in *why
// when it cannot be.
bool AbsoluteDirectory(const std::string& given, const std::string& gsDir, std::string* absolute,
                       std::string* why);

// The system's own words for why the last platform call failed:
// FormatMessage on Windows, strerror of the errno behind it on POSIX.
std::string LastErrorText();

// Why the host would not take path as the file it names (Windows reads
// some names as devices: NUL, CON, COM1, ..., whatever their extension), or
// an empty string.
std::string DeviceNameReason(const std::string& path);

// What a path names at one moment, links followed: enough to tell whether
// the file has been written since, and whether two paths reach one file.
struct FileStamp {
    bool exists = false;  // the path names something
    bool regular = false; // with exists: a regular file
    std::string kind;     // with exists and not regular: "a FIFO", "a directory", ...
    std::string error;    // neither there nor missing (a loop, no permission): why
    unsigned long long volume = 0, file = 0; // identity: device and inode, or volume and index
    unsigned long long size = 0;
    long long modified = 0; // in the system's finest unit
    // Where a writer of the path would put the file, links followed: the
    // directory's identity and the name in it, as the system compares names
    // (Windows: in upper case). located is false when that cannot be told.
    bool located = false;
    unsigned long long dirVolume = 0, dirFile = 0;
    std::string leaf;
    std::string directory; // the directory's path
};
FileStamp StampOf(const std::string& path);

// Watches one file's path for writes while a converter runs: a rewrite
// within one timestamp tick leaves the stamps as they were. Opaque; one per
// running converter.
struct WriteWatch;
// Starts watching path, which stamp (taken just before) says where it is or
// will be. nullptr when the system cannot watch it: the stamps decide alone.
WriteWatch* StartWriteWatch(const std::string& path, const FileStamp& stamp);
// Ends the watch: 1 when a write was seen, 0 when none was, -1 when the
// watch lost track (the stamps decide). A null watch gives -1.
int EndWriteWatch(WriteWatch* watch);

// The converter's program name as the command names it. Called once the
// Ghostscript directory is the working directory.
std::string ConverterProgram();

// How many converters may run at once here, so that morvel stays within
// the system's limits (open files; on Windows, the handles one wait takes).
std::size_t MaxJobs();

// The signals that stop a run (POSIX: SIGINT, SIGTERM, SIGHUP, unless
// morvel was started with them ignored) are caught from PrepareProcess on
// and passed on to every converter running. The first one caught, or 0.
int StopSignal();
// Ends morvel by signal sig, its default action restored, as the caller
// would have seen without the handler; returns only where it cannot.
void EndBySignal(int sig);

struct ConverterOutcome {
    bool ok = false;      // the converter ran and exited with status 0
    bool stopRun = false; // the user stopped it (interrupt or terminate): stop the run
    int stopStatus = 0;   // with stopRun: the exit status the tool ends with
    std::string error;    // without ok: why, for the message
};

// One converter started and not yet collected. Its standard output and
// error go either to morvel's own or to two temporary files of its own.
struct ConverterProcess {
    long long id = 0;   // POSIX: the pid; Windows: the process handle; 0: none runs
    long long out = -1; // the captured output files, -1 when not captured
    long long err = -1;
    ConverterOutcome outcome; // once it has ended (or could not start)
};

// A fresh temporary file for a converter's output, gone once it is closed
// (POSIX: a descriptor closed on exec; Windows: a handle); -1 with why.
long long CreateCaptureFile(std::string* why);
void CloseCaptureFile(long long file);

// Starts the converter in the current directory. args is the whole call,
// program first (ConverterArguments). With capture, its stdout and stderr
// go to process->out and process->err, which the caller has made. False,
// with process->outcome saying why, when it could not be started. Windows
// without capture runs the command to its end here.
bool StartConverter(const std::vector<std::string>& args, bool capture, ConverterProcess* process);

// Waits until one of running (each with a nonzero id) has ended; sets its
// outcome and id 0 and returns its index. With wait false, returns
// running.size() at once when none has ended yet.
std::size_t CollectConverter(const std::vector<ConverterProcess*>& running, bool wait);

// Copies what a captured file holds, byte for byte, to stream (stdout or
// stderr). False with the system's reason in *why when it cannot.
bool CopyCaptured(long long file, std::FILE* stream, std::string* why);
