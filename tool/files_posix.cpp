// POSIX form of files: the separator is '/', every name is a file's name,
// and a captured output file is one no name leads to.
#include "tool/files.h"

#include "tool/console.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char kPathSeparator = '/';

bool EndsInSeparator(const std::string& directory) {
    return !directory.empty() && directory.back() == '/';
}

bool AbsoluteDirectory(const std::string& given, const std::string&, std::string* absolute,
                       std::string* why) {
    if (!given.empty() && given[0] == '/') {
        *absolute = given;
        return true;
    }
    std::vector<char> cwd(256);
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE) {
            *why = std::strerror(errno);
            return false;
        }
        cwd.resize(cwd.size() * 2);
    }
    // Only empty and "." components go: ".." after a symbolic link means the
    // link's parent, which only the kernel knows, so it stays for the kernel.
    std::string path = cwd.data();
    std::string::size_type pos = 0;
    while (pos < given.size()) {
        std::string::size_type end = given.find('/', pos);
        if (end == std::string::npos) {
            end = given.size();
        }
        std::string component = given.substr(pos, end - pos);
        if (!component.empty() && component != ".") {
            if (path.back() != '/') {
                path += '/';
            }
            path += component;
        }
        pos = end + 1;
    }
    *absolute = path;
    return true;
}

std::string DirectoryReason(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        return std::strerror(errno);
    }
    return S_ISDIR(st.st_mode) ? std::string() : std::strerror(ENOTDIR);
}

bool RemoveImage(const std::string& path, std::string* why) {
    if (unlink(path.c_str()) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    return true;
}

bool ReadFileChunks(const std::string& path,
                    void (*sink)(void* context, const unsigned char* data, std::size_t size),
                    void* context, std::string* why) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *why = std::strerror(errno);
        return false;
    }
    std::vector<unsigned char> chunk(65536);
    for (;;) {
        ssize_t n = read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n < 0) {
                *why = std::strerror(errno);
            }
            close(fd);
            return n == 0;
        }
        sink(context, chunk.data(), static_cast<std::size_t>(n));
    }
}

std::string DeviceNameReason(const std::string&) {
    return std::string(); // every name is a file's name
}

namespace {

std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    return "not a regular file";
}

// The directory part of an absolute or relative path, and the name after it.
void SplitPath(const std::string& path, std::string* dir, std::string* leaf) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        *dir = ".";
        *leaf = path;
    } else {
        *dir = slash == 0 ? "/" : path.substr(0, slash);
        *leaf = path.substr(slash + 1);
    }
}

} // namespace

FileStamp StampOf(const std::string& path, bool locate) {
    FileStamp stamp;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        stamp.exists = true;
        stamp.regular = S_ISREG(st.st_mode);
        if (!stamp.regular) {
            stamp.kind = KindOf(st.st_mode);
        }
        stamp.volume = static_cast<unsigned long long>(st.st_dev);
        stamp.file = static_cast<unsigned long long>(st.st_ino);
        stamp.size = static_cast<unsigned long long>(st.st_size);
        stamp.links = static_cast<unsigned long>(st.st_nlink);
        stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL +
                         static_cast<long long>(st.st_mtim.tv_nsec);
    } else if (errno != ENOENT) {
        stamp.error = std::strerror(errno);
    }
    if (!locate) {
        return stamp;
    }
    // Where a writer ends up: symbolic links followed one by one, as the
    // kernel does, down to a name that is not a link (a dangling link's
    // target is created there).
    std::string at = path;
    std::string dir, leaf;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link;
        if (lstat(at.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            break;
        }
        std::vector<char> target(static_cast<std::size_t>(link.st_size) + 2);
        ssize_t n = readlink(at.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) {
            break;
        }
        std::string next(target.data(), static_cast<std::size_t>(n));
        SplitPath(at, &dir, &leaf);
        at = !next.empty() && next[0] == '/' ? next : dir + "/" + next;
    }
    SplitPath(at, &dir, &leaf);
    struct stat where;
    if (!leaf.empty() && stat(dir.c_str(), &where) == 0) {
        stamp.located = true;
        stamp.dirVolume = static_cast<unsigned long long>(where.st_dev);
        stamp.dirFile = static_cast<unsigned long long>(where.st_ino);
        stamp.directory = dir;
        stamp.leaf = leaf;
    }
    return stamp;
}

// A fresh file that no name leads to, closed on exec: in TMPDIR, or in /tmp
// when that is not set or cannot take one.
long long CreateCaptureFile(std::string* why) {
    const char* env = std::getenv("TMPDIR");
    std::vector<std::string> dirs;
    if (env != nullptr && *env != '\0') {
        dirs.push_back(env);
    }
    dirs.push_back("/tmp");
    for (const std::string& dir : dirs) {
        int fd = -1;
#ifdef O_TMPFILE
        fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0) {
            return fd;
        }
#endif
        std::string name = dir + "/morvel-XXXXXX";
        fd = mkostemp(&name[0], O_CLOEXEC);
        if (fd >= 0) {
            unlink(name.c_str());
            return fd;
        }
        if (why->empty()) {
            *why = "cannot create a temporary file in " + dir + ": " + std::strerror(errno);
        }
    }
    return -1;
}

void CloseCaptureFile(long long file) {
    close(static_cast<int>(file));
}

bool CopyCaptured(long long file, std::FILE* stream, std::string* why) {
    int fd = static_cast<int>(file);
    if (lseek(fd, 0, SEEK_SET) < 0) {
        *why = std::strerror(errno);
        return false;
    }
    std::vector<char> chunk(65536);
    for (;;) {
        ssize_t n = read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            *why = std::strerror(errno);
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteText(stream, std::string(chunk.data(), static_cast<std::size_t>(n)), why)) {
            return false;
        }
    }
}
