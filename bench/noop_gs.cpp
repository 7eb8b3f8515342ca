// A converter that converts nothing: it writes a four-byte JPEG (start and
// end of image) to the file named after -o, as Ghostscript writes its image
// there, and exits 0. Timing a batch run against it leaves only the cost of
// the run itself and of starting one process per file, so it does no more
// than that: raw system calls, no stdio.
//
// With NOOP_GS_LOG set it also appends "<working directory>|<arg>|...|" and a
// line break to that file, so an untimed run can check that every contender
// starts it the same way.
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteFile(const char* name, const char* data, std::size_t size, int flags) {
    int fd = open(name, O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, data, size);
    return close(fd) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-o") != 0) {
            continue;
        }
        // Ghostscript reads the output name as a template: "%%" is one "%".
        std::string name;
        for (const char* p = argv[i + 1]; *p != '\0'; ++p) {
            name += *p;
            if (p[0] == '%' && p[1] == '%') {
                ++p;
            }
        }
        static const char kJpeg[] = {'\xff', '\xd8', '\xff', '\xd9'};
        if (!WriteFile(name.c_str(), kJpeg, sizeof kJpeg, O_TRUNC)) {
            return 1;
        }
    }
    if (const char* log = std::getenv("NOOP_GS_LOG")) {
        char cwd[PATH_MAX];
        std::string line = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?";
        for (int i = 1; i < argc; ++i) {
            line += '|';
            line += argv[i];
        }
        line += "|\n";
        if (!WriteFile(log, line.data(), line.size(), O_APPEND)) {
            return 1;
        }
    }
    return 0;
}
