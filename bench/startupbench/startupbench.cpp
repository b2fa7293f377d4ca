// tavrin-bench-startup: time from start to the main window shown, and resident memory
// at that moment, for tavrin and for peer programs, in the same run and interleaved
// (each round alternates which goes first), medians and ratios against the first.
//
//   tavrin-bench-startup [--runs N] NAME=COMMAND [NAME=COMMAND ...]
//
// Run it on an X display with no window manager (bench/startup starts one under Xvfb):
// "shown" is the server's report that a top-level window of the process was mapped,
// read without polling; the memory is the process's VmRSS read right then. Each program
// is started once before the measured rounds so every run finds the files in the cache.
#include "launch.h"
#include "mapwatch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kTimeoutMs = 30000;

struct Program {
    std::string name;
    std::vector<std::string> argv;
    std::vector<double> startMs;
    std::vector<double> residentMiB;
};

struct Sample {
    bool ok = false;
    double ms = 0;
    double mib = 0;
};

Sample measureOnce(MapWatch &watch, const Program &program)
{
    watch.discardPending();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = Launch(program.argv);
    if (pid < 0)
        return {};
    const MapWatch::Outcome outcome = watch.waitForWindowOf(pid, kTimeoutMs);
    const auto shown = std::chrono::steady_clock::now();
    Sample sample;
    if (outcome == MapWatch::Outcome::Mapped) {
        const long kib = ResidentKiB(pid);
        sample = {kib > 0, std::chrono::duration<double, std::milli>(shown - start).count(),
                  double(kib) / 1024.0};
    }
    if (outcome != MapWatch::Outcome::Exited)
        Stop(pid);
    return sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool parseArguments(int argc, char **argv, int &runs, std::vector<Program> &programs)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
            continue;
        }
        const size_t equals = arg.find('=');
        if (equals == std::string::npos || equals == 0)
            return false;
        Program program{arg.substr(0, equals), {}, {}, {}};
        std::istringstream words(arg.substr(equals + 1));
        for (std::string word; words >> word;)
            program.argv.push_back(word);
        if (program.argv.empty())
            return false;
        programs.push_back(program);
    }
    return runs > 0 && !programs.empty();
}

// One round: every program once, the order turned by one place each round.
bool runRound(MapWatch &watch, std::vector<Program> &programs, int round)
{
    for (size_t k = 0; k < programs.size(); ++k) {
        Program &program = programs[(k + size_t(round)) % programs.size()];
        const Sample sample = measureOnce(watch, program);
        if (!sample.ok) {
            std::fprintf(stderr, "%s: no window within %d ms (or it ended)\n",
                         program.name.c_str(), kTimeoutMs);
            return false;
        }
        std::printf("round %2d  %-10s %8.1f ms %8.1f MiB\n", round + 1, program.name.c_str(),
                    sample.ms, sample.mib);
        std::fflush(stdout);
        program.startMs.push_back(sample.ms);
        program.residentMiB.push_back(sample.mib);
    }
    return true;
}

void printSummary(const std::vector<Program> &programs, int runs)
{
    std::printf("\nmedians of %d runs, until the main window is shown:\n", runs);
    const double baseMs = median(programs.front().startMs);
    const double baseMiB = median(programs.front().residentMiB);
    std::printf("%-10s %10s %10s %12s %12s\n", "program", "start ms", "RSS MiB",
                "start ratio", "RSS ratio");
    for (const Program &program : programs) {
        const double ms = median(program.startMs);
        const double mib = median(program.residentMiB);
        std::printf("%-10s %10.1f %10.1f %12.2f %12.2f\n", program.name.c_str(), ms, mib,
                    ms / baseMs, mib / baseMiB);
    }
    for (size_t i = 1; i < programs.size(); ++i)
        std::printf("%s / %s: start %.2fx, memory %.2fx\n", programs.front().name.c_str(),
                    programs[i].name.c_str(), baseMs / median(programs[i].startMs),
                    baseMiB / median(programs[i].residentMiB));
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 15;
    std::vector<Program> programs;
    if (!parseArguments(argc, argv, runs, programs)) {
        std::fprintf(stderr, "usage: %s [--runs N] NAME=COMMAND [NAME=COMMAND ...]\n", argv[0]);
        return 2;
    }
    MapWatch watch;
    if (!watch.ok()) {
        std::fprintf(stderr, "cannot open the X display \"%s\"\n", std::getenv("DISPLAY"));
        return 1;
    }
    for (const Program &program : programs) {
        if (!measureOnce(watch, program).ok) {
            std::fprintf(stderr, "%s: its window never showed\n", program.name.c_str());
            return 1;
        }
    }
    for (int round = 0; round < runs; ++round) {
        if (!runRound(watch, programs, round))
            return 1;
    }
    printSummary(programs, runs);
    return 0;
}
