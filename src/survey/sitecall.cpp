#include "survey/sitecall.h"

#include "link/exchangechannel.h"
#include "link/modem.h"
#include "link/networktarget.h"
#include "protocol/moduleoperations.h"
#include "survey/surveytexts.h"

namespace tavrin {

namespace {

// A dial that the network or the modem refused leaves the modem in command mode with
// no call; any other failure (a time-out, a stop) may leave a call being made.
bool DialMayLeaveACall(int result)
{
    switch (result) {
    case DialNoDialTone:
    case DialBusy:
    case DialNoCarrier:
    case DialError:
    case DialNoAnswer:
    case DialNoModem:
    case DialGsmNotReady:
        return false;
    default:
        return true;
    }
}

} // namespace

SiteCall::SiteCall(const Settings &settings, int portNumber, const SurveyTiming &timing,
                   const std::atomic<bool> &stop)
    : m_settings(settings), m_portNumber(portNumber), m_timing(timing), m_stop(stop), m_host(stop)
{
}

SiteCall::~SiteCall()
{
    ClosePort(m_port);
}

bool SiteCall::open(const SurveyEngine::PortOpener &openPort)
{
    m_port = openPort(m_portNumber, PortSettings{.rate = m_settings.phone.bitRate}, nullptr);
    return m_port != nullptr;
}

DialStep SiteCall::dial(const QString &phone)
{
    m_timing.pause(m_timing.settleAfterOpenMs);
    ModemDialogue modem(*m_port, m_host, m_timing.link);
    m_dialResult = modem.DialSubscriber(phone, m_settings.modemCommands, false, m_settings.dialRounds,
                                        m_settings.connectWaitSeconds);
    if (modem.dialUnanswered())
        m_call = CallState::Dialling;
    else if (DialMayLeaveACall(m_dialResult))
        m_call = CallState::MayBeUp;
    if (m_stop)
        return DialStep::Stopped;
    return m_dialResult == DialOk ? DialStep::Connected : DialStep::Failed;
}

bool SiteCall::connect(const SurveySubscriber &subscriber, SiteOutcome &failure)
{
    m_address = subscriber.networkAddress.trimmed();
    const std::optional<NetworkAddress> address = ParseNetworkAddress(m_address);
    if (!address) {
        failure = SiteOutcome::NoNetworkAddress;
        return false;
    }
    const NetworkTarget target{.address = *address, .protocol = subscriber.networkProtocol,
                               .rate = m_settings.network.bitRate,
                               .connectLimitMs = SecondsToMs(m_settings.networkConnectSeconds)};
    m_network = true;
    m_port = OpenNetworkPort(target, &m_host, &m_networkFailure);
    failure = m_stop ? SiteOutcome::Stopped : SiteOutcome::NotConnected;
    return m_port && !m_stop;
}

SiteOutcome SiteCall::read(DeviceState &state)
{
    const ConnectionParameters &line = m_network ? m_settings.network : m_settings.phone;
    ExchangeChannel channel;
    LinkState link{.LinkOpen = true, .ModemConnected = !m_network};
    channel.arm(m_port.get(), line.bitRate, line.replyWaitSeconds, line.byteWaitMs, line.exchangeAttempts,
                line.wakeUpByte);
    channel.timing = m_timing.link;
    // The reading's restore question (and a phone link's re-dial) work on the site's
    // kind; the question is answered No, so no site is ever dialled or connected again.
    Settings siteKind = m_settings;
    siteKind.connectionKind = m_network ? Network : Phone;
    channel.settings = &siteKind;
    channel.linkState = &link;
    channel.ui = &m_host;
    ProtocolFields fields;
    ProtocolContext context{channel, m_host, fields, m_timing.pause};
    ReadDeviceState(context, m_host);
    const bool carrierLost = channel.result == CarrierLost;
    channel.disarm();
    if (m_host.state) {
        state = *m_host.state;
        return SiteOutcome::Read;
    }
    if (m_stop)
        return SiteOutcome::Stopped;
    if (m_host.asked || carrierLost)
        return SiteOutcome::CarrierLost;
    return SiteOutcome::ReadFailed;
}

bool SiteCall::hangUp()
{
    // The stop is what asks for the hang-up: it must not end it half-way.
    m_host.hearStop(false);
    if (m_call == CallState::Dialling)
        m_call = abandonDial();
    const bool onHook = m_call == CallState::None || endCall();
    m_call = CallState::None;
    return onHook;
}

SiteCall::CallState SiteCall::abandonDial()
{
    // Any character ends a dial in progress; the modem then sends its final result
    // code. CONNECT, or nothing at all, leaves a call to end.
    const char abandon = '\r';
    m_port->write(&abandon, 1);
    ModemDialogue modem(*m_port, m_host, m_timing.link);
    QByteArray reply;
    const int result = modem.AwaitReply(reply, m_timing.link.hangUpReplyWaitMs);
    if (result == DialReplyTimeout || ContainsText(reply.constData(), "CONNECT"))
        return CallState::MayBeUp;
    return CallState::None;
}

bool SiteCall::endCall()
{
    ModemDialogue modem(*m_port, m_host, m_timing.link);
    for (int round = 1; round <= 2; ++round) {
        QByteArray reply;
        Pause(m_timing.link.hangUpGuardMs);
        modem.ModemCommand(QByteArrayLiteral("+++"), reply, m_timing.link.hangUpReplyWaitMs, false);
        const int result = modem.ModemCommand(QByteArrayLiteral("ath\r"), reply, m_timing.link.hangUpReplyWaitMs, false);
        if (result == DialOk && ContainsText(reply.constData(), "OK"))
            return true;
    }
    return false;
}

QString SiteCall::resultText(SiteOutcome outcome) const
{
    switch (outcome) {
    case SiteOutcome::Read:
        return surveytext::Read;
    case SiteOutcome::NoPhoneNumber:
        return surveytext::NoPhoneNumber;
    case SiteOutcome::PortUnavailable:
        return surveytext::PortUnavailable(m_portNumber);
    case SiteOutcome::DialFailed:
        return DialResultTexts()[size_t(m_dialResult)];
    case SiteOutcome::ReadFailed:
        return m_host.firstMessage;
    case SiteOutcome::CarrierLost:
        // A lost connection names where it went, as the window's status bar does.
        return m_port && m_port->connectionLost() ? m_port->lossText() : surveytext::CarrierLost();
    case SiteOutcome::Stopped:
        return surveytext::Stopped;
    case SiteOutcome::LeftOnline:
        return surveytext::ModemMayBeOnline(m_portNumber);
    case SiteOutcome::ReadLeftOnline:
        return surveytext::ReadModemMayBeOnline(m_portNumber);
    case SiteOutcome::NoNetworkAddress:
        return surveytext::BadNetworkAddress(m_address);
    case SiteOutcome::NotConnected:
        // A cell holds one line.
        return QString(m_networkFailure).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified();
    }
    return QString();
}

} // namespace tavrin
