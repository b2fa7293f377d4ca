#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// Starts `argv` (argv[0] looked up in PATH) with its output thrown away; -1 on failure.
pid_t Launch(const std::vector<std::string> &argv);
// The process's resident memory in KiB (VmRSS), or -1.
long ResidentKiB(pid_t pid);
// The time all of the process's threads have spent on a processor so far, in
// milliseconds, from the scheduler's nanosecond counts; -1 when they cannot be read.
// Unlike the time until the window shows, other programs on a busy machine hardly
// change it.
double CpuMilliseconds(pid_t pid);
// Ends the process (TERM, then KILL after a second) and reaps it.
void Stop(pid_t pid);
