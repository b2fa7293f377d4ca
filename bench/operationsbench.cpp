// tavrin-bench-operations: a whole state reading, and a whole pair creation with a
// typed address, against the simulated module sending at 38400 bit/s, with the real
// pauses between commands. Each is timed against what it cannot avoid:
//
//   ratio = total time / (sum of the fixed pauses + wire time)          (goal <= 1.01)
//
// Wire time is 10 bits a byte at the line rate for every byte on the line, both ways
// (commands and replies, counted from the simulator's own log). On a pseudo-terminal
// only the simulator paces its bytes: the program's command reaches it at once, so the
// command's share of the wire time is never spent and would leave the program that
// much room unseen. The strict ratio therefore counts the replies' wire time alone,
// the time the line really takes here; it must meet the goal as well. The device's
// turn-round (from a command's CR to its reply's first byte) is counted against the
// program in both and shown apart.
#include "benchsim.h"
#include "link/exchangechannel.h"
#include "link/serialport.h"
#include "protocol/moduleoperations.h"
#include "protocol/operationtexts.h"
#include "support/devsim.h"
#include "support/linkfakes.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavrin;
using tavrin::test::DevSim;
using tavrin::test::DevSimLogEntry;

namespace {

constexpr qint32 kRate = 38400;
constexpr int kRounds = 5;

// The window: the trace kept (short), the messages recorded, the address dialog
// answered, everything else done at once.
class BenchWindow : public test::FakeUi, public CommandHost, public ModuleOperationHost {
public:
    QStringList messages;
    BenchWindow() { trace.keepAtMost = 1000; }

    void showMessage(const QString &text) override { messages << text; }
    void scrollLogToEnd() override {}
    bool askConfirmation(const QString &, const QString &) override { return true; }
    std::optional<MacAddress> askPeerAddress() override { return MacAddress{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}; }
    void openWaitWindow(WaitWindowKind, int) override {}
    void advanceWaitWindow() override {}
    void completeWaitWindow() override {}
    void closeWaitWindow() override {}
    void setBusyCursor(bool) override {}
    void setOperationText(const QString &) override {}
    void hideStateView() override {}
    void showState(const DeviceState &state) override { shown = state.mode; }
    void leaveView() override { shown.clear(); }
    QString shown;
};

struct Round {
    double totalMs = 0;
    double pausesMs = 0;
    double pauseOverrunMs = 0; // how much longer the pauses slept than asked
    double commandWireMs = 0;
    double replyWireMs = 0;
    double turnRoundMs = 0;
    bool ok = false;
};

// Wire times and the device's turn-round, from the simulator's log of one operation.
void takeWire(const QList<DevSimLogEntry> &log, Round &round)
{
    const double msPerByte = 10 * 1000.0 / kRate;
    double commandEnd = -1;
    for (const DevSimLogEntry &entry : log) {
        const double at = double(entry.micros) / 1000.0;
        if (entry.fromProgram) {
            round.commandWireMs += double(entry.bytes.size()) * msPerByte;
            if (entry.bytes.endsWith('\r'))
                commandEnd = at;
        } else {
            round.replyWireMs += double(entry.bytes.size()) * msPerByte;
            if (commandEnd >= 0)
                round.turnRoundMs += at - commandEnd;
            commandEnd = -1;
        }
    }
}

Round runOnce(DevSim &sim, ExchangeChannel &channel, BenchWindow &window,
              void (*operation)(ProtocolContext &, ModuleOperationHost &))
{
    Round round;
    ProtocolFields fields;
    ProtocolContext context{channel, window, fields, [&round](int ms) {
                                const double start = bench::NowMs();
                                Pause(ms);
                                round.pausesMs += ms;
                                round.pauseOverrunMs += bench::NowMs() - start - ms;
                            }};
    window.messages.clear();
    sim.clearLog();
    const double start = bench::NowMs();
    operation(context, window);
    round.totalMs = bench::NowMs() - start;
    takeWire(sim.log(), round);
    round.ok = !window.shown.isEmpty();
    return round;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int measure(const QString &comDir, const char *title, const QStringList &simArgs,
            void (*operation)(ProtocolContext &, ModuleOperationHost &), const QString &expectedMessage)
{
    DevSim sim(comDir);
    if (!bench::StartSimulator(sim, true, simArgs))
        return 1;
    auto port = OpenPort(1, {.rate = kRate});
    if (!port)
        return 1;
    BenchWindow window;
    ExchangeChannel channel;
    channel.ui = &window;
    channel.arm(port.get(), kRate, 2, 100, 1, false);

    std::vector<double> ratios, strictRatios, totals;
    Round last;
    for (int k = 0; k < kRounds; ++k) {
        last = runOnce(sim, channel, window, operation);
        const bool told = expectedMessage.isEmpty() ? window.messages.isEmpty()
                                                    : window.messages == QStringList{expectedMessage};
        if (!last.ok || !told) {
            std::fprintf(stderr, "%s: round %d went wrong: %s\n", title, k, qPrintable(window.messages.join(" / ")));
            return 1;
        }
        totals.push_back(last.totalMs);
        ratios.push_back(last.totalMs / (last.pausesMs + last.commandWireMs + last.replyWireMs));
        strictRatios.push_back(last.totalMs / (last.pausesMs + last.replyWireMs));
    }
    std::printf("%s at %d bit/s, %d rounds\n", title, kRate, kRounds);
    std::printf("   fixed pauses %.0f ms; wire: commands %.2f ms + replies %.2f ms; device turn-round %.2f ms\n",
                last.pausesMs, last.commandWireMs, last.replyWireMs, last.turnRoundMs);
    std::printf("   total median %.2f ms, worst %.2f ms; in the last round the pauses slept %.2f ms over\n",
                median(totals), *std::max_element(totals.begin(), totals.end()), last.pauseOverrunMs);
    std::printf("   ratio median %.4f, worst %.4f   strict ratio median %.4f, worst %.4f   (goal <= 1.01)\n",
                median(ratios), *std::max_element(ratios.begin(), ratios.end()), median(strictRatios),
                *std::max_element(strictRatios.begin(), strictRatios.end()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bench::SimulatorFolder comDir;

    int failed = measure(comDir.path(), "1. state reading (PING, PEERADDR, DEVADDR, VER)", {"--state", "paired"},
                         ReadDeviceState, QString());
    failed |= measure(comDir.path(), "2. pair creation with a typed address, then the state reading",
                      {"--state", "none"}, CreatePair, operationtext::PairCreated);
    return failed;
}
