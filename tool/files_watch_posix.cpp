// POSIX form of the write watch: inotify on Linux; elsewhere the stamps
// decide alone.
#include "tool/files.h"

#include <cerrno>
#include <cstdint>
#include <map>
#include <vector>

#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

#ifdef __linux__
// inotify: the file itself when it exists (writes through any of its
// names), and its directory for the name a writer creates or replaces. One
// instance for the whole run, shared by the watches of converters running
// side by side: closing an instance waits for the kernel's grace period,
// which would cost each file milliseconds.
struct WriteWatch {
    int fileWatch = -1;
    int dirWatch = -1;
    std::string leaf;
    bool seen = false;
    bool lost = false;
};

namespace {

struct Watches {
    int fd = -1;
    std::vector<WriteWatch*> active;
    std::map<int, int> users; // a file's watch descriptor: how many watches use it
};
Watches g_watches;

// Hands every event that has come in to the watches it concerns.
void DrainWatches() {
    // Aligned for the event records the kernel puts there.
    std::vector<inotify_event> buffer(4096 / sizeof(inotify_event) + 1);
    char* bytes = reinterpret_cast<char*>(buffer.data());
    const std::size_t size = buffer.size() * sizeof(inotify_event);
    for (;;) {
        ssize_t n = read(g_watches.fd, bytes, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return; // EAGAIN: every event is read
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(bytes + at);
            for (WriteWatch* watch : g_watches.active) {
                if ((event->mask & IN_Q_OVERFLOW) != 0) {
                    watch->lost = true;
                } else if (event->wd == watch->fileWatch ||
                           (event->wd == watch->dirWatch && event->len > 0 &&
                            watch->leaf == event->name)) {
                    watch->seen = true;
                }
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

int AddWatch(const std::string& path, std::uint32_t mask) {
    int wd = inotify_add_watch(g_watches.fd, path.c_str(), mask | IN_MASK_ADD);
    if (wd >= 0) {
        ++g_watches.users[wd];
    }
    return wd;
}

void DropWatch(int wd) {
    if (wd >= 0 && --g_watches.users[wd] == 0) {
        g_watches.users.erase(wd);
        inotify_rm_watch(g_watches.fd, wd);
    }
}

} // namespace

WriteWatch* StartWriteWatch(const std::string& path, const FileStamp& stamp) {
    if (g_watches.fd < 0) {
        g_watches.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (g_watches.fd < 0) {
            return nullptr;
        }
    }
    DrainWatches(); // what came before belongs to the watches before
    WriteWatch* watch = new WriteWatch;
    if (stamp.exists) {
        watch->fileWatch = AddWatch(path, IN_MODIFY);
    }
    if (stamp.located) {
        watch->dirWatch =
            inotify_add_watch(g_watches.fd, stamp.directory.c_str(),
                              IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_ONLYDIR | IN_MASK_ADD);
        watch->leaf = stamp.leaf;
    }
    if (watch->fileWatch < 0 && watch->dirWatch < 0) {
        delete watch;
        return nullptr;
    }
    g_watches.active.push_back(watch);
    return watch;
}

int EndWriteWatch(WriteWatch* watch) {
    if (watch == nullptr) {
        return -1;
    }
    DrainWatches();
    for (std::size_t i = 0; i < g_watches.active.size(); ++i) {
        if (g_watches.active[i] == watch) {
            g_watches.active.erase(g_watches.active.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    // The directory's watch stays for the next file: adding or removing a
    // watch on a directory visits every entry the kernel has cached for it.
    DropWatch(watch->fileWatch);
    int result = watch->seen ? 1 : (watch->lost ? -1 : 0);
    delete watch;
    return result;
}
#else
struct WriteWatch {};
WriteWatch* StartWriteWatch(const std::string&, const FileStamp&) {
    return nullptr; // no portable way: the stamps decide
}
int EndWriteWatch(WriteWatch*) {
    return -1;
}
#endif
