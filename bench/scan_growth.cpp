// The driver's list work on one directory, without any conversion: the scan
// into a StringList, one read of every entry in ascending order (as the
// driver's loop reads them), then deleting the list. Prints one line:
//   names=N scan_ns=... read_ns=... free_ns=... raw_ns=... heap_per_entry=...
//   rss_per_entry=...
// raw_ns being the same directory read with readdir and fstatat alone, the
// floor under the scan.
// and fails (status 1) unless exactly the expected names came back.
//
// usage: bench_scan_growth <directory> <expected count>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include "containers/string_list.h"
#include "tool/scan_directory.h"

namespace {

using Clock = std::chrono::steady_clock;

long long NanosSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
}

// Bytes handed out by malloc and not yet freed.
long long HeapInUse() {
    struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks) + static_cast<long long>(info.hblkhd);
}

// The system's share of a scan: reading the directory and looking at each
// matching entry, as the scan must to tell files from directories. -1 on
// failure.
long RawScan(const char* directory) {
    DIR* dir = opendir(directory);
    if (dir == nullptr) {
        return -1;
    }
    long found = 0;
    while (struct dirent* ent = readdir(dir)) {
        std::size_t length = std::strlen(ent->d_name);
        if (length < 3 || std::strcmp(ent->d_name + length - 3, ".ps") != 0) {
            continue;
        }
        struct stat st;
        if (fstatat(dirfd(dir), ent->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
            ++found;
        }
    }
    closedir(dir);
    return found;
}

// Resident set size now, from /proc (the peak alone would hide the list's
// share behind start-up).
long long ResidentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) {
        return -1;
    }
    long long pages = 0;
    long long resident = 0;
    int got = std::fscanf(f, "%lld %lld", &pages, &resident);
    std::fclose(f);
    return got == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <directory> <expected count>\n", argv[0]);
        return 2;
    }
    const char* directory = argv[1];
    long expected = std::strtol(argv[2], nullptr, 10);

    long long heapBefore = HeapInUse();
    long long rssBefore = ResidentBytes();

    Clock::time_point start = Clock::now();
    std::unique_ptr<StringList> list(new (std::nothrow) StringList);
    if (!list) {
        std::fprintf(stderr, "out of memory\n");
        return 1;
    }
    ScanReport report;
    ScanDirectory(directory, "ps", list.get(), 0, &report);
    long long scanNs = NanosSince(start);

    long long heapAfter = HeapInUse();
    long long rssAfter = ResidentBytes();

    if (!report.skipped.empty() ||
        (report.error != ERROR_SUCCESS && report.error != ERROR_FILE_NOT_FOUND)) {
        std::fprintf(stderr, "scan failed: error %lu, %zu skipped\n",
                     static_cast<unsigned long>(report.error), report.skipped.size());
        return 1;
    }

    start = Clock::now();
    std::int32_t count = list->GetCount();
    std::size_t bytes = 0;
    std::int32_t bad = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const char* entry = list->GetAt(i);
        if (entry == nullptr) {
            ++bad;
            continue;
        }
        std::size_t length = std::strlen(entry);
        // The scan cuts ".ps": no entry may still carry it.
        if (length == 0 || (length >= 3 && std::strcmp(entry + length - 3, ".ps") == 0)) {
            ++bad;
        }
        bytes += length;
    }
    long long readNs = NanosSince(start);

    start = Clock::now();
    list.reset();
    long long freeNs = NanosSince(start);

    start = Clock::now();
    long raw = RawScan(directory);
    long long rawNs = NanosSince(start);

    if (count != expected || bad != 0 || raw != expected) {
        std::fprintf(stderr, "expected %ld names, listed %d, %d wrong, %ld found directly\n",
                     expected, static_cast<int>(count), static_cast<int>(bad), raw);
        return 1;
    }
    double n = count > 0 ? static_cast<double>(count) : 1.0;
    std::printf("names=%d scan_ns=%lld read_ns=%lld free_ns=%lld raw_ns=%lld heap_per_entry=%.1f "
                "rss_per_entry=%.1f name_bytes=%zu\n",
                static_cast<int>(count), scanNs, readNs, freeNs, rawNs,
                static_cast<double>(heapAfter - heapBefore) / n,
                static_cast<double>(rssAfter - rssBefore) / n, bytes);
    return 0;
}
