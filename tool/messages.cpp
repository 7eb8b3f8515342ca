#include "tool/messages.h"

#include <cstdio>

void ReportError(const std::string& what, const std::string& why) {
    std::string line = "morvel: " + what + ": " + why + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}
