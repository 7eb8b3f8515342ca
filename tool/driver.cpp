#include "tool/driver.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "containers/string_list.h"
#include "tool/host.h"
#include "tool/messages.h"
#include "tool/scan_directory.h"

namespace {

// A relative directory is made absolute before the working directory
// changes, so that it names the same directory for the scan and the
// converter. One that names the same directory from there (an absolute one)
// is used exactly as given.
bool ResolveDirectory(const char* given, const char* workingDir, std::string* out) {
    if (IsAbsolutePath(given) || MeansTheSameIn(given, workingDir)) {
        *out = given;
        return true;
    }
    DWORD needed = GetFullPathNameA(given, 0, nullptr, nullptr);
    if (needed == 0) {
        return false;
    }
    std::vector<char> buffer(needed);
    DWORD written = GetFullPathNameA(given, needed, buffer.data(), nullptr);
    if (written == 0 || written >= needed) {
        return false;
    }
    out->assign(buffer.data(), written);
    return true;
}

void WriteOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace

std::string EscapeOutputTemplate(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    return out;
}

int RunDriver(int argc, char** argv) {
    PrepareStandardStreams();
    if (argc < 3) {
        std::fputs(kUsageText, stdout);
        std::fflush(stdout);
        return 1;
    }
    const char* gsDir = argv[1];
    const char* psArg = argv[2];
    if (psArg[0] == '\0') {
        ReportError("\"\"", "no PostScript directory given");
        return 2;
    }
    std::string psDir;
    if (!ResolveDirectory(psArg, gsDir, &psDir)) {
        ReportError(psArg, SystemErrorText(GetLastError()));
        return 2;
    }

    std::unique_ptr<StringList> files(new (std::nothrow) StringList);
    if (!files) {
        ReportError(psArg, "out of memory");
        return 2;
    }
    int status = 0;
    ScanReport scan;
    ScanDirectory(psDir.c_str(), "ps", files.get(), 0, &scan);
    if (scan.error != ERROR_SUCCESS && scan.error != ERROR_FILE_NOT_FOUND) {
        ReportError(psArg, "cannot search directory: " + SystemErrorText(scan.error));
        return 2;
    }
    if (scan.refused > 0) {
        status = 2;
    }

    // The converter is named without a directory; it is found in the
    // Ghostscript directory because that becomes the working directory.
    if (gsDir[0] == '\0' || !SetCurrentDirectoryA(gsDir)) {
        DWORD err = gsDir[0] == '\0' ? ERROR_PATH_NOT_FOUND : GetLastError();
        ReportError(gsDir[0] == '\0' ? "\"\"" : gsDir,
                    "cannot enter Ghostscript directory: " + SystemErrorText(err));
        return 2;
    }

    std::int32_t count = files->GetCount();
    for (std::int32_t i = 0; i < count; ++i) {
        // One read per entry: the next index is one cursor step away.
        const char* entry = files->GetAt(i);
        if (entry == nullptr) {
            break;
        }
        std::string name = entry;
        WriteOut("Converting " + name + ".ps to " + name + ".jpg ...\n");

        std::string base = psDir + kPathSeparator + name;
        std::string psPath = base + ".ps";
        std::string jpgArg = EscapeOutputTemplate(base + ".jpg");
        std::string command = std::string(kConverterName) + " -sDEVICE=jpeg -r120*120 -o \"" +
                              jpgArg + "\" \"" + psPath + "\"";
        WriteOut(command);
        // The converter writes to the same stream: our lines go first.
        std::fflush(stdout);

        std::vector<std::string> args = {"-sDEVICE=jpeg", "-r120*120", "-o", jpgArg, psPath};
        ConverterOutcome outcome = RunConverter(args, command);
        if (!outcome.ok) {
            ReportError(psPath, outcome.error);
            status = 2;
            if (outcome.stopRun) {
                return outcome.stopStatus;
            }
        }
    }

    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        ReportError("standard output", "write failed");
        status = 2;
    }
    return status;
}
