#pragma once

#include "link/exchangechannel.h"
#include "link/linktiming.h"
#include "protocol/executecommand.h"
#include "session/activity.h"
#include "session/sessionui.h"
#include "settings/settingsstore.h"

#include <QTimer>

#include <functional>
#include <memory>

namespace tavrin {

class CommandHost;
class LinkUi;
class SerialPort;
class SessionHost;

// The session controller: it owns the settings store, the exchange channel, the port,
// the link state and the protocol fields, runs the connection flow and the close
// sequence, and lets one operation run at a time (see activity.h for which loops
// process events and what a handler arriving during one must do). It reaches the window
// only through LinkUi, CommandHost and SessionHost, and never creates a widget.
class Session {
public:
    // executableDir: the folder that holds the INI folder; the settings are read here.
    // timing: the link's fixed delays (tests shorten them).
    Session(const QString &executableDir, LinkUi &ui, CommandHost &commands, SessionHost &host,
            const LinkTiming &timing = {});
    ~Session(); // lets go of the port; the settings are written by the close sequence only
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // The one rule: something new starts only when nothing runs and no close waits.
    bool canStartOperation() const { return m_activity == Activity::Idle && !m_closeRequested; }
    Activity activity() const { return m_activity; }
    // A close arrived while an activity ran and waits for it to unwind.
    bool closeRequested() const { return m_closeRequested; }
    // The running loop must end at once: a close waits, and no hang-up is under way.
    bool cancelRequested() const { return m_closeRequested && m_activity != Activity::HangingUp; }

    // "Параметры связи", and the start-up tick: drops the link, leaves the open view,
    // names the settings files that were not read (the first time only), asks for the
    // connection in the connect dialog, saves the settings and opens the chosen
    // connection.
    void chooseConnection();
    // "Отключить связь": drops the link (hanging up a call) and leaves the open view.
    void dropConnection();

    // A command view button: row's command sent once, its reply left in the channel.
    // False when refused.
    bool sendCommand(int row);
    // Runs operation as the one running operation, with the channel, the session's
    // messages and the protocol fields. False, without running it, when refused. A close
    // that arrives meanwhile ends its exchanges, silences its messages and questions, and
    // runs once the operation has returned.
    bool runModuleOperation(const std::function<void(ProtocolContext &)> &operation);

    enum class CloseOutcome {
        Closed,   // the close sequence ran to its end: the window may go
        Deferred, // an activity runs: it is told to end, and the close comes back after it
        Refused,  // the close sequence runs already, or the settings could not be written
    };
    // The window is being closed.
    CloseOutcome requestClose();

    SettingsStore &store() { return m_store; }
    ExchangeChannel &channel() { return m_channel; }
    const LinkState &link() const { return m_link; }
    SerialPort *port() const { return m_port.get(); }
    ProtocolFields &fields() { return m_fields; }

private:
    class ActivityScope;

    void tellLoadProblems();
    void writeSettingsAtAccept();
    bool OpenConnection();
    bool OpenNetworkConnection();
    bool EstablishCall();
    void CloseConnection();
    bool runOperation(Activity activity, const std::function<void(ProtocolContext &)> &operation);
    void setActivity(Activity activity); // reported to the window when it changes
    bool mayStart(const char *what) const; // canStartOperation(), logged when refused
    void activityEnded();
    void closeIfStillWanted();
    CloseOutcome runCloseSequence();
    bool writeSettingsAtClose();

    LinkUi &m_ui;
    SessionHost &m_host;
    SessionUi m_sessionUi; // what the link and the module operations talk to
    LinkTiming m_timing;
    SettingsStore m_store;
    ExchangeChannel m_channel;
    LinkState m_link;
    std::unique_ptr<SerialPort> m_port;
    ProtocolFields m_fields;

    Activity m_activity = Activity::Idle;
    bool m_closeRequested = false;
    bool m_saveFailedAtClose = false; // bluetooth.ini could not be written at an earlier close
    bool m_loadProblemsTold = false;
    QTimer m_closeLater;              // brings a waiting close back from the event loop
};

} // namespace tavrin
