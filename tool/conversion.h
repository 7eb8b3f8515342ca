// One file's conversion, around its converter: what is decided before the
// converter starts (the paths, the image's stamps, whether it may run, the
// command and the lines that announce it) and what is said once it has
// ended (its captured output, whether it wrote its image).
#pragma once

#include <string>

#include "tool/claims.h"
#include "tool/reports.h"
#include "tool/runner.h"

// What a run has to say when it ends.
struct Ending {
    int status = 0;     // 2 once anything failed
    int stopStatus = 0; // a converter was stopped by the user: the status to end with
};

// The job for the entry name + suffix of psDir (the name as found), its
// converter called as program. A job that may run has claimed its image.
Job PlanJob(const std::string& psDir, const std::string& name, const std::string& suffix,
            const std::string& program, Claims* claims);

// Writes what there is to say about a job that is done: with captured
// output, its lines and its converter's output; then whether it failed.
void FinishJob(Job* job, bool captured, Claims* claims, StandardOutput* out, Ending* end);
