#pragma once

#include <QString>

// The device link's own texts, in one place; the result texts of ExchangeResult and
// DialResult are in the same file, keyed by their codes. A line break inside a text
// is "\r".
namespace tavrin::linktext {

// Status panel 3 while a cycle of an exchange runs.
QString ExchangeActivity();
// Asked when a phone link has lost its carrier, and again after each failed re-dial.
QString RestoreQuestion();

// Status panel 2 during the modem dialogue: the command as sent, then with its reply.
QString ModemCommandSent(const QString &command);
QString ModemCommandAnswered(const QString &command, const QString &reply);
QString GsmCheckSent();
QString GsmCheckAnswered(const QString &reply);

// Why a port did not open, where the driver has no words of its own.
QString NoSuchPort();
QString LineNotKept();

// Why a network link did not open or stopped; %1 is always "host:port".
QString NetworkHostNotFound(const QString &address);
QString NetworkRefused(const QString &address);
QString NetworkTimeLimit(const QString &address, int seconds);
QString NetworkClosedByPeer(const QString &address);
QString NetworkNoPortControl(const QString &address);
QString NetworkCancelled(const QString &address);
QString NetworkFailed(const QString &address, const QString &reason);
QString NetworkLost(const QString &address);
// The program's network module, looked for in folder, is missing or broken (a fault of
// the installation).
QString NetworkModuleMissing(const QString &address, const QString &folder);
// Asked when a network link has lost its connection, and again after each failed try.
QString NetworkRestoreQuestion(const QString &lossText);

} // namespace tavrin::linktext
