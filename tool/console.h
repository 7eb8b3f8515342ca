// The standard streams: how they are readied before anything is opened, and
// how text reaches them as the host shows it. tool/console_posix.cpp and
// tool/console_win32.cpp implement it; the build picks one.
#pragma once

#include <cstdio>
#include <string>

// Readies the standard streams before anything is opened or run. POSIX:
// each of descriptors 0, 1 and 2 that is closed is opened on /dev/null, so
// that no file morvel or a converter opens lands on a standard stream.
// False, with what failed in *what and the system's reason in *why, when
// that cannot be done.
bool PrepareStreams(std::string* what, std::string* why);

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

// True when stdout and stderr are one open file (2>&1 into a log): then a
// converter's two streams, captured together, keep its own order.
bool StandardStreamsShareAFile();
