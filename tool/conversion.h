// One file's conversion, around its converter: what is decided before the
// converter starts (the paths, the image's stamps, whether it may run or is
// up to date, the command and the lines that announce it) and what is said
// once it has ended (its captured output, whether it wrote its image, what
// a stopped converter left behind).
#pragma once

#include <cstdint>
#include <string>

#include "tool/claims.h"
#include "tool/converter_command.h"
#include "tool/reports.h"
#include "tool/runner.h"

// What a run has to say when it ends.
struct Ending {
    int status = 0;     // 2 once anything failed
    int stopStatus = 0; // a converter was stopped by the user: the status to end with
};

// What holds for every file of a run.
struct JobRules {
    std::string psDir;    // absolute
    std::string imageDir; // absolute: where the images go
    std::string program;  // the converter as the command names it
    Rendering rendering;
    bool update = false; // an image not older than its file is left alone
    std::string timeout; // the time limit as the messages give it; empty: none
};

// The job for the run's entry number entry, name + suffix (the name as
// found). A job that may run has claimed its image files; one whose image is
// up to date (with update) is marked skip and claims them too. pathOf names
// the owners of claims for a refusal.
Job PlanJob(const JobRules& rules, std::int32_t entry, const std::string& name,
            const std::string& suffix, Claims* claims, const OwnerPath& pathOf);

// Writes what there is to say about a job that is done: with captured
// output, its lines and its converter's output; then whether it failed, and
// removes what a converter ended by a signal left half written. quiet says
// nothing (a file after the one whose stop ended the run).
void FinishJob(const JobRules& rules, Job* job, bool captured, bool quiet, Claims* claims,
               StandardOutput* out, Ending* end);
