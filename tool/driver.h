// The batch conversion driver: renders every "*.ps" file of a directory to a
// JPEG file of the same base name beside it, one converter run per file.
#pragma once

// argv[1]: the directory that holds the converter; argv[2]: the directory of
// PostScript files. Further arguments are ignored.
// Exit status: 0 when every conversion succeeded (or there was nothing to
// convert), 1 when arguments are missing, 2 when a directory could not be
// used or any file could not be converted, 128 + signal when the user stopped
// a conversion with an interrupt or terminate signal.
int RunDriver(int argc, char** argv);
