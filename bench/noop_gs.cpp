// A converter that converts nothing: it writes a four-byte JPEG (start and
// end of image) to the file named after -o, as Ghostscript writes its image
// there, and exits 0. Timing a batch run against it leaves only the cost of
// the run itself and of starting one process per file, so it does no more
// than that: system calls on fixed buffers, no heap and no stdio.
//
// With NOOP_GS_LOG set it also appends "<working directory>|<arg>|...|" and a
// line break to that file, so an untimed run can check that every contender
// starts it the same way.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

bool WriteFile(const char* name, const char* data, size_t size, int flags) {
    int fd = open(name, O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    while (ok && size > 0) {
        ssize_t n = write(fd, data, size);
        ok = n > 0;
        if (ok) {
            data += n;
            size -= static_cast<size_t>(n);
        }
    }
    return close(fd) == 0 && ok;
}

// Appends text to a buffer of PATH_MAX * 4 bytes; false when it is full.
bool Append(char* buffer, size_t* used, const char* text) {
    size_t length = strlen(text);
    if (*used + length >= PATH_MAX * 4) {
        return false;
    }
    memcpy(buffer + *used, text, length);
    *used += length;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (strcmp(argv[i], "-o") != 0) {
            continue;
        }
        // Ghostscript reads the output name as a template: "%%" is one "%".
        char name[PATH_MAX];
        size_t used = 0;
        for (const char* p = argv[i + 1]; *p != '\0'; ++p) {
            if (used + 1 >= sizeof name) {
                return 1;
            }
            name[used++] = *p;
            if (p[0] == '%' && p[1] == '%') {
                ++p;
            }
        }
        name[used] = '\0';
        static const char kJpeg[] = {'\xff', '\xd8', '\xff', '\xd9'};
        if (!WriteFile(name, kJpeg, sizeof kJpeg, O_TRUNC)) {
            return 1;
        }
    }
    if (const char* log = getenv("NOOP_GS_LOG")) {
        static char line[PATH_MAX * 4];
        size_t used = 0;
        bool ok = getcwd(line, PATH_MAX) != nullptr;
        used = ok ? strlen(line) : 0;
        for (int i = 1; ok && i < argc; ++i) {
            ok = Append(line, &used, "|") && Append(line, &used, argv[i]);
        }
        ok = ok && Append(line, &used, "|\n");
        if (!ok || !WriteFile(log, line, used, O_APPEND)) {
            return 1;
        }
    }
    return 0;
}
