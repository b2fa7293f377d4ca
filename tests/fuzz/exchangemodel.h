#pragma once

// What RunExchange must do with a scripted device, worked out without the engine: a
// model of the framing, the time-outs, the attempts, the phone link's grace window and
// no-carrier watch, and the trace, on the same virtual clock. It shares nothing with
// the engine but the texts the log shows for single bytes.
#include "support/virtuallink.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <array>

namespace tavrin::fuzz {

struct LinkSetup {
    bool wakeUpByte = false;
    bool phoneLink = false;
    int attempts = 1;        // 0 makes one cycle
    int firstByteWaitMs = 0; // below 0 counts as 0
    int interByteWaitMs = 0;
    int graceWindowMs = 0;
};

struct TransactionOutcome {
    bool done = false;
    int result = 0;
    QByteArray frame; // when done
};

// Everything the engine leaves behind that a test can see.
struct ExpectedLink {
    QList<TransactionOutcome> outcomes;
    QList<test::VirtualPort::Write> writes;
    QList<quint64> purges;
    int errorClears = 0;
    QStringList trace;
    QList<int> shownResults; // codes whose text went to the result panel, in order
    int activityTexts = 0;
    int questions = 0;
    int cycles = 0;
    quint64 endTime = 0;
};

class ExchangeModel {
public:
    ExchangeModel(const LinkSetup &setup, QList<test::VirtualPort::Script> scripts);

    // False when the transactions would take more than maxCycles cycles.
    bool run(const QList<QByteArray> &commands, int maxCycles);
    const ExpectedLink &expected() const { return m_expected; }

private:
    enum { Ok = 0, WriteFailed = 1, NoAnswer = 3, Incomplete = 4, Aborted = 5, CarrierLost = 6, Overflow = 7 };

    TransactionOutcome transaction(const QByteArray &command, int maxCycles);
    int cycle(const QByteArray &command, QByteArray &frame);
    int receive(const test::VirtualPort::Script &script, QByteArray &frame);
    int sendCommand(const QByteArray &command, const test::VirtualPort::Script &script);
    bool watchWaiting();
    QByteArray readArrived(bool watchCarrier, bool &lost);
    void keepUnread(const QList<test::VirtualPort::Event> &events, qsizetype from, quint64 written);
    void dropArrived();
    void trace(const QByteArray &bytes);
    bool carrierLost() const;
    bool watchByte(char byte);

    LinkSetup m_setup;
    QList<test::VirtualPort::Script> m_scripts;
    quint64 m_now = test::VirtualClock::kStart;
    std::array<char, 500> m_ring{};
    int m_ringPos = 0;
    // What the device has sent or will send and nobody has read or purged yet, by time
    // of arrival: the rest of a reply after its frame, and the answer to a wake-up byte.
    struct Unread {
        quint64 at;
        int byte;
    };
    QList<Unread> m_unread;
    ExpectedLink m_expected;
};

} // namespace tavrin::fuzz
