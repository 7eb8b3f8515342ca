// Windows paths split into directory, file name and extension, integers with
// thousands separators, trailing blanks trimmed. The separator is the
// backslash on every host (a '/' is an ordinary character); text is examined
// byte by byte. Output buffers carry no capacity: each must hold the part
// written and its terminator (at most the input's length plus 1).
//
// The pairs (GetExtension/GetExtensionStd, GetDirectoryPart/
// GetDirectoryPartStd) give identical results; the first member is built on
// the Win32 string functions, the second on the standard library's.
#pragma once

#include <cstdint>

// The text after the last backslash (all of path when there is none); 1.
int GetFileNamePart(const char* path, char* out);

// The text after the last '.' among the last six characters, when no
// backslash comes after that dot: 1. Otherwise the empty text and 0. A path
// ending in '.' has the empty extension, result 1.
int GetExtension(const char* path, char* out);
int GetExtensionStd(const char* path, char* out);

// The text before the last backslash (empty when there is none); 1.
int GetDirectoryPart(const char* path, char* out);
int GetDirectoryPartStd(const char* path, char* out);

// value in decimal grouped by three with ',' ("-2,147,483,648"): the count
// GetNumberFormatA returns (terminator included), 0 on failure. out must
// hold 20 characters.
int FormatThousands(std::int32_t value, char* out);

// Removes trailing spaces, tabs and line feeds in place; a carriage return,
// form feed or vertical tab ends the trim and stays.
void TrimRight(char* text);
