// Making and dropping the link: the connect dialog, opening the port, the modem call and
// the teardown.

#include "link/linkwait.h"
#include "link/modem.h"
#include "link/networktarget.h"
#include "link/serialport.h"
#include "session/activityscope.h"
#include "session/session.h"
#include "session/sessionhost.h"
#include "session/sessionlog.h"
#include "session/sessiontexts.h"

namespace tavrin {

namespace {

QString DialResultText(int result)
{
    const auto &texts = DialResultTexts();
    return result >= 0 && result < int(texts.size()) ? texts[size_t(result)] : QString();
}

} // namespace

void Session::chooseConnection()
{
    // While a dial, an exchange or a hang-up runs, the menu can still be reached through
    // the event processing of that loop: a second flow must not start inside it, nor
    // close the port under it.
    if (!mayStart("connection flow"))
        return;
    ActivityScope connecting(*this, Activity::Connecting);

    if (m_link.LinkOpen)
        CloseConnection();
    // A view open now (the start-up tick can come at any moment) is left with its
    // disabled menu, so a cancelled dialog leaves a window that can be used.
    m_host.leaveOpenView();
    m_host.setSettingsMenuVisible(false);
    tellLoadProblems();
    if (m_closeRequested || !m_host.runConnectDialog() || m_closeRequested)
        return;

    writeSettingsAtAccept();
    if (m_closeRequested)
        return;
    if (OpenConnection())
        m_host.setSettingsMenuVisible(true);
}

void Session::writeSettingsAtAccept()
{
    // A file that cannot be written is named, and the link is opened all the same: the
    // chosen parameters are in memory, and the close writes bluetooth.ini again.
    for (void (SettingsStore::*write)() : {&SettingsStore::WriteBluetoothIni, &SettingsStore::WriteAbonentsIni}) {
        try {
            (m_store.*write)();
        } catch (const SettingsWriteError &error) {
            qCInfo(lcSession) << "settings not written at accept:" << error.what();
            m_host.reportError(error);
        }
    }
}

void Session::tellLoadProblems()
{
    if (m_loadProblemsTold)
        return;
    m_loadProblemsTold = true;
    for (const QString &problem : m_store.loadProblems() + m_store.loadNotes())
        m_sessionUi.showMessage(problem);
}

bool Session::OpenNetworkConnection()
{
    const Settings &settings = m_store.CurrentSettings;
    const ConnectionParameters &line = settings.network;
    const AbonentRecord *abonent = settings.selectedAbonent();
    const std::optional<NetworkAddress> address =
        abonent ? ParseNetworkAddress(abonent->networkAddress) : std::nullopt;
    if (!address) {
        qCInfo(lcSession) << "no network address to connect to";
        m_sessionUi.showMessage(sessiontext::NoNetworkAddress(abonent ? abonent->name : QString()));
        return false;
    }
    const NetworkTarget target{.address = *address, .protocol = abonent->networkProtocol, .rate = line.bitRate,
                               .connectLimitMs = SecondsToMs(settings.networkConnectSeconds)};
    QString failure;
    {
        // The connection is made with the event loop running: the window repaints and
        // Esc cancels.
        BusyCursor busy(&m_ui);
        m_ui.setResultText(sessiontext::NetworkConnecting(NetworkAddressText(*address)));
        m_port = OpenNetworkPort(target, &m_ui, &failure);
        m_ui.setResultText(QString());
    }
    if (!m_port) {
        m_sessionUi.showMessage(failure);
        return false;
    }
    m_link.LinkOpen = true;
    m_channel.arm(m_port.get(), line.bitRate, line.replyWaitSeconds, line.byteWaitMs, line.exchangeAttempts, line.wakeUpByte);
    m_channel.timing = m_timing;
    return true;
}

bool Session::OpenConnection()
{
    const Settings &settings = m_store.CurrentSettings;
    const ConnectionParameters &line = settings.active();
    if (settings.connectionKind == Network)
        return OpenNetworkConnection();

    m_port = OpenPort(line.portNumber, PortSettings{.rate = line.bitRate});
    if (!m_port) {
        qCInfo(lcSession, "COM%d could not be opened", int(line.portNumber));
        m_sessionUi.showMessage(sessiontext::PortUnavailable(line.portNumber));
        return false;
    }
    m_link.LinkOpen = true;
    // The window is frozen meanwhile, as for every fixed pause.
    Pause(kSettleAfterOpenMs);

    if (settings.connectionKind == Phone) {
        m_link.ModemConnected = EstablishCall();
        if (!m_link.ModemConnected) {
            CloseConnection();
            m_sessionUi.showMessage(sessiontext::PhoneLinkFailed);
            return false;
        }
    }

    m_channel.arm(m_port.get(), line.bitRate, line.replyWaitSeconds, line.byteWaitMs, line.exchangeAttempts, line.wakeUpByte);
    m_channel.timing = m_timing;
    return true;
}

bool Session::EstablishCall()
{
    const Settings &settings = m_store.CurrentSettings;
    const AbonentRecord *abonent = settings.selectedAbonent();

    int result = DialNotConnected;
    // The connect dialog accepts the phone kind only with a subscriber selected; a
    // directory emptied by hand leaves nobody to call.
    while (abonent && m_port && !m_closeRequested) {
        m_ui.setBusyCursor(true);
        ModemDialogue modem(*m_port, m_sessionUi, m_timing);
        result = modem.DialSubscriber(abonent->phoneNumber, settings.modemCommands, true, settings.dialRounds,
                                      settings.connectWaitSeconds);
        m_ui.setBusyCursor(false);
        if (result == DialOk) {
            m_host.showCallPanel();
            break;
        }
        qCInfo(lcSession, "dial failed: %d", result);
        if (!m_sessionUi.askYesNo(sessiontext::RetryDial(DialResultText(result))))
            break;
    }
    m_ui.setResultText(QString());
    return result == DialOk && !m_closeRequested;
}

void Session::CloseConnection()
{
    m_ui.setBusyCursor(true);
    m_channel.abortRequested = true; // an exchange in progress ends at its next check
    m_host.stopCallClock();
    if (m_link.ModemConnected) {
        SerialPort *port = m_channel.port ? m_channel.port : m_port.get();
        if (port) {
            ActivityScope hangingUp(*this, Activity::HangingUp);
            ModemDialogue modem(*port, m_sessionUi, m_timing);
            modem.HangUp(true);
        }
        m_link.ModemConnected = false;
        m_host.hideCallPanel();
    }
    m_link.LinkOpen = false;
    if (m_port)
        ClosePort(m_port);
    m_channel.port = nullptr;
    m_host.destroyWaitWindow();
    m_ui.setBusyCursor(false);
}

void Session::dropConnection()
{
    // A second press while the first one still hangs up, or a press during an exchange,
    // must not close the port under the running loop.
    if (!mayStart("disconnect"))
        return;
    ActivityScope hangingUp(*this, Activity::HangingUp);
    CloseConnection();
    m_host.leaveOpenView();
    m_host.setSettingsMenuVisible(false);
}

} // namespace tavrin
