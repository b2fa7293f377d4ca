#include "link/exchangechannel.h"

#include "link/linkui.h"
#include "link/linkwait.h"
#include "link/modem.h"
#include "link/serialport.h"

#include "settings/settings.h"

namespace tavrin {

namespace {

const QString kRestoreQuestion = QStringLiteral(u"Связь через модем прервана.\rВосстановить сейчас?");

// The link is no longer ours to re-dial: the window closed it, or is closing.
bool linkGone(const ExchangeChannel &channel, SerialPort *port)
{
    return channel.port != port || linkwait::closing(channel.ui);
}

} // namespace

int AskRestoreModemLink(ExchangeChannel &channel, bool checkRingFirst)
{
    if (checkRingFirst && channel.carrierInRing())
        return 0;
    if (!channel.ui || linkwait::closing(channel.ui))
        return 2;
    if (!channel.ui->askYesNo(kRestoreQuestion))
        return 2;
    return RestoreModemLink(channel) ? 1 : 2;
}

bool RestoreModemLink(ExchangeChannel &channel)
{
    SerialPort *port = channel.port;
    const Settings *settings = channel.settings;
    if (!port || !channel.ui || !settings || linkGone(channel, port))
        return false;
    BusyCursor cursor(channel.ui);
    ModemDialogue modem(*port, *channel.ui, channel.timing);
    modem.setAbortFlag(&channel.abortRequested);

    modem.HangUp(false);
    if (linkGone(channel, port) || channel.abortRequested)
        return false;
    if (channel.linkState)
        channel.linkState->ModemConnected = false;
    Pause(channel.timing.restorePauseMs);
    port->purge();
    channel.retryWindowEnd = 0;
    channel.clearCarrierRing();

    for (;;) {
        const AbonentRecord *abonent = settings->selectedAbonent();
        const QString phone = abonent ? abonent->phone_code : QString();
        const int result = modem.DialSubscriber(phone, settings->Command, true, settings->Conn_Repeat,
                                                settings->ConnectWaitTime);
        if (linkGone(channel, port) || channel.abortRequested)
            return false;
        if (result == DialOk) {
            if (channel.linkState) {
                channel.linkState->LinkOpen = true;
                channel.linkState->ModemConnected = true;
            }
            return true;
        }
        if (!channel.ui->askYesNo(kRestoreQuestion) || linkGone(channel, port) || channel.abortRequested)
            return false;
    }
}

} // namespace tavrin
