// Making and dropping the link: the connect dialog, opening the port, the modem call
// and the teardown.

#include "app/apptexts.h"
#include "app/formmain.h"

#include "dialogs/formconnect.h"
#include "dialogs/formwait.h"
#include "dialogs/panelstatusbar.h"
#include "link/modem.h"
#include "link/serialport.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace tavrin {

void TFormMain::TimerStartTimer()
{
    TimerStart->stop();
    NconnClick();
}

void TFormMain::NconnClick()
{
    // While a dial, an exchange or a hang-up runs, the menu can still be reached through
    // the event processing of that loop; a second connection flow must not start inside
    // it, nor close the port under it.
    if (operationRunning() || m_closing || m_closePending)
        return;
    OperationScope operation(*this);

    if (Link.LinkOpen)
        CloseConnection();
    Nnastr->menuAction()->setVisible(false);
    gb_command->hide();
    gb_state->hide();
    gb_obmen->hide();

    bool accepted = false;
    {
        TFormConnect dialog(Store, this);
        dialog.StatusBar = StatusBar1;
        if (MessageHook)
            dialog.showMessage = [this](const QString &text) { ShowMessage(text); };
        m_modal = &dialog;
        dialog.exec();
        m_modal = nullptr;
        accepted = dialog.Accepted;
    }
    if (!accepted || m_cancel)
        return;

    Store.WriteBluetoothIni();
    Store.WriteAbonentsIni();
    if (OpenConnection())
        Nnastr->menuAction()->setVisible(true);
}

bool TFormMain::OpenConnection()
{
    const Settings &settings = Store.CurrentSettings;
    const ConnectionParameters &line = settings.active();

    PortHandle = OpenPort(line.COMPort, line.Rate, 8, NoParity, OneStop, 1000, 1000, true, false);
    if (!PortHandle) {
        ShowMessage(apptext::PortUnavailable(line.COMPort));
        return false;
    }
    Link.LinkOpen = true;
    SetReadTimeouts(*PortHandle, 0xFFFFFFFF, 0, 0);
    // Lets the line settle; the window is frozen meanwhile, as for every fixed pause.
    Pause(300);

    if (settings.Conn_Prz == Phone) {
        Link.ModemConnected = EstablishCall();
        if (!Link.ModemConnected) {
            CloseConnection();
            ShowMessage(apptext::PhoneLinkFailed);
            return false;
        }
    }

    Channel.arm(PortHandle.get(), line.Rate, line.WaitTime, line.TimeOut, line.Repeat,
                line.First_Zero_Need);
    Channel.timing = Timing;
    return true;
}

bool TFormMain::EstablishCall()
{
    OperationScope operation(*this);
    const Settings &settings = Store.CurrentSettings;
    const AbonentRecord *abonent = settings.selectedAbonent();

    int result = DialNotConnected;
    // The connect dialog accepts the phone kind only with a subscriber selected; a
    // directory emptied by hand leaves nobody to call.
    while (abonent && PortHandle && !m_cancel) {
        setBusyCursor(true);
        ModemDialogue modem(*PortHandle, *this, Timing);
        result = modem.DialSubscriber(abonent->phone_code, settings.Command, true,
                                      settings.Conn_Repeat, settings.ConnectWaitTime);
        setBusyCursor(false);
        if (result == DialOk) {
            pntime->setText(apptext::CallStarted);
            m_callClock.start();
            TimerMoney->start();
            pnmodem->show();
            pnmodem->raise();
            break;
        }
        const auto &texts = DialResultTexts();
        const QString reason = result >= 0 && result < int(texts.size()) ? texts[result] : QString();
        if (!AskQuestion(apptext::RetryDial(reason)))
            break;
    }
    StatusBar1->setPanelText(2, QString());
    update();
    return result == DialOk && !m_cancel;
}

void TFormMain::CloseConnection()
{
    OperationScope operation(*this);
    setBusyCursor(true);
    Channel.abortRequested = true;
    TimerMoney->stop();
    if (Link.ModemConnected) {
        SerialPort *port = Channel.port ? Channel.port : PortHandle.get();
        if (port) {
            m_hangingUp = true;
            ModemDialogue modem(*port, *this, Timing);
            modem.HangUp(true);
            m_hangingUp = false;
        }
        Link.ModemConnected = false;
        pnmodem->hide();
    }
    Link.LinkOpen = false;
    if (PortHandle)
        ClosePort(PortHandle);
    Channel.port = nullptr;
    if (WaitWindow) {
        delete WaitWindow;
        WaitWindow = nullptr;
    }
    setBusyCursor(false);
}

void TFormMain::BitBtn3Click()
{
    // A second press while the first one is still hanging up, or a press during an
    // exchange, must not close the port under the running loop.
    if (operationRunning() || m_closing || m_closePending)
        return;
    CloseConnection();
    if (ViewMode != 0)
        BitBtnExitClick();
    Nnastr->menuAction()->setVisible(false);
}

void TFormMain::TimerMoneyTimer()
{
    const qint64 seconds = m_callClock.isValid() ? m_callClock.elapsed() / 1000 : 0;
    pntime->setText(QStringLiteral("%1:%2:%3")
                        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                        .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

} // namespace tavrin
