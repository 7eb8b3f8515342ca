// A stand-in for Ghostscript's console program. It appends a record of its
// working directory and arguments to the file named by FAKE_GS_LOG, then
// behaves as the environment asks:
//   FAKE_GS_MATCH    only calls whose arguments contain this text misbehave
//   FAKE_GS_EXIT     exit with this status
//   FAKE_GS_SIGNAL   raise this signal
//   FAKE_GS_FLOOD    write this many bytes to stdout first
//   FAKE_GS_NO_IMAGE when set, write no output file; otherwise the file
//                    named after -o is written (with "%%" read back as "%",
//                    as Ghostscript does)
//   FAKE_GS_INPUT    when set, fail (status 1) if the input file is missing,
//                    as Ghostscript does
//   FAKE_GS_REMOVE   remove this path (recursively) before anything else
//   FAKE_GS_CLOSE    when set, close stdin, stdout and stderr first
//   FAKE_GS_SIGNALS  append to this file which of SIGINT, SIGTERM and
//                    SIGCHLD it was started with ignored, and (POSIX) whether
//                    SIGUSR1 was blocked
//   FAKE_GS_FDS      (POSIX) append to this file which of descriptors 0, 1
//                    and 2 it was started with open
//   FAKE_GS_PRINT    when set, print "out <input>" on stdout and "err <input>"
//                    on stderr
//   FAKE_GS_SLEEP_MS sleep this long first; a stop reaches it asleep
//   FAKE_GS_REVERSE  sleep this many milliseconds for each *.ps file after
//                    the input in its directory's order, so that files
//                    started together end in reverse order
//   FAKE_GS_SAME_STAMP when set, the image is rewritten with its size and
//                    modification time as they were, as on a file system
//                    with coarse timestamps
//   FAKE_GS_PAGES    with "%d" in the output name, write this many pages
//                    (default 1), as Ghostscript does for one file per page
//   FAKE_GS_CONTENT  the image holds this file's bytes ("fake jpeg" without)
//   FAKE_GS_HANG_MS  after writing the image, sleep this long (a converter
//                    that will not end)
//   FAKE_GS_OTHERS_MS calls that FAKE_GS_MATCH leaves out sleep this long
//   FAKE_GS_IGNORE_TERM (POSIX) when set, ignore SIGTERM
//   FAKE_GS_PIDS     append the process id to this file
//   FAKE_GS_INTERLEAVE when set, print "1 out", "2 err", "3 out", "4 err",
//                    each line flushed to its stream in turn
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "platform/win32.h"
#include <shellapi.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif
#include <fstream>
#include <sstream>

namespace {

// Ghostscript on Windows reads its wide command line, whatever the code
// page; so does the stand-in, and works on the UTF-8 of each argument.
std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> args;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i) {
        int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &utf8[0], n, nullptr, nullptr);
        utf8.resize(utf8.size() - 1);
        args.push_back(utf8);
    }
    LocalFree(wide);
#else
    args.assign(argv, argv + argc);
#endif
    return args;
}

void Record(std::string* log, const std::string& item) {
    *log += std::to_string(item.size()) + ":" + item + "\n";
}

// Appends text to the file in one write, so that stand-ins running side by
// side never mix their records. On Windows the append is done under a lock:
// neither the C runtime's append nor Wine's FILE_APPEND_DATA finds the end
// and writes in one step, so two records could land at one offset.
void Append(const char* path, const std::string& text) {
#ifdef _WIN32
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        OVERLAPPED whole;
        std::memset(&whole, 0, sizeof whole);
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
            LARGE_INTEGER end;
            end.QuadPart = 0;
            DWORD written = 0;
            if (SetFilePointerEx(file, end, nullptr, FILE_END)) {
                WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            }
            UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
        }
        CloseHandle(file);
    }
#else
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd >= 0) {
        ssize_t written = write(fd, text.data(), text.size());
        (void)written;
        close(fd);
    }
#endif
}

// How many *.ps files come after path in its directory's order.
long FilesAfter(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path input(path);
    long after = -1;
    for (const fs::directory_entry& e : fs::directory_iterator(input.parent_path(), ec)) {
        if (e.path().extension() != ".ps") {
            continue;
        }
        if (after >= 0) {
            ++after;
        } else if (e.path().filename() == input.filename()) {
            after = 0;
        }
    }
    return after < 0 ? 0 : after;
}

// A file's modification time in the system's own unit, to the last digit
// (the C runtime's stat keeps whole seconds on Windows).
#ifdef _WIN32
using Stamp = FILETIME;
HANDLE OpenForStamp(const std::string& path) {
    std::wstring wide(path.size() + 1, L'\0');
    int n =
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 1);
    return CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}
bool GetStamp(const std::string& path, Stamp* stamp) {
    HANDLE h = OpenForStamp(path);
    bool got = h != INVALID_HANDLE_VALUE && GetFileTime(h, nullptr, nullptr, stamp);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    }
    return got;
}
void SetStamp(const std::string& path, const Stamp& stamp) {
    HANDLE h = OpenForStamp(path);
    if (h != INVALID_HANDLE_VALUE) {
        SetFileTime(h, nullptr, nullptr, &stamp);
        CloseHandle(h);
    }
}
#else
using Stamp = std::filesystem::file_time_type;
bool GetStamp(const std::string& path, Stamp* stamp) {
    std::error_code ec;
    *stamp = std::filesystem::last_write_time(path, ec);
    return !ec;
}
void SetStamp(const std::string& path, const Stamp& stamp) {
    std::error_code ec;
    std::filesystem::last_write_time(path, stamp, ec);
}
#endif

void SleepMs(long ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The output name with "%%" read back as "%"; *page is where a page
// number's "%d" stands in it, or npos.
std::string Untemplate(const std::string& name, std::string::size_type* page) {
    std::string out;
    *page = std::string::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 1 < name.size() && name[i + 1] == 'd') {
            *page = out.size();
        }
        out += name[i];
        if (name[i] == '%' && i + 1 < name.size() && name[i + 1] == '%') {
            ++i;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    // Looked at before anything is opened, which would take a closed slot.
#ifndef _WIN32
    if (const char* path = std::getenv("FAKE_GS_FDS")) {
        bool open[3];
        for (int fd = 0; fd < 3; ++fd) {
            open[fd] = fcntl(fd, F_GETFD) != -1;
        }
        if (std::FILE* f = std::fopen(path, "ab")) {
            for (int fd = 0; fd < 3; ++fd) {
                std::fprintf(f, "%d=%s\n", fd, open[fd] ? "open" : "closed");
            }
            std::fclose(f);
        }
    }
#endif
    // args[0] is the program; the converter's arguments follow.
    const std::vector<std::string> args = Arguments(argc, argv);
    const char* logPath = std::getenv("FAKE_GS_LOG");
    if (logPath != nullptr) {
        std::error_code ec;
        std::string log = "CALL\n";
        Record(&log, std::filesystem::current_path(ec).string());
        for (std::size_t i = 1; i < args.size(); ++i) {
            Record(&log, args[i]);
        }
        Append(logPath, log);
    }

    if (const char* path = std::getenv("FAKE_GS_SIGNALS")) {
        if (std::FILE* f = std::fopen(path, "ab")) {
            std::vector<int> signals = {SIGINT, SIGTERM};
#ifndef _WIN32
            signals.push_back(SIGCHLD);
#endif
            for (int sig : signals) {
                void (*previous)(int) = std::signal(sig, SIG_IGN);
                std::fprintf(f, "%d=%s\n", sig, previous == SIG_IGN ? "ignored" : "default");
                std::signal(sig, previous);
            }
#ifndef _WIN32
            sigset_t mask;
            sigprocmask(SIG_BLOCK, nullptr, &mask);
            std::fprintf(f, "SIGUSR1=%s\n", sigismember(&mask, SIGUSR1) ? "blocked" : "unblocked");
#endif
            std::fclose(f);
        }
    }
    if (const char* path = std::getenv("FAKE_GS_PIDS")) {
#ifdef _WIN32
        Append(path, std::to_string(GetCurrentProcessId()) + "\n");
#else
        Append(path, std::to_string(getpid()) + "\n");
#endif
    }
#ifndef _WIN32
    if (std::getenv("FAKE_GS_IGNORE_TERM") != nullptr) {
        std::signal(SIGTERM, SIG_IGN);
    }
#endif
    if (const char* victim = std::getenv("FAKE_GS_REMOVE")) {
        std::error_code ec;
        std::filesystem::remove_all(victim, ec);
    }
    if (std::getenv("FAKE_GS_CLOSE") != nullptr) {
        std::fclose(stdin);
        std::fclose(stdout);
        std::fclose(stderr);
    }
    if (std::getenv("FAKE_GS_INPUT") != nullptr && args.size() > 1) {
        std::error_code ec;
        if (!std::filesystem::exists(args.back(), ec)) {
            return 1;
        }
    }

    bool misbehave = true;
    if (const char* match = std::getenv("FAKE_GS_MATCH")) {
        misbehave = false;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i].find(match) != std::string::npos) {
                misbehave = true;
            }
        }
    }

    if (const char* ms = std::getenv("FAKE_GS_OTHERS_MS")) {
        if (!misbehave) {
            SleepMs(std::atol(ms));
        }
    }
    if (const char* ms = std::getenv("FAKE_GS_SLEEP_MS")) {
        SleepMs(std::atol(ms));
    }
    if (const char* ms = std::getenv("FAKE_GS_REVERSE")) {
        SleepMs(std::atol(ms) * FilesAfter(args.back()));
    }
    if (std::getenv("FAKE_GS_PRINT") != nullptr && args.size() > 1) {
        std::printf("out %s\n", args.back().c_str());
        std::fprintf(stderr, "err %s\n", args.back().c_str());
        std::fflush(nullptr);
    }

    if (std::getenv("FAKE_GS_INTERLEAVE") != nullptr) {
        for (int line = 1; line <= 4; ++line) {
            std::FILE* stream = line % 2 == 1 ? stdout : stderr;
            std::fprintf(stream, "%d %s\n", line, line % 2 == 1 ? "out" : "err");
            std::fflush(stream);
        }
    }

    if (std::getenv("FAKE_GS_NO_IMAGE") == nullptr) {
        std::string content = "fake jpeg";
        if (const char* from = std::getenv("FAKE_GS_CONTENT")) {
            std::ifstream in(from, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            content = bytes.str();
        }
        for (std::size_t i = 1; i + 1 < args.size(); ++i) {
            if (args[i] != "-o") {
                continue;
            }
            std::string::size_type page = std::string::npos;
            const std::string name = Untemplate(args[i + 1], &page);
            const long pages = page == std::string::npos ? 1
                               : std::getenv("FAKE_GS_PAGES") != nullptr
                                   ? std::atol(std::getenv("FAKE_GS_PAGES"))
                                   : 1;
            for (long n = 1; n <= pages; ++n) {
                const std::string image =
                    page == std::string::npos
                        ? name
                        : name.substr(0, page) + std::to_string(n) + name.substr(page + 2);
                const bool keepStamp = std::getenv("FAKE_GS_SAME_STAMP") != nullptr;
                Stamp stamp;
                bool stamped = keepStamp && GetStamp(image, &stamp);
                std::FILE* out = std::fopen(image.c_str(), "wb");
                if (out != nullptr) {
                    std::fwrite(content.data(), 1, content.size(), out);
                    std::fclose(out);
                }
                if (stamped) {
                    SetStamp(image, stamp);
                }
            }
        }
    }
    if (const char* ms = std::getenv("FAKE_GS_HANG_MS")) {
        if (misbehave) {
            SleepMs(std::atol(ms));
        }
    }

    if (!misbehave) {
        return 0;
    }
    if (const char* flood = std::getenv("FAKE_GS_FLOOD")) {
        long n = std::atol(flood);
        std::string block(4096, 'x');
        for (long written = 0; written < n; written += 4096) {
            std::fwrite(block.data(), 1, block.size(), stdout);
        }
        std::fflush(stdout);
    }
    if (const char* sig = std::getenv("FAKE_GS_SIGNAL")) {
        std::fflush(nullptr);
        std::signal(std::atoi(sig), SIG_DFL);
        std::raise(std::atoi(sig));
    }
    if (const char* status = std::getenv("FAKE_GS_EXIT")) {
        return std::atoi(status);
    }
    return 0;
}
