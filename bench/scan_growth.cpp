// The driver's list work on directories of empty *.ps files, without any
// conversion: the scan into a StringList, one read of every entry in
// ascending order (as the driver's loop reads them), then deleting the list;
// beside it the same directory read with readdir and fstatat alone, the
// floor the system sets under any scan, and the heap the list holds per
// entry. Each directory is measured once to warm the caches, then ROUNDS
// times; the program prints a Markdown table of the medians per name, and
// fails (status 1) unless exactly the expected names came back every time.
//
// usage: bench_scan_growth <rounds> <directory> <count> [<directory> <count>...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include "containers/string_list.h"
#include "tool/scan_directory.h"

namespace {

using Clock = std::chrono::steady_clock;

// Per name, in nanoseconds; heap bytes per entry.
struct Sample {
    double scan = 0;
    double read = 0;
    double free = 0;
    double raw = 0;
    double heap = 0;
};

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

// One measurement of one directory; false, with a message, when the scan
// fails or lists other names than the expected ones.
bool Measure(const char* directory, long expected, Sample* sample) {
    long long heapBefore = HeapInUse();

    Clock::time_point start = Clock::now();
    std::unique_ptr<StringList> list(new (std::nothrow) StringList);
    if (!list) {
        std::fprintf(stderr, "out of memory\n");
        return false;
    }
    ScanReport report;
    ScanDirectory(directory, "ps", list.get(), 0, &report);
    long long scanNs = NanosSince(start);

    long long heapAfter = HeapInUse();

    if (!report.skipped.empty() ||
        (report.error != ERROR_SUCCESS && report.error != ERROR_FILE_NOT_FOUND)) {
        std::fprintf(stderr, "scan failed: error %lu, %zu skipped\n",
                     static_cast<unsigned long>(report.error), report.skipped.size());
        return false;
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
        std::fprintf(stderr, "%s: expected %ld names, listed %d, %d wrong, %ld found directly\n",
                     directory, expected, static_cast<int>(count), static_cast<int>(bad), raw);
        return false;
    }
    double n = count > 0 ? static_cast<double>(count) : 1.0;
    sample->scan = static_cast<double>(scanNs) / n;
    sample->read = static_cast<double>(readNs) / n;
    sample->free = static_cast<double>(freeNs) / n;
    sample->raw = static_cast<double>(rawNs) / n;
    sample->heap = static_cast<double>(heapAfter - heapBefore) / n;
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 0;
    if (rounds < 1 || argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: %s <rounds> <directory> <count> [<directory> <count>...]\n",
                     argv[0]);
        return 2;
    }
    std::printf("| names | scan ns/name | read ns/name | delete ns/name | total ns/name "
                "| total \u00f7 smallest | readdir + fstatat ns/name "
                "| scan \u00f7 readdir + fstatat | heap bytes/entry |\n"
                "|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    double firstTotal = 0;
    for (int arg = 2; arg + 1 < argc; arg += 2) {
        long expected = std::strtol(argv[arg + 1], nullptr, 10);
        std::vector<double> scans, reads, frees, raws, heaps;
        for (int round = 0; round <= rounds; ++round) {
            Sample sample;
            if (!Measure(argv[arg], expected, &sample)) {
                return 1;
            }
            if (round == 0) {
                continue; // warms the caches
            }
            scans.push_back(sample.scan);
            reads.push_back(sample.read);
            frees.push_back(sample.free);
            raws.push_back(sample.raw);
            heaps.push_back(sample.heap);
        }
        double total = Median(scans) + Median(reads) + Median(frees);
        if (firstTotal == 0) {
            firstTotal = total;
        }
        std::printf("| %ld | %.1f | %.2f | %.2f | %.1f | %.2f | %.1f | %.2f | %.1f |\n", expected,
                    Median(scans), Median(reads), Median(frees), total, total / firstTotal,
                    Median(raws), Median(scans) / Median(raws), Median(heaps));
    }
    return 0;
}
