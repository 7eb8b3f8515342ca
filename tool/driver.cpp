#include "tool/driver.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "containers/string_list.h"
#include "tool/console.h"
#include "tool/converter_command.h"
#include "tool/files.h"
#include "tool/processes.h"
#include "tool/runner.h"
#include "tool/scan_directory.h"
#include "tool/system_error.h"

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

std::string HelpText() {
    return std::string("Usage: morvel [options] <") + kConverterFile +
           " dir> <ps dir>\n"
           "Renders every *.ps file in <ps dir> to a JPEG file of the same base name beside\n"
           "it, running " +
           kConverterFile + " from <" + kConverterFile +
           " dir> once per file "
           "(jpeg device, 120 x 120 dpi).\n"
           "\n"
           "Options are read before the first directory only; arguments after <ps dir>\n"
           "are ignored.\n"
           "\n"
           "Options:\n"
           "  -j N, --jobs N, --jobs=N  run up to N converters at once (default 1); the\n"
           "                            output is the same as one at a time, file by file\n"
           "  --help                    show this text and exit\n"
           "  --version                 show the version and exit\n"
           "  --                        end of the options: a directory may begin with '-'\n"
           "\n"
           "Exit status: 0 when every file was converted, 1 for missing arguments or a\n"
           "bad option, 2 when a directory cannot be used or a file was not converted,\n"
           "128 + N when a converter was stopped by signal N.\n";
}

std::string Named(const std::string& arg) {
    return arg.empty() ? "\"\"" : arg;
}

// A converter that reports success has written its image only if the file
// is there and is not the one that was there before: another file, other
// stamps, or (where the stamps cannot tell within one clock tick) a write
// that the watch saw.
bool WrittenSince(const FileStamp& before, const FileStamp& after, int watched) {
    if (!after.exists) {
        return false;
    }
    if (!before.exists || before.volume != after.volume || before.file != after.file ||
        before.size != after.size || before.modified != after.modified) {
        return true;
    }
    return watched == 1;
}

// Every file this run reads or writes, so that no JPEG path reaches one of
// them a second time: the PostScript files by identity, and each image by
// identity once it exists and by where it will be created before that.
class Claims {
  public:
    void AddSource(const std::string& psPath, const FileStamp& stamp) {
        if (stamp.exists) {
            files_.emplace(Identity(stamp), Owner{psPath, std::string(), false});
        }
    }
    void AddImage(const std::string& jpgPath, const std::string& psPath, const FileStamp& stamp) {
        Owner owner{jpgPath, psPath, true};
        if (stamp.exists) {
            files_.emplace(Identity(stamp), owner);
        }
        if (stamp.located) {
            places_.emplace(WhereOf(stamp), owner);
        }
    }
    // Why jpgPath, as stamp shows it, must not be written; empty if it may.
    std::string Conflict(const std::string& jpgPath, const FileStamp& stamp) const {
        const Owner* owner = nullptr;
        if (stamp.exists) {
            auto found = files_.find(Identity(stamp));
            owner = found != files_.end() ? &found->second : nullptr;
        }
        if (owner == nullptr && stamp.located) {
            auto found = places_.find(WhereOf(stamp));
            owner = found != places_.end() ? &found->second : nullptr;
        }
        if (owner == nullptr) {
            return std::string();
        }
        if (owner->image && owner->path == jpgPath) {
            return jpgPath + " is also the image of " + owner->source;
        }
        return jpgPath + " is the same file as " + owner->path;
    }

  private:
    struct Owner {
        std::string path;   // the PostScript file, or the other image's path
        std::string source; // with an image: the PostScript file it is made from
        bool image;
    };
    using Id = std::pair<unsigned long long, unsigned long long>;
    using Where = std::tuple<unsigned long long, unsigned long long, std::string>;
    static Id Identity(const FileStamp& s) { return Id(s.volume, s.file); }
    static Where WhereOf(const FileStamp& s) { return Where(s.dirVolume, s.dirFile, s.leaf); }

    std::map<Id, Owner> files_;
    std::map<Where, Owner> places_;
};

// Why the entry must not run, or an empty string: a name the system reads
// as a device, an image path that is no regular file or that reaches a file
// this run reads or writes.
std::string Refusal(const Job& job, const Claims& claims) {
    std::string reason = DeviceNameReason(job.psPath);
    if (!reason.empty()) {
        return reason;
    }
    const FileStamp& image = job.before;
    if (!image.error.empty()) {
        return "cannot use " + job.jpgPath + ": " + image.error;
    }
    if (image.exists && !image.regular) {
        return job.jpgPath + " is " + image.kind + ", not a regular file";
    }
    return claims.Conflict(job.jpgPath, image);
}

// What a run has to say when it ends early.
struct Ending {
    int status = 0;     // 2 once anything failed
    int stopStatus = 0; // a converter was stopped by the user: the status to end with
};

// Writes what there is to say about the first file of the run, once it is
// done: its lines and its converter's output, then whether it failed.
void Finish(Job* job, bool captured, Claims* claims, Ending* end) {
    ConverterOutcome outcome = job->process.outcome;
    if (!job->refusal.empty()) {
        ReportError(job->psPath, job->refusal + "; not converted");
        end->status = 2;
        return;
    }
    const int watched = EndWriteWatch(job->watch);
    job->watch = nullptr;
    const FileStamp after = StampOf(job->jpgPath);
    claims->AddImage(job->jpgPath, job->psPath, after);
    if (outcome.ok && !WrittenSince(job->before, after, watched)) {
        outcome.ok = false;
        outcome.error = "the converter wrote no image";
    }
    if (captured) {
        WriteOut(job->head);
        std::string why;
        if (job->process.out >= 0 && !CopyCaptured(job->process.out, stdout, &why) &&
            outputLost.empty()) {
            outputLost = why;
        }
        FlushOut();
        if (job->process.err >= 0 && !CopyCaptured(job->process.err, stderr, &why)) {
            ReportError(job->psPath, "cannot copy the converter's messages: " + why);
        }
    }
    if (!outcome.ok) {
        ReportError(job->psPath, outcome.error);
        end->status = 2;
        if (outcome.stopRun && end->stopStatus == 0) {
            end->stopStatus = outcome.stopStatus;
        }
    }
}

// How far WriteFinished goes: the files already done, without waiting; as
// many as must go (waiting for each) to make room for another file; or
// every file, waiting for each.
enum class Until { kNoneDone, kRoom, kEnd };

// Writes the files at the head of the run in order, as far as until says.
void WriteFinished(Runner* runner, Until until, Claims* claims, Ending* end) {
    for (;;) {
        if (until == Until::kRoom && !runner->Full()) {
            return;
        }
        Job* first = runner->First(until != Until::kNoneDone);
        if (first == nullptr) {
            return;
        }
        Finish(first, runner->Captures(), claims, end);
        runner->DropFirst();
    }
}

// What the run holds, kept outside the part that may run out of memory so
// that an out-of-memory report can still name where it happened.
struct RunState {
    std::string psDir;
    std::unique_ptr<StringList> files;
    ScanReport scan;
};

int Convert(const std::string& gsDir, const std::string& psArg, int jobs, RunState* run,
            Place* at) {
    // Before anything is opened or run.
    std::string what, why;
    if (!PrepareStreams(&what, &why) || !PrepareSignals(&what, &why)) {
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
    Ending end;
    ScanDirectory(psDir.c_str(), "ps", files, 0, &scan);
    for (const ScanSkip& skip : scan.skipped) {
        ReportError(skip.path, skip.reason);
        end.status = 2;
    }
    if (scan.error != ERROR_SUCCESS && scan.error != ERROR_FILE_NOT_FOUND) {
        ReportError(psArg, "cannot search directory: " + scan.reason);
        return 2;
    }
    std::int32_t count = files->GetCount();
    auto suffixOf = [&scan](std::int32_t i) -> const std::string& {
        static const std::string kDefault = ".ps";
        const std::size_t index = static_cast<std::size_t>(i);
        return index < scan.suffixes.size() ? scan.suffixes[index] : kDefault;
    };

    // The working directory: the converter is named without a directory and
    // found in the Ghostscript directory.
    if (gsDir.empty() || !SetCurrentDirectoryA(gsDir.c_str())) {
        why = gsDir.empty() ? "no Ghostscript directory given" : LastErrorText();
        ReportError(Named(gsDir), "cannot enter Ghostscript directory: " + why);
        return 2;
    }
    const std::string program = ConverterProgram();

    // No image may be written over a PostScript file of the run.
    Claims claims;
    for (std::int32_t i = 0; i < count; ++i) {
        const char* entry = files->GetAt(i);
        const std::string psPath = PathInDirectory(psDir, std::string(entry) + suffixOf(i));
        if (DeviceNameReason(psPath).empty()) {
            claims.AddSource(psPath, StampOf(psPath));
        }
    }

    // One conversion per entry, up to jobs at once, each written out in
    // list order once it is done. Each read is one cursor step from the last.
    Runner runner(jobs);
    for (std::int32_t i = 0; i < count; ++i) {
        runner.WaitForRoom();
        WriteFinished(&runner, Until::kRoom, &claims, &end);
        if (StopSignal() != 0 || end.stopStatus != 0) {
            break;
        }
        const char* entry = files->GetAt(i);
        if (entry == nullptr) {
            break;
        }
        const std::string& suffix = suffixOf(i);
        at->name = entry;
        at->suffix = suffix.c_str();
        const std::string name = entry;
        Job job;
        job.psPath = PathInDirectory(psDir, name + suffix);
        job.jpgPath = PathInDirectory(psDir, name + ".jpg");
        job.before = StampOf(job.jpgPath);
        job.refusal = Refusal(job, claims);
        if (job.refusal.empty()) {
            claims.AddImage(job.jpgPath, job.psPath, job.before);
            job.args = ConverterArguments(program, job.jpgPath, job.psPath);
            job.head = "Converting " + name + suffix + " to " + name + ".jpg ...\n" +
                       CommandText(job.args);
            if (!runner.Captures()) {
                // The converter writes to the same stream: our lines go first.
                WriteOut(job.head);
                FlushOut();
            }
            job.watch = StartWriteWatch(job.jpgPath, job.before);
        }
        runner.Add(std::move(job));
        // Once the next converter runs: what is done meanwhile.
        WriteFinished(&runner, Until::kNoneDone, &claims, &end);
    }
    // The rest, as each is done; a stop has reached every converter running.
    WriteFinished(&runner, Until::kEnd, &claims, &end);
    at->name = nullptr;

    FlushOut();
    if (!outputLost.empty()) {
        ReportError("standard output", outputLost);
        end.status = 2;
    }
    if (StopSignal() != 0) {
        EndBySignal(StopSignal());
        return 128 + StopSignal();
    }
    return end.stopStatus != 0 ? end.stopStatus : end.status;
}

// The options, read before the first directory as getopt reads them:
// -j N, --jobs N, --jobs=N, --help, --version, and -- to end them.
// Returns -1 to go on with the directories from *first, or the exit status.
int ReadOptions(int argc, char** argv, int* first, int* jobs) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            break; // the first directory ("-" included)
        }
        if (arg == "--help") {
            WriteOut(HelpText());
            FlushOut();
            return outputLost.empty() ? 0 : 2;
        }
        if (arg == "--version") {
            WriteOut(std::string("morvel ") + MORVEL_VERSION + "\n");
            FlushOut();
            return outputLost.empty() ? 0 : 2;
        }
        std::string value;
        std::string option = arg;
        if (arg == "-j" || arg == "--jobs") {
            if (i + 1 >= argc) {
                ReportError(arg, "needs a number of converters");
                return 1;
            }
            value = argv[++i];
        } else if (arg.compare(0, 7, "--jobs=") == 0) {
            option = "--jobs";
            value = arg.substr(7);
        } else if (arg.compare(0, 2, "-j") == 0) {
            option = "-j";
            value = arg.substr(2);
        } else {
            ReportError(arg, "unknown option (morvel --help lists them)");
            return 1;
        }
        char* rest = nullptr;
        errno = 0;
        long n = value.empty() || value[0] < '0' || value[0] > '9'
                     ? 0
                     : std::strtol(value.c_str(), &rest, 10);
        if (n < 1 || errno != 0 || rest == nullptr || *rest != '\0' || n > 1000000) {
            ReportError(option, "'" + value + "' is not a number of converters (1 or more)");
            return 1;
        }
        *jobs = static_cast<int>(n);
    }
    *first = i;
    return -1;
}

} // namespace

int RunDriver(int argc, char** argv) {
    Place at;
    RunState run;
    try {
        int first = 1, jobs = 1;
        int status = ReadOptions(argc, argv, &first, &jobs);
        if (status >= 0) {
            return status;
        }
        if (argc - first < 2) {
            WriteOut(kUsageText);
            std::fflush(stdout);
            return 1;
        }
        // More at once than the system allows would fail files for want
        // of open files or handles.
        std::size_t allowed = MaxJobs();
        if (static_cast<std::size_t>(jobs) > allowed) {
            jobs = static_cast<int>(allowed);
        }
        at.directory = argv[first + 1];
        return Convert(argv[first], argv[first + 1], jobs, &run, &at);
    } catch (const std::bad_alloc&) {
        // The run stops; what was converted stays converted.
        ReportOutOfMemory(at);
        return 2;
    }
}
