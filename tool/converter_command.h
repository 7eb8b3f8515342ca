// The converter call, built once as an argument list; its text is derived
// from that list, both for the echo and for hosts that run a command line.
#pragma once

#include <string>
#include <vector>

// program, "-sDEVICE=jpeg", "-r120*120", "-o", the JPEG path, the PostScript
// path. Ghostscript reads the output name as a template in which '%' starts
// a page-number format, so every '%' in jpgPath is doubled.
std::vector<std::string> ConverterArguments(const std::string& program, const std::string& jpgPath,
                                            const std::string& psPath);

// The arguments joined by single spaces, those after "-o" (the file names)
// in double quotes: gs -sDEVICE=jpeg -r120*120 -o "<jpg>" "<ps>".
std::string CommandText(const std::vector<std::string>& args);
