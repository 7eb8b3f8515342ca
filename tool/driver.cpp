#include "tool/driver.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "containers/string_list.h"
#include "tool/claims.h"
#include "tool/console.h"
#include "tool/conversion.h"
#include "tool/files.h"
#include "tool/options.h"
#include "tool/processes.h"
#include "tool/reports.h"
#include "tool/runner.h"
#include "tool/scan_directory.h"
#include "tool/system_error.h"

namespace {

std::string Named(const std::string& arg) {
    return arg.empty() ? "\"\"" : arg;
}

// How far WriteFinished goes: the files already done, without waiting; as
// many as must go (waiting for each) to make room for another file; or
// every file, waiting for each.
enum class Until { kNoneDone, kRoom, kEnd };

// Writes the files at the head of the run in order, as far as until says.
// Once a converter stopped by someone else has ended the run, the files after
// it are not written, as a run of one at a time would never have started them.
void WriteFinished(const JobRules& rules, Runner* runner, Until until, Claims* claims,
                   StandardOutput* out, Ending* end) {
    for (;;) {
        if (until == Until::kRoom && !runner->Full()) {
            return;
        }
        Job* first = runner->First(until != Until::kNoneDone);
        if (first == nullptr) {
            return;
        }
        const bool quiet = end->stopStatus != 0 && StopSignal() == 0;
        FinishJob(rules, first, runner->Captures(), quiet, claims, out, end);
        runner->DropFirst();
    }
}

// What the run holds, kept outside the part that may run out of memory so
// that an out-of-memory report can still name where it happened.
struct RunState {
    Settings settings;
    JobRules rules;
    std::string suffix; // the current entry's
    std::unique_ptr<StringList> files;
    ScanReport scan;
};

int Convert(StandardOutput* out, RunState* run, Place* at) {
    const Settings& settings = run->settings;
    const std::string& gsDir = settings.gsDir;
    const std::string& psArg = settings.psDir;
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
    JobRules& rules = run->rules;
    rules.rendering = settings.rendering;
    rules.update = settings.update;
    if (settings.timeout > 0) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.6g", settings.timeout);
        rules.timeout = seconds;
    }
    if (!AbsoluteDirectory(psArg, gsDir, &rules.psDir, &why)) {
        ReportError(psArg, why);
        return 2;
    }
    const std::string& psDir = rules.psDir;
    // The images' directory, if another: it must be there before anything runs.
    rules.imageDir = psDir;
    if (settings.outputGiven) {
        if (settings.outputDir.empty()) {
            ReportError(Named(settings.outputDir), "no output directory given");
            return 2;
        }
        if (!AbsoluteDirectory(settings.outputDir, gsDir, &rules.imageDir, &why) ||
            !(why = DirectoryReason(rules.imageDir)).empty()) {
            ReportError(settings.outputDir, "cannot use as output directory: " + why);
            return 2;
        }
    }
    at->directory = psDir.c_str();
    at->separator = !EndsInSeparator(psDir);

    // The scan into the list.
    run->files.reset(new StringList);
    StringList* files = run->files.get();
    const ScanReport& scan = run->scan;
    Ending end;
    ScanDirectory(psDir.c_str(), "ps", files, 0, &run->scan);
    for (const ScanSkip& skip : scan.skipped) {
        ReportError(skip.path, skip.reason);
        end.status = 2;
    }
    if (scan.error != ERROR_SUCCESS && scan.error != ERROR_FILE_NOT_FOUND) {
        ReportError(psArg, "cannot search directory: " + scan.reason);
        return 2;
    }
    const std::int32_t count = files->GetCount();

    // The working directory: the converter is named without a directory and
    // found in the Ghostscript directory.
    if (gsDir.empty() || !SetCurrentDirectoryA(gsDir.c_str())) {
        why = gsDir.empty() ? "no Ghostscript directory given" : LastErrorText();
        ReportError(Named(gsDir), "cannot enter Ghostscript directory: " + why);
        return 2;
    }
    rules.program = ConverterProgram();

    // No image may be written over a PostScript file of the run. A claim's
    // owner is named only for a message.
    const OwnerPath pathOf = [&](const ClaimOwner& owner) {
        const char* entry = files->GetAt(owner.entry);
        const std::string name = entry != nullptr ? entry : "";
        return owner.file == 0
                   ? PathInDirectory(psDir, name + scan.SuffixOf(entry, "ps"))
                   : ImagePath(PathInDirectory(rules.imageDir, name), rules.rendering, owner.file);
    };
    Claims claims;
    for (std::int32_t i = 0; i < count; ++i) {
        const char* entry = files->GetAt(i);
        const std::string psPath = PathInDirectory(psDir, entry + scan.SuffixOf(entry, "ps"));
        if (DeviceNameReason(psPath).empty()) {
            claims.AddSource(i, StampOf(psPath, false));
        }
    }

    // One conversion per entry, up to jobs at once, each written out in
    // list order once it is done. Each read is one cursor step from the last.
    Runner runner(settings.jobs, settings.timeout,
                  settings.jobs > 1 && StandardStreamsShareAFile());
    for (std::int32_t i = 0; i < count; ++i) {
        runner.WaitForRoom();
        WriteFinished(rules, &runner, Until::kRoom, &claims, out, &end);
        if (StopSignal() != 0 || end.stopStatus != 0 || runner.Stopped()) {
            break;
        }
        const char* entry = files->GetAt(i);
        if (entry == nullptr) {
            break;
        }
        run->suffix = scan.SuffixOf(entry, "ps");
        at->name = entry;
        at->suffix = run->suffix.c_str();
        Job job = PlanJob(rules, i, entry, run->suffix, &claims, pathOf);
        if (job.skip) {
            continue;
        }
        if (settings.dryRun) {
            // What a run of one at a time says before each converter, or its refusal.
            if (job.refusal.empty()) {
                out->Write(job.head);
                out->Flush();
                const std::string refusal = CommandRefusal(job.args);
                if (!refusal.empty()) {
                    ReportError(job.psPath, refusal);
                    end.status = 2;
                }
            } else {
                FinishJob(rules, &job, false, false, &claims, out, &end);
            }
            continue;
        }
        if (job.refusal.empty()) {
            if (!runner.Captures()) {
                // The converter writes to the same stream: our lines go first.
                out->Write(job.head);
                out->Flush();
            }
            // Only a rewrite can leave the stamps as they were: a new image
            // needs no watch.
            if (job.before.exists) {
                job.watch = StartWriteWatch(job.jpgPath, job.before);
            }
        }
        runner.Add(std::move(job));
        // Once the next converter runs: what is done meanwhile.
        WriteFinished(rules, &runner, Until::kNoneDone, &claims, out, &end);
    }
    // The rest, as each is done; a stop has reached every converter running.
    WriteFinished(rules, &runner, Until::kEnd, &claims, out, &end);
    at->name = nullptr;

    out->Flush();
    if (!out->Lost().empty()) {
        ReportError("standard output", out->Lost());
        end.status = 2;
    }
    if (StopSignal() != 0) {
        EndBySignal(StopSignal());
        return 128 + StopSignal();
    }
    return end.stopStatus != 0 ? end.stopStatus : end.status;
}

} // namespace

int RunDriver(int argc, char** argv) {
    Place at;
    RunState run;
    StandardOutput out;
    try {
        const Options options = ReadOptions(std::vector<std::string>(argv + 1, argv + argc));
        switch (options.action) {
        case Options::Action::kHelp:
        case Options::Action::kVersion:
            out.Write(options.action == Options::Action::kHelp ? HelpText() : VersionText());
            out.Flush();
            return out.Lost().empty() ? 0 : 2;
        case Options::Action::kUsage:
            out.Write(UsageText());
            std::fflush(stdout);
            return 1;
        case Options::Action::kError:
            ReportError(options.what, options.why);
            return 1;
        case Options::Action::kRun:
            break;
        }
        Settings& settings = run.settings;
        settings = options.settings;
        // More at once than the system allows would fail files for want
        // of open files or handles.
        const std::size_t allowed = MaxJobs();
        if (static_cast<std::size_t>(settings.jobs) > allowed) {
            settings.jobs = static_cast<int>(allowed);
        }
        at.directory = settings.psDir.c_str();
        return Convert(&out, &run, &at);
    } catch (const std::bad_alloc&) {
        // The run stops; what was converted stays converted.
        ReportOutOfMemory(at);
        return 2;
    }
}
