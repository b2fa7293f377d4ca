// tavrin-bench-link: how the device link spends its time against the simulated
// module on a pseudo-terminal.
//   1. CPU used while an exchange waits 3 s for a silent device, beside a loop that
//      polls the port the whole time, measured in the same run.
//   2. Delay from the last byte of a reply frame leaving the device to the frame's
//      recognition: the simulator's send time of that byte against the program's
//      clock when RunExchange returns (both CLOCK_MONOTONIC).
//   3. PING transaction time over its wire time (10 bits a byte at the line rate,
//      command and reply) at 38400 and 115200 bit/s, the device pacing its bytes at
//      the line rate and the trace on.
#include "benchsim.h"
#include "link/eventloop.h"
#include "link/exchangechannel.h"
#include "link/serialport.h"
#include "support/devsim.h"
#include "support/linkfakes.h"

#include <QCoreApplication>
#include <QStringList>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavrin;
using tavrin::test::DevSim;
using tavrin::test::DevSimLogEntry;
using tavrin::test::DevSimOptions;

namespace {

// A window that records the trace and answers nothing; the list is kept short, as
// only the trace work itself matters here.
struct BenchUi : test::FakeUi {
    BenchUi() { trace.keepAtMost = 1000; }
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

std::unique_ptr<SerialPort> openLink(qint32 rate)
{
    return OpenPort(1, {.rate = rate});
}

void armChannel(ExchangeChannel &channel, SerialPort *port, BenchUi &ui, qint32 rate, int waitSeconds)
{
    channel.ui = &ui;
    channel.arm(port, rate, waitSeconds, 100, 1, false);
}

int measureSilentWait(const QString &comDir)
{
    DevSim sim(comDir);
    if (!bench::StartSimulator(sim, false) || !sim.command("silent on"))
        return 1;
    auto port = openLink(38400);
    if (!port)
        return 1;
    BenchUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui, 38400, 3);

    double cpu0 = cpuSeconds();
    double wall0 = bench::NowMs();
    const bool answered = RunExchange(channel, "PING", 4);
    const double engineCpu = cpuSeconds() - cpu0;
    const double engineWall = bench::NowMs() - wall0;

    // The same wait done by polling: read, check the clock, go round again.
    port->write("PING\r", 5);
    cpu0 = cpuSeconds();
    wall0 = bench::NowMs();
    const quint64 end = PerformanceCounter() + 3 * PerformanceFrequency();
    char byte = 0;
    long passes = 0;
    while (PerformanceCounter() <= end) {
        processPendingEvents();
        port->readByte(&byte);
        ++passes;
    }
    const double spinCpu = cpuSeconds() - cpu0;
    const double spinWall = bench::NowMs() - wall0;

    std::printf("1. waiting 3 s for a silent device (result %d%s)\n", channel.result, answered ? ", answered?" : "");
    std::printf("   exchange engine: %7.1f ms CPU in %6.0f ms = %6.2f %% of a core  (goal <= 1 %%)\n",
                engineCpu * 1000, engineWall, 100.0 * engineCpu * 1000 / engineWall);
    std::printf("   polling loop:    %7.1f ms CPU in %6.0f ms = %6.2f %% of a core  (%ld passes)\n",
                spinCpu * 1000, spinWall, 100.0 * spinCpu * 1000 / spinWall, passes);
    return 0;
}

// Device-side send time (ms) of the last byte the device sent.
double lastSentMs(const QList<DevSimLogEntry> &log)
{
    for (qsizetype k = log.size() - 1; k >= 0; --k) {
        if (!log[k].fromProgram)
            return double(log[k].micros) / 1000.0;
    }
    return 0;
}

int measureRecognition(const QString &comDir, int rounds)
{
    DevSim sim(comDir);
    if (!bench::StartSimulator(sim, true))
        return 1;
    auto port = openLink(115200);
    if (!port)
        return 1;
    BenchUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui, 115200, 2);
    std::vector<double> delays;
    for (int k = 0; k < rounds; ++k) {
        sim.clearLog();
        if (!RunExchange(channel, "PING", 4)) {
            std::fprintf(stderr, "PING failed: %d\n", channel.result);
            return 1;
        }
        const double recognised = bench::NowMs();
        delays.push_back(recognised - lastSentMs(sim.log()));
    }
    std::printf("2. last byte of a frame sent by the device -> frame recognised (%d PINGs, 115200 bit/s, paced)\n",
                rounds);
    std::printf("   median %.3f ms  p99 %.3f ms  max %.3f ms  (goal: median <= 0.3 ms, p99 <= 2 ms)\n",
                percentile(delays, 0.5), percentile(delays, 0.99), percentile(delays, 1.0));
    std::printf("   over 1 ms:");
    for (size_t k = 0; k < delays.size(); ++k) {
        if (delays[k] > 1.0)
            std::printf(" #%zu %.3f ms", k, delays[k]);
    }
    std::printf("\n");
    return 0;
}

int measureTransaction(const QString &comDir, qint32 rate, int rounds)
{
    DevSim sim(comDir);
    if (!bench::StartSimulator(sim, true))
        return 1;
    auto port = openLink(rate);
    if (!port)
        return 1;
    BenchUi ui;
    ExchangeChannel channel;
    armChannel(channel, port.get(), ui, rate, 2);
    std::vector<double> ratios, times, toDevice, deviceTurn, deviceSend, fromDevice;
    double wireMs = 0;
    double replyWireMs = 0;
    for (int k = 0; k < rounds; ++k) {
        sim.clearLog();
        const double start = bench::NowMs();
        if (!RunExchange(channel, "PING", 4)) {
            std::fprintf(stderr, "PING failed: %d\n", channel.result);
            return 1;
        }
        const double end = bench::NowMs();
        const int replyBytes = int(qstrlen(channel.reply()));
        wireMs = (5 + replyBytes) * 10 * 1000.0 / rate;
        replyWireMs = replyBytes * 10 * 1000.0 / rate;
        times.push_back(end - start);
        ratios.push_back((end - start) / wireMs);

        // Where the time went, on the device's own clock.
        double commandIn = 0, firstOut = 0, lastOut = 0;
        for (const DevSimLogEntry &e : sim.log()) {
            const double at = double(e.micros) / 1000.0;
            if (e.fromProgram)
                commandIn = at;
            else if (firstOut == 0)
                firstOut = lastOut = at;
            else
                lastOut = at;
        }
        toDevice.push_back(commandIn - start);
        deviceTurn.push_back(firstOut - commandIn);
        deviceSend.push_back(lastOut - firstOut);
        fromDevice.push_back(end - lastOut);
    }
    std::printf("3. PING at %6d bit/s, trace on: wire %.3f ms, transaction median %.3f ms -> ratio median %.3f, "
                "p90 %.3f  (goal <= 1.05)\n",
                rate, wireMs, percentile(times, 0.5), percentile(ratios, 0.5), percentile(ratios, 0.9));
    // The simulator's share (its turn-round and its pacing) is not the program's.
    std::vector<double> own;
    for (size_t k = 0; k < times.size(); ++k)
        own.push_back(times[k] - deviceTurn[k] - deviceSend[k]);
    const double byteMs = 10 * 1000.0 / rate;
    std::printf("   medians: program -> command at device %.3f ms; device turn-round %.3f ms; device sending "
                "%.3f ms (%.3f ms at the line rate); last byte -> recognised %.3f ms\n",
                percentile(toDevice, 0.5), percentile(deviceTurn, 0.5), percentile(deviceSend, 0.5),
                replyWireMs - byteMs, percentile(fromDevice, 0.5));
    std::printf("   the program's own time per PING: median %.3f ms, p90 %.3f ms = %.1f %% of the wire time\n",
                percentile(own, 0.5), percentile(own, 0.9), 100.0 * percentile(own, 0.5) / wireMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bench::SimulatorFolder comDir;

    int failed = measureSilentWait(comDir.path());
    failed |= measureRecognition(comDir.path(), 200);
    failed |= measureTransaction(comDir.path(), 38400, 100);
    failed |= measureTransaction(comDir.path(), 115200, 100);
    return failed;
}
