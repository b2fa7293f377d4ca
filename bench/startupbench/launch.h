#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// Starts `argv` (argv[0] looked up in PATH) with its output thrown away; -1 on failure.
pid_t Launch(const std::vector<std::string> &argv);
// The process's resident memory in KiB (VmRSS), or -1.
long ResidentKiB(pid_t pid);
// Ends the process (TERM, then KILL after a second) and reaps it.
void Stop(pid_t pid);
