// The library's containers beside the nearest standard-library equivalent.
// Every case is registered as "<case>:<implementation>/<n>", n being the
// number of elements one iteration handles, so that bench/run.sh can pair
// the two implementations of a case and quote the ratio of their medians.
//
// Each benchmark checks what it computed; a wrong result marks it as an
// error and makes the program exit with status 1, so a smoke run catches a
// broken container as well as a broken benchmark.
//
// usage: bench_containers [--smoke] [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <list>
#include <string>
#include <vector>

#include "containers/linked_list.h"
#include "containers/string_list.h"
#include "containers/mem_buffer.h"
#include "containers/ptr_array.h"

namespace {

bool g_failed = false;

void Check(benchmark::State& state, bool ok, const char* what) {
    if (!ok && !g_failed) {
        std::fprintf(stderr, "wrong result: %s\n", what);
    }
    if (!ok) {
        g_failed = true;
        state.SkipWithError(what);
    }
}

std::int64_t Size(const benchmark::State& state) {
    return state.range(0);
}

// ---- LinkedList against std::list: reads in order and in reverse ----------

std::vector<long> Values(std::int64_t n) {
    std::vector<long> values(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) {
        values[static_cast<std::size_t>(i)] = (i * 7919) % 1000003;
    }
    return values;
}

long Total(const std::vector<long>& values) {
    long total = 0;
    for (long v : values) {
        total += v;
    }
    return total;
}

void ListReadLinkedList(benchmark::State& state, bool reverse) {
    std::vector<long> values = Values(Size(state));
    LinkedList list;
    for (long& v : values) {
        list.Append(&v);
    }
    const std::int32_t n = list.GetCount();
    long expected = Total(values);
    for (auto _ : state) {
        long total = 0;
        for (std::int32_t k = 0; k < n; ++k) {
            std::int32_t i = reverse ? n - 1 - k : k;
            total += *static_cast<const long*>(list.GetAt(i));
        }
        benchmark::DoNotOptimize(total);
        if (total != expected) {
            Check(state, false, "LinkedList read");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void ListReadStd(benchmark::State& state, bool reverse) {
    std::vector<long> values = Values(Size(state));
    std::list<long*> list;
    for (long& v : values) {
        list.push_back(&v);
    }
    long expected = Total(values);
    for (auto _ : state) {
        long total = 0;
        if (reverse) {
            for (auto it = list.rbegin(); it != list.rend(); ++it) {
                total += **it;
            }
        } else {
            for (long* p : list) {
                total += *p;
            }
        }
        benchmark::DoNotOptimize(total);
        if (total != expected) {
            Check(state, false, "std::list read");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Size(state));
}

// ---- StringList against std::vector<std::string> ---------------------------

// Short file-like names in a scrambled order, all distinct.
std::vector<std::string> Names(std::int64_t n) {
    std::vector<std::string> names;
    for (std::int64_t i = 0; i < n; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "scan-%05lld", static_cast<long long>((i * 7919) % n));
        names.push_back(text);
    }
    return names;
}

void StringAddStringList(benchmark::State& state) {
    std::vector<std::string> names = Names(Size(state));
    for (auto _ : state) {
        StringList list;
        for (const std::string& name : names) {
            list.Add(name.c_str());
        }
        benchmark::DoNotOptimize(list.GetAt(0));
        if (list.GetCount() != static_cast<std::int32_t>(names.size())) {
            Check(state, false, "StringList Add");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Size(state));
}

void StringAddStd(benchmark::State& state) {
    std::vector<std::string> names = Names(Size(state));
    for (auto _ : state) {
        std::vector<std::string> list;
        for (const std::string& name : names) {
            list.emplace_back(name.c_str());
        }
        benchmark::DoNotOptimize(list.data());
        if (list.size() != names.size()) {
            Check(state, false, "vector<string> push");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Size(state));
}

// Looks up every entry once: on average half the list is compared.
void StringFindStringList(benchmark::State& state, bool partial) {
    std::vector<std::string> names = Names(Size(state));
    StringList list;
    for (const std::string& name : names) {
        list.Add(name.c_str());
    }
    const std::int32_t n = list.GetCount();
    for (auto _ : state) {
        long sum = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            // The dash and the five digits are found in this name only.
            const char* probe = names[static_cast<std::size_t>(i)].c_str();
            sum += list.Find(partial ? probe + std::strlen(probe) - 6 : probe, partial ? 1 : 0);
        }
        benchmark::DoNotOptimize(sum);
        if (sum != static_cast<long>(n) * (n - 1) / 2) {
            Check(state, false, "StringList Find");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Size(state));
}

void StringFindStd(benchmark::State& state, bool partial) {
    std::vector<std::string> names = Names(Size(state));
    std::vector<std::string> list = names;
    const long n = static_cast<long>(list.size());
    for (auto _ : state) {
        long sum = 0;
        for (long i = 0; i < n; ++i) {
            const std::string& probe = names[static_cast<std::size_t>(i)];
            std::vector<std::string>::const_iterator it;
            if (partial) {
                const char* tail = probe.c_str() + probe.size() - 6;
                it = std::find_if(list.begin(), list.end(), [tail](const std::string& s) {
                    return s.find(tail) != std::string::npos;
                });
            } else {
                it = std::find(list.begin(), list.end(), probe);
            }
            sum += it == list.end() ? -1 : static_cast<long>(it - list.begin());
        }
        benchmark::DoNotOptimize(sum);
        if (sum != n * (n - 1) / 2) {
            Check(state, false, "vector<string> find");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Size(state));
}

// Each iteration puts the scrambled order back (a linear pass, counted in
// both) and sorts ascending.
void StringSortStringList(benchmark::State& state) {
    std::vector<std::string> names = Names(Size(state));
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    StringList list;
    for (const std::string& name : names) {
        list.Add(name.c_str());
    }
    const std::int32_t n = list.GetCount();
    for (auto _ : state) {
        for (std::int32_t i = 0; i < n; ++i) {
            std::strcpy(list.GetAt(i), names[static_cast<std::size_t>(i)].c_str());
        }
        list.Sort(1);
        benchmark::ClobberMemory();
        if (std::strcmp(list.GetAt(0), sorted.front().c_str()) != 0 ||
            std::strcmp(list.GetAt(n - 1), sorted.back().c_str()) != 0) {
            Check(state, false, "StringList Sort");
            break;
        }
    }
    for (std::int32_t i = 0; i < n; ++i) {
        if (sorted[static_cast<std::size_t>(i)] != list.GetAt(i)) {
            Check(state, false, "StringList Sort order");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Size(state));
}

void StringSortStd(benchmark::State& state) {
    std::vector<std::string> names = Names(Size(state));
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> list = names;
    for (auto _ : state) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            list[i] = names[i];
        }
        std::sort(list.begin(), list.end());
        benchmark::ClobberMemory();
        if (list.front() != sorted.front() || list.back() != sorted.back()) {
            Check(state, false, "std::sort");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * Size(state));
}

// ---- PtrArray against std::vector: appends through several growth steps ----

void AppendPtrArray(benchmark::State& state) {
    const std::int64_t n = Size(state);
    for (auto _ : state) {
        PtrArray array;
        int stored = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            stored += array.Add(static_cast<PtrArray::Value>(i));
        }
        benchmark::DoNotOptimize(array.GetAt(0));
        if (stored != n || array.GetCount() != n ||
            array.GetAt(static_cast<std::int32_t>(n - 1)) != n - 1) {
            Check(state, false, "PtrArray Add");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void AppendStdVector(benchmark::State& state) {
    const std::int64_t n = Size(state);
    for (auto _ : state) {
        std::vector<std::intptr_t> array;
        for (std::int64_t i = 0; i < n; ++i) {
            array.push_back(static_cast<std::intptr_t>(i));
        }
        benchmark::DoNotOptimize(array.data());
        if (static_cast<std::int64_t>(array.size()) != n || array.back() != n - 1) {
            Check(state, false, "vector push_back");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// ---- MemBuffer against std::vector<unsigned char>: 16-byte writes ----------

const int kChunk = 16;

void WriteMemBuffer(benchmark::State& state) {
    const std::int64_t n = Size(state);
    unsigned char chunk[kChunk];
    for (int i = 0; i < kChunk; ++i) {
        chunk[i] = static_cast<unsigned char>('a' + i);
    }
    for (auto _ : state) {
        MemBuffer buffer;
        std::int64_t written = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            written += buffer.Write(chunk, kChunk);
        }
        benchmark::DoNotOptimize(buffer.GetData());
        const unsigned char* data = static_cast<const unsigned char*>(buffer.GetData());
        if (written != n * kChunk || buffer.GetSize() != n * kChunk ||
            std::memcmp(data + (n - 1) * kChunk, chunk, kChunk) != 0) {
            Check(state, false, "MemBuffer Write");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * n * kChunk);
    state.SetItemsProcessed(state.iterations() * n);
}

void WriteStdVector(benchmark::State& state) {
    const std::int64_t n = Size(state);
    unsigned char chunk[kChunk];
    for (int i = 0; i < kChunk; ++i) {
        chunk[i] = static_cast<unsigned char>('a' + i);
    }
    for (auto _ : state) {
        std::vector<unsigned char> buffer;
        for (std::int64_t i = 0; i < n; ++i) {
            buffer.insert(buffer.end(), chunk, chunk + kChunk);
        }
        benchmark::DoNotOptimize(buffer.data());
        if (static_cast<std::int64_t>(buffer.size()) != n * kChunk ||
            std::memcmp(buffer.data() + (n - 1) * kChunk, chunk, kChunk) != 0) {
            Check(state, false, "vector insert");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * n * kChunk);
    state.SetItemsProcessed(state.iterations() * n);
}

struct Sizes {
    std::vector<std::int64_t> lists;   // linked list reads
    std::vector<std::int64_t> strings; // short string lists
    std::vector<std::int64_t> appends; // pointer array: across growth steps
    std::vector<std::int64_t> writes;  // byte buffer: number of small writes
};

template <typename Fn>
void Register(const std::string& name, const std::vector<std::int64_t>& sizes, Fn fn) {
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name.c_str(), fn);
    for (std::int64_t n : sizes) {
        b->Arg(n);
    }
}

void RegisterAll(const Sizes& s) {
    Register("list_read_forward:LinkedList", s.lists,
             [](benchmark::State& st) { ListReadLinkedList(st, false); });
    Register("list_read_forward:std::list", s.lists,
             [](benchmark::State& st) { ListReadStd(st, false); });
    Register("list_read_reverse:LinkedList", s.lists,
             [](benchmark::State& st) { ListReadLinkedList(st, true); });
    Register("list_read_reverse:std::list", s.lists,
             [](benchmark::State& st) { ListReadStd(st, true); });
    Register("strings_add:StringList", s.strings, StringAddStringList);
    Register("strings_add:std::vector<std::string>", s.strings, StringAddStd);
    Register("strings_find_exact:StringList", s.strings,
             [](benchmark::State& st) { StringFindStringList(st, false); });
    Register("strings_find_exact:std::vector<std::string>", s.strings,
             [](benchmark::State& st) { StringFindStd(st, false); });
    Register("strings_find_substring:StringList", s.strings,
             [](benchmark::State& st) { StringFindStringList(st, true); });
    Register("strings_find_substring:std::vector<std::string>", s.strings,
             [](benchmark::State& st) { StringFindStd(st, true); });
    Register("strings_sort:StringList", s.strings, StringSortStringList);
    Register("strings_sort:std::vector<std::string>", s.strings, StringSortStd);
    Register("array_append:PtrArray", s.appends, AppendPtrArray);
    Register("array_append:std::vector", s.appends, AppendStdVector);
    Register("buffer_write16:MemBuffer", s.writes, WriteMemBuffer);
    Register("buffer_write16:std::vector<unsigned char>", s.writes, WriteStdVector);
}

} // namespace

int main(int argc, char** argv) {
    bool smoke = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            smoke = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    Sizes sizes;
    if (smoke) {
        sizes = {{100}, {8}, {10001}, {100}};
    } else {
        // Appends: one growth step, just past it, several, and many.
        sizes = {{1000, 100000},
                 {8, 32, 128, 512},
                 {1000, 10000, 10001, 100000, 1000000},
                 {100, 1000, 10000, 100000}};
    }
    RegisterAll(sizes);

    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return g_failed ? 1 : 0;
}
