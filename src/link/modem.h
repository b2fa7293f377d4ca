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
};

// Texts of DialResult 0..11.
const std::array<QString, 12> &DialResultTexts();

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

private:
    SerialPort &m_port;
    LinkUi &m_ui;
    LinkTiming m_timing;
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
