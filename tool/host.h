// Everything about the tool that differs between hosts: the separator, the
// usage text, how a directory argument is made absolute, error texts, the
// converter's name and how one conversion runs. tool/host_posix.cpp and
// tool/host_win32.cpp implement it; the build picks one.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32.h"

// The directory separator the tool writes between a directory and a name.
extern const char kPathSeparator;

// Printed, without a line break, when arguments are missing.
extern const char* const kUsageText;

// Writes text to stream (stdout or stderr) as the host shows it. On Windows
// a console gets it as wide characters, so names show as in Explorer
// whatever the console's code page; a file or pipe gets the bytes through
// the C runtime's text mode ("\n" as "\r\n"). POSIX writes the bytes.
// False when it could not be written.
bool WriteText(std::FILE* stream, const std::string& text);

// Makes the PostScript directory, as given on the command line, absolute
// from the starting directory, so that it names the same directory once
// gsDir is the working directory. False with *error set when it cannot be.
bool AbsoluteDirectory(const std::string& given, const std::string& gsDir, std::string* absolute,
                       DWORD* error);

// A readable one-line text for a system error code as GetLastError() gives it.
std::string SystemErrorText(DWORD code);

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
