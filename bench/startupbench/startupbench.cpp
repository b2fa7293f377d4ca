// tavrin-bench-startup: time from start to the main window shown, the processor time
// the process spent until then and its resident memory at that moment, for tavrin and
// for peer programs, in the same run and interleaved
// (each round alternates which goes first), medians and ratios against the first.
// The spread is shown as the quartiles and the extremes of the runs, and each ratio
// also as the median of the ratios within one round, which the load of a busy machine,
// changing from round to round, disturbs least.
//
//   tavrin-bench-startup [--runs N] NAME=COMMAND [NAME=COMMAND ...]
//
// Run it on an X display with no window manager (bench/startup starts one under Xvfb):
// "shown" is the server's report that a top-level window of the process was mapped,
// read without polling; the processor time (all threads, from the scheduler's counts)
// and the memory (VmRSS) are read right then. Each program
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
    std::vector<double> cpuMs;
    std::vector<double> residentMiB;
};

struct Sample {
    bool ok = false;
    double ms = 0;
    double cpuMs = 0;
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
        const double cpuMs = CpuMilliseconds(pid);
        sample = {kib > 0 && cpuMs >= 0, std::chrono::duration<double, std::milli>(shown - start).count(),
                  cpuMs, double(kib) / 1024.0};
    }
    if (outcome != MapWatch::Outcome::Exited)
        Stop(pid);
    return sample;
}

// The value below which `share` of the values lie, between neighbours as needed.
double quantile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const double at = share * double(values.size() - 1);
    const size_t below = size_t(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (at - double(below)) * (values[above] - values[below]);
}

double median(const std::vector<double> &values)
{
    return quantile(values, 0.5);
}

// "median (lower quartile..upper quartile, least..most)"
std::string spread(const std::vector<double> &values, const char *format)
{
    char text[160];
    const auto one = [format](double value) {
        char number[32];
        std::snprintf(number, sizeof number, format, value);
        return std::string(number);
    };
    std::snprintf(text, sizeof text, "%s (%s..%s, %s..%s)", one(median(values)).c_str(),
                  one(quantile(values, 0.25)).c_str(), one(quantile(values, 0.75)).c_str(),
                  one(quantile(values, 0)).c_str(), one(quantile(values, 1)).c_str());
    return text;
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
        Program program{arg.substr(0, equals), {}, {}, {}, {}};
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
        std::printf("round %2d  %-10s %8.1f ms %8.1f ms CPU %8.1f MiB\n", round + 1, program.name.c_str(),
                    sample.ms, sample.cpuMs, sample.mib);
        std::fflush(stdout);
        program.startMs.push_back(sample.ms);
        program.cpuMs.push_back(sample.cpuMs);
        program.residentMiB.push_back(sample.mib);
    }
    return true;
}

void printSummary(const std::vector<Program> &programs, int runs)
{
    std::printf("\nmedians of %d runs, until the main window is shown "
                "(quartiles, least..most):\n", runs);
    for (const Program &program : programs) {
        std::printf("%-10s start %s ms   CPU %s ms   RSS %s MiB\n", program.name.c_str(),
                    spread(program.startMs, "%.1f").c_str(), spread(program.cpuMs, "%.1f").c_str(),
                    spread(program.residentMiB, "%.1f").c_str());
    }
    const Program &first = programs.front();
    for (size_t i = 1; i < programs.size(); ++i) {
        const Program &other = programs[i];
        std::vector<double> roundRatios;
        for (size_t round = 0; round < first.startMs.size(); ++round)
            roundRatios.push_back(first.startMs[round] / other.startMs[round]);
        std::printf("%s / %s: start %.2fx (ratio of the medians), %s within a round; "
                    "CPU %.2fx; memory %.2fx\n",
                    first.name.c_str(), other.name.c_str(), median(first.startMs) / median(other.startMs),
                    spread(roundRatios, "%.2f").c_str(), median(first.cpuMs) / median(other.cpuMs),
                    median(first.residentMiB) / median(other.residentMiB));
    }
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 21;
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
