// Everything about the tool that differs between hosts: the converter's
// name, the path separator, the usage text, error texts and how one
// conversion is run. tool/host_posix.cpp and tool/host_win32.cpp implement
// it; the build picks one.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// The directory separator the tool writes between a directory and a name.
extern const char kPathSeparator;

// The converter as it is named on the command line ("gs" or "gswin32c.exe").
extern const char* const kConverterName;

// Printed, without a line break, when arguments are missing.
extern const char* const kUsageText;

// Makes stdout and stderr carry the tool's bytes unchanged (on Windows the C
// runtime would turn each "\n" into "\r\n"). Called once, first thing.
void PrepareStandardStreams();

// True when path does not depend on the current directory (or drive).
bool IsAbsolutePath(const char* path);

// True when path, not absolute, still names the same place once workingDir is
// the working directory (on Windows: "\dir" while workingDir is on the
// current drive).
bool MeansTheSameIn(const char* path, const char* workingDir);

// A readable text for a system error code as GetLastError() gives it.
std::string SystemErrorText(DWORD code);

struct ConverterOutcome {
    bool ok;           // the converter ran and exited with status 0
    bool stopRun;      // the user stopped it (interrupt or terminate): stop the run
    int stopStatus;    // with stopRun: the exit status the tool ends with
    std::string error; // without ok: why, for the message
};

// Runs the converter once in the current directory and waits for it.
// args are the converter's arguments (without its name), commandLine the
// same command as the tool echoes it.
ConverterOutcome RunConverter(const std::vector<std::string>& args, const std::string& commandLine);
