// Where the POSIX converter is: as execvp looks for a program, with the
// Ghostscript directory (the current one) first. Used by
// tool/processes_posix.cpp.
#pragma once

#include <string>

// Where the converter is, as execvp looks for it, but with the Ghostscript
// directory (the current one by now) first: a converter there wins over one
// on PATH, as the Windows command interpreter looks in the current
// directory first. A candidate that exists but cannot be run lets the
// search go on and, when nothing better is found, gives the reason
// (EACCES); empty with *err set when there is nothing to run.
std::string FindConverter(const std::string& name, int* err);
