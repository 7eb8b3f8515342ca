#include "tool/driver.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "containers/string_list.h"
#include "tool/converter_command.h"
#include "tool/host.h"
#include "tool/scan_directory.h"

namespace {

// File names may hold any byte; in a diagnostic a line break or other
// control character would split or garble the one line a log reader expects.
// Writes the form u takes in a message into out (at most 4 characters and a
// terminator), without taking memory.
void EscapeByte(unsigned char u, char out[5]) {
    static const char kHex[] = "0123456789abcdef";
    if (u >= 0x20 && u != 0x7F) {
        out[0] = static_cast<char>(u);
        out[1] = '\0';
    } else if (u == '\n' || u == '\t' || u == '\r') {
        out[0] = '\\';
        out[1] = u == '\n' ? 'n' : (u == '\t' ? 't' : 'r');
        out[2] = '\0';
    } else {
        out[0] = '\\';
        out[1] = 'x';
        out[2] = kHex[u >> 4];
        out[3] = kHex[u & 0xF];
        out[4] = '\0';
    }
}

std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        char escaped[5];
        EscapeByte(static_cast<unsigned char>(c), escaped);
        out += escaped;
    }
    return out;
}

// Every diagnostic: one line on stderr, "morvel: <what>: <why>".
void ReportError(const std::string& what, const std::string& why) {
    WriteText(stderr, "morvel: " + Printable(what) + ": " + Printable(why) + "\n");
    std::fflush(stderr);
}

// What an out-of-memory report names: the PostScript directory and, during
// a conversion, the entry. Plain pointers into what outlives the failure, so
// that the report itself needs no memory.
struct Place {
    const char* directory = nullptr;
    bool separator = false; // a separator goes between directory and name
    const char* name = nullptr;
    const char* suffix = nullptr;
};

void PutPrintable(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        char escaped[5];
        EscapeByte(static_cast<unsigned char>(*p), escaped);
        std::fputs(escaped, stderr);
    }
}

void ReportOutOfMemory(const Place& at) {
    std::fputs("morvel: ", stderr);
    if (at.directory != nullptr) {
        PutPrintable(at.directory);
        if (at.name != nullptr) {
            if (at.separator) {
                std::fputc(kPathSeparator, stderr);
            }
            PutPrintable(at.name);
            PutPrintable(at.suffix);
        }
        std::fputs(": ", stderr);
    }
    std::fputs("out of memory\n", stderr);
    std::fflush(stderr);
}

// Progress and commands: the real bytes, names included. The first lost
// write's reason is kept for the exit status.
std::string outputLost;

void WriteOut(const std::string& text) {
    std::string why;
    if (!WriteText(stdout, text, &why) && outputLost.empty()) {
        outputLost = why.empty() ? "write failed" : why;
    }
}

void FlushOut() {
    std::string why;
    if (!FlushText(stdout, &why) && outputLost.empty()) {
        outputLost = why;
    }
}

std::string Named(const std::string& arg) {
    return arg.empty() ? "\"\"" : arg;
}

// A converter that reports success has written its image only if the file
// is there and is not the one that was there before.
bool WrittenSince(const FileStamp& before, const FileStamp& after) {
    if (!after.exists) {
        return false;
    }
    return !before.exists || before.volume != after.volume || before.file != after.file ||
           before.size != after.size || before.modified != after.modified;
}

// What the run holds, kept outside the part that may run out of memory so
// that an out-of-memory report can still name where it happened.
struct RunState {
    std::string psDir;
    std::unique_ptr<StringList> files;
    ScanReport scan;
};

int Convert(const std::string& gsDir, const std::string& psArg, RunState* run, Place* at) {
    // Before anything is opened or run.
    std::string what, why;
    if (!PrepareProcess(&what, &why)) {
        ReportError(what, why);
        return 2;
    }

    // The PostScript directory, absolute from where morvel was started, so it
    // names the same directory after the working directory changes.
    if (psArg.empty()) {
        ReportError(Named(psArg), "no PostScript directory given");
        return 2;
    }
    if (!AbsoluteDirectory(psArg, gsDir, &run->psDir, &why)) {
        ReportError(psArg, why);
        return 2;
    }
    const std::string& psDir = run->psDir;
    at->directory = psDir.c_str();
    at->separator = !EndsInSeparator(psDir);

    // The scan into the list.
    run->files.reset(new StringList);
    StringList* files = run->files.get();
    ScanReport& scan = run->scan;
    int status = 0;
    ScanDirectory(psDir.c_str(), "ps", files, 0, &scan);
    for (const ScanSkip& skip : scan.skipped) {
        ReportError(skip.path, skip.reason);
        status = 2;
    }
    if (scan.error != ERROR_SUCCESS && scan.error != ERROR_FILE_NOT_FOUND) {
        ReportError(psArg, "cannot search directory: " + scan.reason);
        return 2;
    }

    // The working directory: the converter is named without a directory and
    // found in the Ghostscript directory.
    if (gsDir.empty() || !SetCurrentDirectoryA(gsDir.c_str())) {
        why = gsDir.empty() ? "no Ghostscript directory given" : LastErrorText();
        ReportError(Named(gsDir), "cannot enter Ghostscript directory: " + why);
        return 2;
    }
    const std::string program = ConverterProgram();

    // One conversion per entry. Each read is one cursor step from the last.
    std::set<std::string> images; // the JPEG base names this run has written
    std::int32_t count = files->GetCount();
    for (std::int32_t i = 0; i < count; ++i) {
        const char* entry = files->GetAt(i);
        if (entry == nullptr) {
            break;
        }
        const std::size_t index = static_cast<std::size_t>(i);
        const std::string& suffix = index < scan.suffixes.size() ? scan.suffixes[index] : ".ps";
        at->name = entry;
        at->suffix = suffix.c_str();
        const std::string name = entry;
        const std::string psPath = PathInDirectory(psDir, name + suffix);
        const std::string jpgPath = PathInDirectory(psDir, name + ".jpg");

        // Entries that must not run: a name the system reads as a device (the
        // image's name has the same stem), and a second file that would
        // overwrite this run's image (A.ps, A.PS).
        std::string refused = DeviceNameReason(psPath);
        if (refused.empty() && !images.insert(name).second) {
            refused = "would overwrite " + name + ".jpg, written from another file in this run";
        }
        if (!refused.empty()) {
            ReportError(psPath, refused + "; not converted");
            status = 2;
            continue;
        }

        WriteOut("Converting " + name + suffix + " to " + name + ".jpg ...\n");
        const std::vector<std::string> args = ConverterArguments(program, jpgPath, psPath);
        WriteOut(CommandText(args));
        // The converter writes to the same stream: our lines go first.
        FlushOut();

        const FileStamp before = StampOf(jpgPath);
        ConverterOutcome outcome = RunConverter(args);
        if (outcome.ok && !WrittenSince(before, StampOf(jpgPath))) {
            outcome.ok = false;
            outcome.error = "the converter wrote no image";
        }
        if (!outcome.ok) {
            ReportError(psPath, outcome.error);
            status = 2;
            if (outcome.stopRun) {
                return outcome.stopStatus;
            }
        }
    }
    at->name = nullptr;

    FlushOut();
    if (!outputLost.empty()) {
        ReportError("standard output", outputLost);
        status = 2;
    }
    return status;
}

} // namespace

int RunDriver(int argc, char** argv) {
    Place at;
    RunState run;
    try {
        if (argc < 3) {
            WriteOut(kUsageText);
            std::fflush(stdout);
            return 1;
        }
        at.directory = argv[2];
        return Convert(argv[1], argv[2], &run, &at);
    } catch (const std::bad_alloc&) {
        // The run stops; what was converted stays converted.
        ReportOutOfMemory(at);
        return 2;
    }
}
