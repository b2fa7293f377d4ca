// RunExchange over a scripted device on a virtual clock, against the model of
// exchangemodel.cpp. The input sets the link (wake-up byte, phone or cable, attempts,
// the two waits, the grace window), up to three commands, and then one script per
// cycle: whether its first write fails, when Esc is pressed, and the reply's bytes
// with their gaps (read errors among them). The engine must leave behind exactly what
// the model says: results, frames, what went on the wire and when, purges, the trace,
// the texts shown, the questions asked and the time it took.
#include "exchangemodel.h"
#include "fuzzing.h"

#include "link/exchangechannel.h"
#include "settings/settings.h"

#include <cstring>

using namespace tavrin;
using namespace tavrin::fuzz;
using test::VirtualPort;

namespace {

constexpr int kMaxCycles = 40;
constexpr int kMaxScripts = 48;
constexpr int kMaxEvents = 1200;

LinkSetup readSetup(FuzzInput &input)
{
    const uint8_t flags = input.byte();
    LinkSetup setup;
    setup.wakeUpByte = flags & 0x01;
    setup.phoneLink = flags & 0x02;
    setup.attempts = (flags >> 2) & 0x03;
    setup.firstByteWaitMs = int(input.word() % 2100) - 20;
    setup.interByteWaitMs = int(input.word() % 1100) - 20;
    // Now and then the real grace window.
    setup.graceWindowMs = flags & 0x40 ? 10000 : input.word() % 1500;
    return setup;
}

QList<QByteArray> readCommands(FuzzInput &input, int count)
{
    QList<QByteArray> commands;
    for (int i = 0; i < count; ++i) {
        const uint8_t length = input.byte();
        // 255 asks for a command one character too long.
        commands.append(length == 255 ? QByteArray(499, 'L') : input.bytes(length % 24));
    }
    return commands;
}

// Event codes: 0xFF ends the script, 0xFE is a read error, 0xFD a block of bytes with
// one gap, 0xFC a burst of one byte repeated; any other code is a delay (under 200:
// milliseconds; from 200 on: tenths of a second) followed by one byte.
VirtualPort::Script readScript(FuzzInput &input)
{
    VirtualPort::Script script;
    const uint8_t header = input.byte();
    script.failWrite = (header & 0x07) == 0x07;
    if (header & 0x08)
        script.escapeAfterMs = input.word() % 3000;
    if (header & 0x10)
        script.wakeAnswer = {{5, '{'}, {5, '"'}, {5, 'W'}, {5, '"'}, {5, '}'}};
    QList<VirtualPort::Event> &reply = script.reply;
    while (!input.empty() && reply.size() < kMaxEvents) {
        const uint8_t code = input.byte();
        if (code == 0xFF)
            break;
        if (code == 0xFE) {
            reply.append({0, VirtualPort::kReadError});
        } else if (code == 0xFD) {
            const int gap = input.byte() % 64;
            for (const char byte : input.bytes(input.byte()))
                reply.append({gap, static_cast<unsigned char>(byte)});
        } else if (code == 0xFC) {
            const int byte = input.byte();
            for (int count = input.byte(); count >= 0; --count)
                reply.append({0, byte});
        } else {
            const int delay = code < 200 ? code : (code - 200) * 100;
            reply.append({delay, input.byte()});
        }
    }
    return script;
}

QByteArray writesShown(const QList<VirtualPort::Write> &writes)
{
    QByteArray shown;
    for (const VirtualPort::Write &write : writes)
        shown += QByteArray::number(write.at) + ':' + write.bytes.toHex() + ' ';
    return shown;
}

bool sameWrites(const QList<VirtualPort::Write> &a, const QList<VirtualPort::Write> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x.at == y.at && x.bytes == y.bytes;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const LinkSetup setup = readSetup(input);
    const QList<QByteArray> commands = readCommands(input, 1 + input.byte() % 3);
    QList<VirtualPort::Script> scripts;
    while (!input.empty() && scripts.size() < kMaxScripts)
        scripts.append(readScript(input));

    ExchangeModel model(setup, scripts);
    if (!model.run(commands, kMaxCycles))
        return 0; // too long a run to be worth an execution
    const ExpectedLink &expected = model.expected();

    test::VirtualClock clock;
    VirtualPort port(clock);
    port.scripts = scripts;
    test::VirtualUi ui(clock, port);
    Settings settings;
    settings.connectionKind = setup.phoneLink ? Phone : Direct;
    ExchangeChannel channel;
    channel.port = &port;
    channel.ui = &ui;
    channel.settings = &settings;
    channel.wakeUpByte = setup.wakeUpByte;
    channel.attempts = quint8(setup.attempts);
    channel.firstByteWaitMs = setup.firstByteWaitMs;
    channel.interByteWaitMs = setup.interByteWaitMs;
    channel.timing.phoneGraceWindowMs = setup.graceWindowMs;

    for (qsizetype i = 0; i < commands.size(); ++i) {
        const bool done = RunExchange(channel, commands[i].constData(), int(commands[i].size()));
        const TransactionOutcome &outcome = expected.outcomes[i];
        const QByteArray detail = "transaction " + QByteArray::number(i) + ": result "
            + QByteArray::number(channel.result) + ", model " + QByteArray::number(outcome.result);
        check(done == outcome.done && channel.result == outcome.result, "the result is the model's", detail);
        const QByteArray &frame = outcome.frame;
        check(!done
                  || (std::memcmp(channel.receiveBuffer.data(), frame.constData(), size_t(frame.size())) == 0
                      && channel.receiveBuffer[size_t(frame.size())] == 0),
              "the receive buffer holds the frame, zero-terminated", frame.toHex(' '));
        check(ui.watching == 0, "the keyboard watch ends with the transaction");
    }
    check(sameWrites(port.writes, expected.writes), "the wire carries the model's writes at its times",
          writesShown(port.writes) + "\n  model: " + writesShown(expected.writes));
    check(port.purges == expected.purges, "the port is purged when the model purges it");
    check(port.errorClears == expected.errorClears, "every failed write or read clears the port's error");
    check(ui.trace.lines == expected.trace, "the trace shows the model's lines",
          ui.trace.lines.join(u'|').toUtf8() + "\n  model: " + expected.trace.join(u'|').toUtf8());
    QStringList shownResults;
    for (const int code : expected.shownResults)
        shownResults << channel.resultTexts[size_t(code)];
    check(ui.resultTexts == shownResults, "a failed transaction shows its result once, a done one none");
    check(ui.activityTexts.size() == expected.activityTexts, "each cycle shows and clears its activity");
    check(ui.questions.size() == expected.questions, "the restore question is asked when the model asks it");
    check(clock.now() == expected.endTime, "the transactions end when the model's end",
          QByteArray::number(clock.now()) + " vs " + QByteArray::number(expected.endTime));
    return 0;
}
