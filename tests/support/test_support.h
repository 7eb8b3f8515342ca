// Helpers for the tests: scratch directories, files, and running a program
// with its output captured.
#pragma once

#include <string>
#include <vector>

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
