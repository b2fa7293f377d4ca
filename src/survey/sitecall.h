#pragma once

#include "link/serialport.h"
#include "settings/settings.h"
#include "survey/recordinghost.h"
#include "survey/surveyengine.h"

#include <QString>

#include <atomic>
#include <memory>

namespace tavrin {

// How a site's visit ended; the row's "Результат" is made from it.
enum class SiteOutcome {
    Read,            // the module was read
    NoPhoneNumber,   // nothing to dial
    PortUnavailable, // the port did not open
    DialFailed,      // the dial did not connect
    ReadFailed,      // connected, but the reading failed
    CarrierLost,     // the carrier went during the reading
    Stopped,         // a stop of the round ended the visit
    LeftOnline,      // the hang-up got no answer: the modem may still hold the call
    ReadLeftOnline,  // the module was read, but the hang-up got no answer
    NoNetworkAddress, // the directory's network address does not parse
    NotConnected,    // the network connection was not made
};

// How the dial step ended.
enum class DialStep { Connected, Failed, Stopped };

// One site's call on one port, in its steps: open, dial, read, hang up; or, for a site
// served over the network, connect and read. The port (or the connection) closes with
// the object.
class SiteCall {
public:
    SiteCall(const Settings &settings, int portNumber, const SurveyTiming &timing, const std::atomic<bool> &stop);
    ~SiteCall();

    bool open(const SurveyEngine::PortOpener &openPort);
    DialStep dial(const QString &phone);
    // Connects to the site's network address with the network kind's connect time limit
    // (and, with port control, its rate); a stop of the round ends the wait at once.
    // False, with why in failure, when no connection stands.
    bool connect(const SurveySubscriber &subscriber, SiteOutcome &failure);
    // Reads the module on the call the dial made, or on the connection; fills state
    // when it was read.
    SiteOutcome read(DeviceState &state);
    // Ends any call the dial may have left up or in the making; nothing when none can
    // be. A dial still waiting for its result is abandoned by a character, as a Hayes
    // modem expects; a call that is or may be up gets the guard time, "+++" and ATH,
    // twice at most, until ATH is answered OK. False when it never was.
    bool hangUp();

    // The row's "Результат" for an outcome of this call.
    QString resultText(SiteOutcome outcome) const;

private:
    const Settings &m_settings;
    const int m_portNumber;
    const SurveyTiming &m_timing;
    const std::atomic<bool> &m_stop;
    RecordingHost m_host;
    // What the line may hold when the visit ends.
    enum class CallState { None, Dialling, MayBeUp };

    CallState abandonDial();
    bool endCall();

    std::unique_ptr<SerialPort> m_port;
    bool m_network = false;   // the port is a network connection
    QString m_networkFailure; // why it was not made, naming the host and port
    QString m_address;        // the site's network address, as the directory holds it
    int m_dialResult = -1; // DialResult of the dial step; -1 before it
    CallState m_call = CallState::None;
};

} // namespace tavrin
