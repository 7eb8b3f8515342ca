#include "tool/converter_search_posix.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

std::string FindConverter(const std::string& name, int* err) {
    std::vector<std::string> candidates = {"./" + name};
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::string::size_type pos = 0;
    for (;;) {
        std::string::size_type colon = dirs.find(':', pos);
        std::string dir =
            dirs.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        candidates.push_back((dir.empty() ? std::string(".") : dir) + "/" + name);
        if (colon == std::string::npos) {
            break;
        }
        pos = colon + 1;
    }
    bool denied = false;
    for (const std::string& candidate : candidates) {
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0) {
            if (S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
            denied = true; // a directory, or not executable
            continue;
        }
        switch (errno) {
        case EACCES:
            denied = true;
            break;
        case ENOENT:
        case ENOTDIR:
        case ESTALE:
        case ENODEV:
        case ETIMEDOUT:
            break;
        default:
            *err = errno; // as execvp, which stops at any other error
            return std::string();
        }
    }
    *err = denied ? EACCES : ENOENT;
    return std::string();
}
