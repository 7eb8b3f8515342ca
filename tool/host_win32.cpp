// Windows form of the tool: Ghostscript's console program is gswin32c.exe,
// the separator is the backslash, and each command runs through the command
// interpreter, which finds the bare program name in the working directory
// (the Ghostscript directory) before it searches PATH.
#include "tool/host.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char kPathSeparator = '\\';
const char* const kConverterName = "gswin32c.exe";
const char* const kUsageText = "morvel [gswin32c dir] [ps dir]";

namespace {

// cmd.exe refuses longer command lines and would run nothing.
const std::size_t kMaxCommandLine = 8191;

// What cmd.exe reports for a program ended by Ctrl+C or Ctrl+Break.
const unsigned kControlCExit = 0xC000013Au;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace

bool IsAbsolutePath(const char* path) {
    if (path == nullptr) {
        return false;
    }
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        return true; // \\server\share or \\?\...
    }
    bool drive = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    return drive && path[1] == ':' && IsSeparator(path[2]);
}

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result;
    if (n != 0 && text != nullptr) {
        result.assign(text, n);
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    if (result.empty()) {
        result = "system error " + std::to_string(code);
    }
    return result;
}

ConverterOutcome RunConverter(const std::vector<std::string>&, const std::string& commandLine) {
    ConverterOutcome outcome{false, false, 0, std::string()};
    if (commandLine.size() > kMaxCommandLine) {
        outcome.error = "command line of " + std::to_string(commandLine.size()) +
                        " characters is longer than the command interpreter accepts (" +
                        std::to_string(kMaxCommandLine) + "); not run";
        return outcome;
    }
    errno = 0;
    int rc = std::system(commandLine.c_str());
    if (rc == -1) {
        outcome.error =
            std::string("cannot start the command interpreter: ") + std::strerror(errno);
        return outcome;
    }
    if (rc == 0) {
        outcome.ok = true;
        return outcome;
    }
    unsigned code = static_cast<unsigned>(rc);
    if (code == kControlCExit) {
        outcome.error = "converter interrupted (Ctrl+C)";
        outcome.stopRun = true;
        outcome.stopStatus = rc;
        return outcome;
    }
    outcome.error = "converter exited with status " + std::to_string(rc);
    return outcome;
}
