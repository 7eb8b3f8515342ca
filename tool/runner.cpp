#include "tool/runner.h"

#include <utility>

bool PrepareCapture(ConverterProcess* process, bool combined) {
    if (process->out != -1 && (combined || process->err != -1)) {
        return true;
    }
    ReleaseCaptured(process);
    std::string why;
    process->out = CreateCaptureFile(&why);
    process->err = process->out == -1 || combined ? -1 : CreateCaptureFile(&why);
    if (process->out == -1 || (!combined && process->err == -1)) {
        process->outcome.error = why;
        ReleaseCaptured(process);
        return false;
    }
    return true;
}

void ReleaseCaptured(ConverterProcess* process) {
    for (long long* file : {&process->out, &process->err}) {
        if (*file != -1) {
            CloseCaptureFile(*file);
            *file = -1;
        }
    }
}

Runner::Runner(int jobs, double timeout, bool combined)
    : jobs_(jobs < 1 ? 1 : jobs), timeout_(timeout), combined_(combined),
      limit_(jobs_ > 1 ? 2 * static_cast<std::size_t>(jobs_) : 1) {}

Runner::~Runner() {
    while (Running() > 0 && CollectOne(true)) {
    }
    for (Job& job : queue_) {
        ReleaseCaptured(&job.process);
        EndWriteWatch(job.watch);
    }
    ReleaseCaptured(&spare_);
    for (ConverterProcess& files : released_) {
        ReleaseCaptured(&files);
    }
}

std::size_t Runner::Running() const {
    std::size_t n = 0;
    for (const Job& job : queue_) {
        n += job.process.id != 0 ? 1 : 0;
    }
    return n;
}

bool Runner::CollectOne(bool wait) {
    std::vector<ConverterProcess*> running;
    std::vector<Job*> owners;
    for (Job& job : queue_) {
        if (job.process.id != 0) {
            running.push_back(&job.process);
            owners.push_back(&job);
        }
    }
    if (running.empty()) {
        return false;
    }
    if (wait) {
        for (ConverterProcess& files : released_) {
            ReleaseCaptured(&files);
        }
        released_.clear();
    }
    std::size_t ended = CollectConverter(running, wait);
    if (ended >= running.size()) {
        return false;
    }
    owners[ended]->done = true;
    const ConverterOutcome& outcome = owners[ended]->process.outcome;
    if (outcome.stopRun && !stopped_ && StopSignal() == 0) {
        // Stopped from outside: as a run of one at a time, start nothing
        // more, and stop the others as a stop sent to morvel would.
        stopped_ = true;
        running.erase(running.begin() + static_cast<std::ptrdiff_t>(ended));
        PassStopOn(running, outcome.stopStatus);
    }
    return true;
}

void Runner::WaitForRoom() {
    while (Running() >= static_cast<std::size_t>(jobs_) && CollectOne(true)) {
    }
}

void Runner::Add(Job job) {
    queue_.push_back(std::move(job));
    Job& added = queue_.back();
    if (!added.refusal.empty()) {
        added.done = true;
        return;
    }
    if (Captures()) {
        added.process.out = spare_.out;
        added.process.err = spare_.err;
        spare_.out = spare_.err = -1;
    }
    if ((Captures() && !PrepareCapture(&added.process, combined_)) ||
        !StartConverter(added.args, Captures(), timeout_, &added.process) ||
        added.process.id == 0) {
        added.done = true; // could not start, or (system()) already ran to its end
    }
    if (Captures()) {
        PrepareCapture(&spare_, combined_); // a failure shows when the next one starts
    }
}

Job* Runner::First(bool wait) {
    if (queue_.empty()) {
        return nullptr;
    }
    // Others that ended meanwhile are marked too, without waiting.
    while (CollectOne(false)) {
    }
    while (!queue_.front().done) {
        if (!wait || !CollectOne(true)) {
            return nullptr;
        }
    }
    return &queue_.front();
}

void Runner::DropFirst() {
    ConverterProcess& process = queue_.front().process;
    if (process.out != -1 || process.err != -1) {
        released_.push_back(ConverterProcess());
        released_.back().out = process.out;
        released_.back().err = process.err;
        process.out = process.err = -1;
    }
    queue_.pop_front();
}
