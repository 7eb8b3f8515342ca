// POSIX form of the write watch: inotify on Linux; elsewhere the stamps
// decide alone.
#include "tool/files.h"

#include <cerrno>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

#ifdef __linux__
// inotify on the directory the image is (or will be) in: it reports a write
// to any file in it by name, whichever of the file's names the writer
// opened it by, so one watch per directory serves every image there. The
// watch and the instance stay for the run: adding or removing a watch on a
// directory visits every entry the kernel has cached for it, and closing an
// instance waits for the kernel's grace period.
struct WriteWatch {
    int dirWatch = -1;
    std::string leaf;
    bool seen = false;
    bool lost = false;
};

namespace {

struct Watches {
    int fd = -1;
    std::vector<WriteWatch*> active;
    // Each watched directory by its identity: its watch descriptor.
    std::map<std::pair<unsigned long long, unsigned long long>, int> directories;
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
            if ((event->mask & IN_IGNORED) != 0) {
                // The directory went: a later one must be watched anew.
                for (auto i = g_watches.directories.begin(); i != g_watches.directories.end();) {
                    i = i->second == event->wd ? g_watches.directories.erase(i) : std::next(i);
                }
            }
            for (WriteWatch* watch : g_watches.active) {
                if ((event->mask & IN_Q_OVERFLOW) != 0 ||
                    ((event->mask & IN_IGNORED) != 0 && event->wd == watch->dirWatch)) {
                    watch->lost = true;
                } else if (event->wd == watch->dirWatch && event->len > 0 &&
                           watch->leaf == event->name) {
                    watch->seen = true;
                }
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace

WriteWatch* StartWriteWatch(const std::string&, const FileStamp& stamp) {
    if (!stamp.located) {
        return nullptr;
    }
    if (g_watches.fd < 0) {
        g_watches.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (g_watches.fd < 0) {
            return nullptr;
        }
    }
    DrainWatches(); // what came before belongs to the watches before
    const auto directory = std::make_pair(stamp.dirVolume, stamp.dirFile);
    auto known = g_watches.directories.find(directory);
    int wd = known != g_watches.directories.end() ? known->second : -1;
    if (wd < 0) {
        wd = inotify_add_watch(g_watches.fd, stamp.directory.c_str(),
                               IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_ONLYDIR);
        if (wd < 0) {
            return nullptr;
        }
        g_watches.directories[directory] = wd;
    }
    WriteWatch* watch = new WriteWatch;
    watch->dirWatch = wd;
    watch->leaf = stamp.leaf;
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
