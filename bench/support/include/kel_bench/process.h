// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the benchmarks read of a process they measure, and the artificial
// load they measure under.
#include <sys/types.h>

#include <vector>

namespace kel_bench {

// CPU seconds (user and system) a process has used so far, its threads that
// have ended included; in clock ticks (10 ms). -1 when it cannot be read.
double ProcessCpuSeconds(pid_t pid);
// Seconds the threads a process runs now have been on a CPU, to the
// nanosecond (the scheduler's own count): for short and quiet stretches,
// where clock ticks are too coarse. Threads that end in between drop out.
// -1 when it cannot be read.
double ThreadsCpuSeconds(pid_t pid);
// The peak (VmHWM) and the present (VmRSS) resident memory of a process, in
// KiB; -1 when it cannot be read.
long PeakResidentKiB(pid_t pid);
long ResidentKiB(pid_t pid);

// N processes that keep a core busy each, at the priority of the one that
// starts them, for as long as the object lives.
class BusyLoad {
public:
    explicit BusyLoad(int n);
    ~BusyLoad();
    BusyLoad(const BusyLoad&) = delete;
    BusyLoad& operator=(const BusyLoad&) = delete;

private:
    std::vector<pid_t> m_pids;
};

}  // namespace kel_bench
