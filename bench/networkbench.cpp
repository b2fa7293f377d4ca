// tavrin-bench-network: PING at 38400 bit/s through ser2net's raw TCP accepter against
// PING on the simulator's pseudo-terminal directly, the two interleaved round by round
// in one run, each simulator pacing its bytes at the line rate. The network adds a
// loopback TCP hop and ser2net's turn-round; the goal is a median ratio of at most 1.10.
#include "benchsim.h"
#include "link/exchangechannel.h"
#include "link/networktarget.h"
#include "link/serialport.h"
#include "support/devsim.h"
#include "support/linkfakes.h"
#include "support/netservers.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavrin;

namespace {

constexpr qint32 kRate = 38400;
constexpr int kRounds = 200;

struct BenchUi : test::FakeUi {
    BenchUi() { trace.keepAtMost = 1000; }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One PING's time in ms, or a negative value when it failed.
double timedPing(ExchangeChannel &channel)
{
    const double start = bench::NowMs();
    if (!RunExchange(channel, "PING", 4)) {
        std::fprintf(stderr, "PING failed: %d\n", channel.result);
        return -1;
    }
    return bench::NowMs() - start;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bench::SimulatorFolder comDir;
    if (!test::Ser2Net::installed()) {
        std::fprintf(stderr, "ser2net is not installed (scripts/install-packages ser2net)\n");
        return 2;
    }
    // COM1 is opened directly; COM2 is served by ser2net, which sets it to 38400 8N1.
    test::DevSim direct(comDir.path());
    test::DevSim served(comDir.path());
    if (!direct.start({.port = 1, .pace = true}) || !served.start({.port = 2, .pace = true})) {
        std::fprintf(stderr, "cannot start the simulators\n");
        return 2;
    }
    test::Ser2Net ser2net;
    if (!ser2net.start(served.devicePath(), test::Ser2Net::Accepter::Raw)) {
        std::fprintf(stderr, "%s\n", qPrintable(ser2net.error()));
        return 2;
    }
    auto pty = OpenPort(1, {.rate = kRate});
    QString failure;
    auto network = OpenNetworkPort({.address = {QStringLiteral("127.0.0.1"), quint16(ser2net.port())},
                                    .protocol = RawTcp, .rate = kRate, .connectLimitMs = 5000},
                                   nullptr, &failure);
    if (!pty || !network) {
        std::fprintf(stderr, "cannot open the ports: %s\n", qPrintable(failure));
        return 2;
    }
    BenchUi ui;
    ExchangeChannel overPty, overNetwork;
    for (auto [channel, port] : {std::pair{&overPty, pty.get()}, std::pair{&overNetwork, network.get()}}) {
        channel->ui = &ui;
        channel->arm(port, kRate, 2, 100, 1, false);
    }
    std::vector<double> ptyTimes, networkTimes;
    for (int k = 0; k < kRounds; ++k) {
        const double onPty = timedPing(overPty);
        const double onNetwork = timedPing(overNetwork);
        if (onPty < 0 || onNetwork < 0)
            return 1;
        ptyTimes.push_back(onPty);
        networkTimes.push_back(onNetwork);
    }
    const double ratio = median(networkTimes) / median(ptyTimes);
    std::printf("PING at %d bit/s, %d rounds interleaved: pty median %.3f ms, ser2net raw median %.3f ms, "
                "ratio %.3f  (goal <= 1.10)\n",
                kRate, kRounds, median(ptyTimes), median(networkTimes), ratio);
    return ratio <= 1.10 ? 0 : 1;
}
