#pragma once

#include "linktiming.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

namespace tavrin {

class LinkUi;
class SerialPort;

enum DialResult : int {
    DialOk = 0,
    DialNoDialTone = 1,
    DialBusy = 2,
    DialNoCarrier = 3,
    DialError = 4,
    DialNoAnswer = 5,
    DialTimeLimit = 6,
    DialNoModem = 7,
    DialNotConnected = 8,
    DialReplyTimeout = 9,
    DialAborted = 10,
    DialGsmNotReady = 11,
    DialResultCount
};

// Texts of DialResult 0..11.
const std::array<QString, DialResultCount> &DialResultTexts();

// The Hayes AT dialogue with a modem on an open port. Progress texts go to the
// window's status panel 2 when showProgress is set.
class ModemDialogue {
public:
    ModemDialogue(SerialPort &port, LinkUi &ui, const LinkTiming &timing = {});

    // Sends command as it stands and reads one reply line into reply (at most 255 bytes).
    int ModemCommand(const QByteArray &command, QByteArray &reply, int waitMs, bool showProgress);
    int CheckModem(bool showProgress);
    int DialSubscriber(const QString &phoneNumber, const QString &initCommands, bool showProgress,
                       int rounds, int connectWaitSeconds);
    bool CheckGsmReady(bool showProgress);
    void HangUp(bool escapeAtOnce);

    // Reads one reply line without sending anything (a result code the modem sends by
    // itself, such as the final one of an abandoned dial); classified as ModemCommand
    // classifies a reply.
    int AwaitReply(QByteArray &reply, int waitMs);
    // The last dial command was sent and had no reply line when the dial ended (a stop
    // or the reply wait ended it): the modem may still be dialling.
    bool dialUnanswered() const { return m_dialUnanswered; }

    // An abort request that also ends the dialogue at once, as the window closing
    // does: the exchange channel's, while the channel re-dials a broken link, so that
    // closing the link meanwhile never leaves the dialogue on a closed port.
    void setAbortFlag(const bool *abortRequested) { m_abortFlag = abortRequested; }

private:
    enum class LineRead { Complete, TimedOut, Escaped, Stopped };
    // One command of the presence check: its result, and whether its reply shows
    // the modem in command mode.
    struct PresenceReply {
        int result;
        bool commandMode;
    };
    // What a running operation counts as a stop: a close or abort that was not
    // already under way when the operation began.
    struct StopBaseline {
        bool closing = false;
        bool aborting = false;
    };

    LineRead readLine(QByteArray &line, int waitMs, bool watchEscape);
    PresenceReply presenceCommand(const QByteArray &command, bool showProgress);
    int escapeToCommandMode(bool &answered);
    int dialRound(const QList<QByteArray> &initLines, const QByteArray &dialCommand, int waitMs,
                  bool showProgress);
    bool stopRequested() const;
    StopBaseline currentStops() const;
    void pump();

    SerialPort &m_port;
    LinkUi &m_ui;
    LinkTiming m_timing;
    const bool *m_abortFlag = nullptr;
    StopBaseline m_baseline;
    bool m_dialUnanswered = false;
};

// False when text holds "NO CARRI" or "no carri".
bool CarrierPresent(const char *text);
// The number without blanks, hyphens and parentheses.
QString StripPhoneNumber(const QString &number);
// The init command lines of the Command setting, each ending in CR (at most 30).
QList<QByteArray> SplitInitCommands(const QByteArray &commandText);
// A reply that shows the modem is in command mode: "AT", "at", "OK", "ok", CR LF or "0".
bool ModemReplyRecognised(const char *reply);

} // namespace tavrin
