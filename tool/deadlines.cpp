#include "tool/deadlines.h"

#include <chrono>
#include <cmath>

long long SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long long DeadlineAfter(double seconds) {
    return SteadyMs() + static_cast<long long>(std::ceil(seconds * 1000));
}

long long ActOnDeadlines(const std::vector<ConverterProcess*>& running, long long graceMs,
                         void (*stop)(ConverterProcess* process, bool end)) {
    const long long now = SteadyMs();
    long long next = -1;
    for (ConverterProcess* process : running) {
        if (process->deadline == 0 || process->id == 0) {
            continue;
        }
        if (now >= process->deadline) {
            const bool end = process->stopStage > 0 || graceMs == 0;
            stop(process, end);
            process->stopStage = end ? 2 : 1;
            process->deadline = end ? 0 : now + graceMs;
            if (process->deadline == 0) {
                continue;
            }
        }
        const long long left = process->deadline - now;
        next = next < 0 || left < next ? left : next;
    }
    return next;
}
