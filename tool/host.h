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

// Enough of a file at one moment to tell whether it has been written since.
struct FileStamp {
    bool exists;
    unsigned long long volume, file; // identity: device and inode, or volume and index
    unsigned long long size;
    long long modified; // in the system's finest unit
};
FileStamp StampOf(const std::string& path);

// The converter's program name as the command names it. Called once the
// Ghostscript directory is the working directory.
std::string ConverterProgram();

struct ConverterOutcome {
    bool ok;           // the converter ran and exited with status 0
    bool stopRun;      // the user stopped it (interrupt or terminate): stop the run
    int stopStatus;    // with stopRun: the exit status the tool ends with
    std::string error; // without ok: why, for the message
};

// Runs the converter once in the current directory and waits for it. args
// is the whole call, program first (ConverterArguments).
ConverterOutcome RunConverter(const std::vector<std::string>& args);
