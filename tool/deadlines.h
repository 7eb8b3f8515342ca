// Time limits on converters, written once for both hosts: when each is due
// and what step is taken against a converter past its limit. The step
// itself (a signal, ending a process tree) is the host's.
#pragma once

#include <vector>

#include "tool/processes.h"

// Milliseconds of a clock that only goes forward.
long long SteadyMs();

// The steady time seconds from now.
long long DeadlineAfter(double seconds);

// Takes the step that is due against each converter of running past its
// deadline: stop(process, false) asks it to end, and graceMs later
// stop(process, true) ends it; with graceMs 0 the first step ends it.
// Milliseconds until the next step, or -1 when none is to come.
long long ActOnDeadlines(const std::vector<ConverterProcess*>& running, long long graceMs,
                         void (*stop)(ConverterProcess* process, bool end));
