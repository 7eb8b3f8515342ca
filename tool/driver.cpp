#include "tool/driver.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "containers/string_list.h"
#include "tool/converter_command.h"
#include "tool/host.h"
#include "tool/scan_directory.h"

namespace {

// File names may hold any byte; in a diagnostic a line break or other
// control character would split or garble the one line a log reader expects.
std::string Printable(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    return out;
}

// Every diagnostic: one line on stderr, "morvel: <what>: <why>".
void ReportError(const std::string& what, const std::string& why) {
    WriteText(stderr, "morvel: " + Printable(what) + ": " + Printable(why) + "\n");
    std::fflush(stderr);
}

// Progress and commands: the real bytes, names included. A lost write is
// remembered for the exit status.
bool outputLost = false;

void WriteOut(const std::string& text) {
    if (!WriteText(stdout, text)) {
        outputLost = true;
    }
}

std::string Named(const std::string& arg) {
    return arg.empty() ? "\"\"" : arg;
}

} // namespace

int RunDriver(int argc, char** argv) {
    // Arguments.
    if (argc < 3) {
        WriteOut(kUsageText);
        std::fflush(stdout);
        return 1;
    }
    const std::string gsDir = argv[1];
    const std::string psArg = argv[2];

    // The PostScript directory, absolute from where morvel was started, so it
    // names the same directory after the working directory changes.
    if (psArg.empty()) {
        ReportError(Named(psArg), "no PostScript directory given");
        return 2;
    }
    std::string psDir;
    DWORD error = ERROR_SUCCESS;
    if (!AbsoluteDirectory(psArg, gsDir, &psDir, &error)) {
        ReportError(psArg, SystemErrorText(error));
        return 2;
    }

    // The scan into the list.
    std::unique_ptr<StringList> files(new (std::nothrow) StringList);
    if (!files) {
        ReportError(psArg, "out of memory");
        return 2;
    }
    int status = 0;
    ScanReport scan;
    ScanDirectory(psDir.c_str(), "ps", files.get(), 0, &scan);
    for (const ScanSkip& skip : scan.skipped) {
        ReportError(skip.path, skip.reason);
        status = 2;
    }
    if (scan.error != ERROR_SUCCESS && scan.error != ERROR_FILE_NOT_FOUND) {
        ReportError(psArg, "cannot search directory: " + SystemErrorText(scan.error));
        return 2;
    }

    // The working directory: the converter is named without a directory and
    // found in the Ghostscript directory.
    if (gsDir.empty() || !SetCurrentDirectoryA(gsDir.c_str())) {
        error = gsDir.empty() ? ERROR_PATH_NOT_FOUND : GetLastError();
        ReportError(Named(gsDir), "cannot enter Ghostscript directory: " + SystemErrorText(error));
        return 2;
    }
    const std::string program = ConverterProgram();

    // One conversion per entry. Each read is one cursor step from the last.
    std::int32_t count = files->GetCount();
    for (std::int32_t i = 0; i < count; ++i) {
        const char* entry = files->GetAt(i);
        if (entry == nullptr) {
            break;
        }
        const std::string name = entry;
        WriteOut("Converting " + name + ".ps to " + name + ".jpg ...\n");

        const std::string base = psDir + kPathSeparator + name;
        const std::vector<std::string> args =
            ConverterArguments(program, base + ".jpg", base + ".ps");
        WriteOut(CommandText(args));
        // The converter writes to the same stream: our lines go first.
        std::fflush(stdout);

        ConverterOutcome outcome = RunConverter(args);
        if (!outcome.ok) {
            ReportError(base + ".ps", outcome.error);
            status = 2;
            if (outcome.stopRun) {
                return outcome.stopStatus;
            }
        }
    }

    if (std::fflush(stdout) != 0 || std::ferror(stdout) || outputLost) {
        ReportError("standard output", "write failed");
        status = 2;
    }
    return status;
}
