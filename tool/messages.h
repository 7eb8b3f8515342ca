// The tool's own diagnostics: one line each on stderr, "morvel: <what>: <why>".
// Standard output carries only the progress lines and the echoed commands.
#pragma once

#include <string>

void ReportError(const std::string& what, const std::string& why);
