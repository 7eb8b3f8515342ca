#include "tests/support/test_support.h"

#include <cstring>
#include <thread>

#include "platform/win32.h"

const char kTestSeparator = '\\';

namespace {

// Quotes one argument so that the C runtime's command-line parser hands it
// back unchanged.
std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        return arg;
    }
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

char ToUpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The inherited environment with the given settings replacing those of the
// same name (names compare without regard to case on Windows).
std::string EnvironmentBlock(const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; p != nullptr && *p != '\0'; p += std::strlen(p) + 1) {
        std::string entry = p;
        std::string name = entry.substr(0, entry.find('=', 1));
        bool replaced = false;
        for (const std::string& x : extra) {
            replaced = replaced || SameName(x.substr(0, x.find('=', 1)), name);
        }
        if (!replaced) {
            entries.push_back(entry);
        }
    }
    if (block != nullptr) {
        FreeEnvironmentStringsA(block);
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    std::string result;
    for (const std::string& e : entries) {
        result += e;
        result += '\0';
    }
    result += '\0';
    return result;
}

void Drain(HANDLE pipe, std::string* sink) {
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(pipe, buf, sizeof buf, &n, nullptr) && n > 0) {
        sink->append(buf, n);
    }
}

} // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& cwd,
                         const std::vector<std::string>& extraEnv) {
    ProcessResult result;
    if (argv.empty()) {
        return result;
    }
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead, &outWrite, &sa, 0)) {
        return result;
    }
    if (!CreatePipe(&errRead, &errWrite, &sa, 0)) {
        CloseHandle(outRead);
        CloseHandle(outWrite);
        return result;
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    std::string program = argv[0];
    for (char& c : program) {
        if (c == '/') {
            c = '\\';
        }
    }
    std::string commandLine = QuoteArgument(program);
    for (std::size_t i = 1; i < argv.size(); ++i) {
        commandLine += ' ';
        commandLine += QuoteArgument(argv[i]);
    }
    std::string env = EnvironmentBlock(extraEnv);

    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof pi);
    BOOL ok = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, &env[0],
                             cwd.empty() ? nullptr : cwd.c_str(), &si, &pi);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (ok) {
        result.started = true;
        // Both pipes at once, so a child that fills one never blocks.
        std::thread errThread(Drain, errRead, &result.err);
        Drain(outRead, &result.out);
        errThread.join();
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        result.exited = true;
        result.status = static_cast<int>(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}
