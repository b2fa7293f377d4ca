#include "link/exchangechannel.h"
#include "link/exchangecycle.h"

#include "link/linktexts.h"
#include "link/linkui.h"
#include "link/linkwait.h"
#include "link/modem.h"
#include "link/serialport.h"

#include "settings/settings.h"

namespace tavrin {

namespace {

// The link is no longer ours to re-dial: the window closed it, or is closing.
bool linkGone(const ExchangeChannel &channel, SerialPort *port)
{
    return channel.port != port || linkwait::closing(channel.ui);
}

// The restore stops as well when the link is being closed meanwhile.
bool restoreStopped(const ExchangeChannel &channel, SerialPort *port)
{
    return linkGone(channel, port) || channel.abortRequested;
}

// Dials the current subscriber until the call stands or the user gives up.
bool redialUntilGivenUp(ExchangeChannel &channel, ModemDialogue &modem, SerialPort *port)
{
    const Settings &settings = *channel.settings;
    for (;;) {
        const AbonentRecord *abonent = settings.selectedAbonent();
        const QString phone = abonent ? abonent->phoneNumber : QString();
        const int result = modem.DialSubscriber(phone, settings.modemCommands, true, settings.dialRounds,
                                                settings.connectWaitSeconds);
        if (restoreStopped(channel, port))
            return false;
        if (result == DialOk) {
            if (channel.linkState) {
                channel.linkState->LinkOpen = true;
                channel.linkState->ModemConnected = true;
            }
            // A new call, shown as the first one was: the dial dialogue leaves status
            // panel 2 and the call's duration starts again.
            channel.ui->setResultText(QString());
            if (channel.callRestored)
                channel.callRestored();
            return true;
        }
        if (!channel.ui->askYesNo(linktext::RestoreQuestion()) || restoreStopped(channel, port))
            return false;
    }
}

} // namespace

int AskRestoreModemLink(ExchangeChannel &channel, bool checkRingFirst)
{
    if (checkRingFirst && channel.carrierInRing())
        return CarrierStillPresent;
    if (!channel.ui || linkwait::closing(channel.ui))
        return LinkNotRestored;
    if (!channel.ui->askYesNo(linktext::RestoreQuestion()))
        return LinkNotRestored;
    return RestoreModemLink(channel) ? LinkRestored : LinkNotRestored;
}

bool RestoreModemLink(ExchangeChannel &channel)
{
    SerialPort *port = channel.port;
    if (!port || !channel.ui || !channel.settings || linkGone(channel, port))
        return false;
    BusyCursor cursor(channel.ui);
    ModemDialogue modem(*port, *channel.ui, channel.timing);
    modem.setAbortFlag(&channel.abortRequested);

    // What came after the report (its CR LF) joins the trace before the hang-up purges.
    TraceWaitingBytes(channel, false);
    modem.HangUp(false);
    if (restoreStopped(channel, port))
        return false;
    if (channel.linkState)
        channel.linkState->ModemConnected = false;
    Pause(channel.timing.restorePauseMs);
    port->purge();
    channel.retryWindowEnd = 0;
    channel.clearCarrierRing();
    return redialUntilGivenUp(channel, modem, port);
}

} // namespace tavrin
