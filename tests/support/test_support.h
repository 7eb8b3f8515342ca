// Helpers for the tests: scratch directories, files, running a program with
// its output captured, and what several unit tests need alike (the failure
// switch turned off, message boxes taken, wide text, container contents).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class PtrArray;
class StringList;

// The separator the host's paths use.
extern const char kTestSeparator;

std::string JoinPath(const std::string& dir, const std::string& name);

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string Sub(const std::string& name) const { return JoinPath(path_, name); }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void MakeDir(const std::string& path);
void MakeExecutable(const std::string& path);
// Names of the directory's entries, "." and ".." left out, sorted.
std::vector<std::string> ListDir(const std::string& path);

struct ProcessResult {
    bool started = false;
    bool exited = false; // ended by exit (status valid)
    int status = -1;     // exit status
    int signal = 0;      // POSIX: the signal that ended it
    std::string out;     // everything written to stdout, byte for byte
    std::string err;     // everything written to stderr
};

// Runs argv[0] with the arguments that follow, in cwd (empty: the current
// directory), with extra environment settings "NAME=value" added, and waits.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& cwd = "",
                         const std::vector<std::string>& extraEnv = {});

// A record of the stand-in converter's calls, as it logs them.
struct ConverterCall {
    std::string cwd;
    std::vector<std::string> args; // without argv[0]
};
std::vector<ConverterCall> ReadConverterLog(const std::string& logPath);

// Turns the allocation failure switch off when it goes, however the test
// ends.
struct AllocFailureOff {
    ~AllocFailureOff();
};

// What the last message box taken would have shown, and how many were taken.
struct ShownBox {
    int calls = 0;
    const void* owner = reinterpret_cast<const void*>(1); // not yet set
    std::string text;
    std::string caption;
    unsigned style = 0;
};

// Takes every message box shown while it lives: nothing is shown, and each
// box is answered with answer, as if that button had been pressed.
class BoxCapture {
  public:
    explicit BoxCapture(int answer);
    ~BoxCapture();
    BoxCapture(const BoxCapture&) = delete;
    BoxCapture& operator=(const BoxCapture&) = delete;

    const ShownBox& shown() const { return shown_; }

  private:
    static int Take(void* context, const void* owner, const char* text, const char* caption,
                    unsigned style);

    ShownBox shown_;
    int answer_;
};

// Wide text made of the given units.
std::wstring Units(std::initializer_list<unsigned> units);

// A wide buffer of n units holding text and its terminator, the rest a
// marker ('#').
std::vector<wchar_t> WideBuffer(std::size_t n, const std::wstring& text = std::wstring());

// The entries of a container, in order.
std::vector<std::string> Texts(StringList& list);
std::vector<std::intptr_t> Values(const PtrArray& array);
