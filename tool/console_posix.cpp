// POSIX form of the standard streams: one that was closed when morvel
// started holds /dev/null, for the converters' sake, and takes nothing of
// morvel's own.
#include "tool/console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Standard streams that were closed when morvel started: they now hold
// /dev/null for the converters' sake, but morvel's own output to them is
// still lost.
bool g_closedAtStart[3] = {false, false, false};

bool ClosedAtStart(std::FILE* stream) {
    int fd = fileno(stream);
    return fd >= 0 && fd < 3 && g_closedAtStart[fd];
}

} // namespace

bool PrepareStreams(std::string* what, std::string* why) {
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // open() takes the lowest free descriptor, which is fd itself.
        int opened = open("/dev/null", O_RDWR);
        if (opened != fd) {
            *what = "/dev/null";
            *why = opened < 0 ? std::strerror(errno) : "opened on the wrong descriptor";
            if (opened >= 0) {
                close(opened);
            }
            return false;
        }
        g_closedAtStart[fd] = true;
    }
    return true;
}

bool WriteText(std::FILE* stream, const std::string& text, std::string* why) {
    if (ClosedAtStart(stream)) {
        if (why != nullptr) {
            *why = std::strerror(EBADF);
        }
        return false;
    }
    if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) {
        if (why != nullptr) {
            *why = std::strerror(errno);
        }
        return false;
    }
    return true;
}

bool FlushText(std::FILE* stream, std::string* why) {
    if (ClosedAtStart(stream)) {
        *why = std::strerror(EBADF);
        return false;
    }
    if (std::fflush(stream) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (std::ferror(stream)) {
        *why = "write failed";
        return false;
    }
    return true;
}

bool StandardStreamsShareAFile() {
    struct stat out, err;
    return !g_closedAtStart[1] && !g_closedAtStart[2] && fstat(1, &out) == 0 &&
           fstat(2, &err) == 0 && out.st_dev == err.st_dev && out.st_ino == err.st_ino;
}
