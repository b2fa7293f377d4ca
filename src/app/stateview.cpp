// The state view: the state reading, pair creation and pair break started from it, and
// what those operations get from the window (ModuleOperationHost): the state values,
// the wait window, the confirmation and the address dialog.

#include "app/formmain.h"
#include "app/messagepresenter.h"
#include "dialogs/forminputadr.h"
#include "dialogs/formwait.h"
#include "dialogs/panelstatusbar.h"
#include "protocol/moduleoperations.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace tavrin {

namespace {

QColor OperationalGreen() { return QColor(0, 128, 0); }
QColor CommissioningMaroon() { return QColor(128, 0, 0); }

} // namespace

void TFormMain::onStateTriggered()
{
    openView(ViewMode::State);
    runStateOperation(ReadDeviceState);
}

// "Обновить", and Esc while the state panel is shown.
void TFormMain::onRefreshClicked()
{
    runStateOperation(ReadDeviceState);
}

void TFormMain::onCreatePairClicked()
{
    runStateOperation(CreatePair);
}

void TFormMain::onBreakPairClicked()
{
    runStateOperation(BreakPair);
}

void TFormMain::runStateOperation(void (*operation)(ProtocolContext &, ModuleOperationHost &))
{
    // Refused while anything else runs or a close waits.
    m_session.runModuleOperation([this, operation](ProtocolContext &context) { operation(context, *this); });
}

bool TFormMain::askConfirmation(const QString &title, const QString &text)
{
    if (m_presenter)
        return m_presenter->askQuestion(text);
    return runMessageBox(text, QMessageBox::Yes | QMessageBox::No, title) == QMessageBox::Yes;
}

std::optional<MacAddress> TFormMain::askPeerAddress()
{
    MacAddress &stored = m_session.store().CurrentSettings.StoredPeerAddress;
    TFormInput_Adr dialog(stored, this);
    if (m_presenter)
        dialog.showMessage = [this](const QString &text) { showMessage(text); };
    // Typed into under the normal cursor; a closing window cancels it (closeDialogs).
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const QPointer<QWidget> previous = m_modal;
    m_modal = &dialog;
    dialog.exec();
    m_modal = previous;
    QApplication::restoreOverrideCursor();
    if (!dialog.Accepted)
        return std::nullopt;
    return stored;
}

TFormWait *TFormMain::waitWindow() const
{
    return findChild<TFormWait *>(QString(), Qt::FindDirectChildrenOnly);
}

void TFormMain::openWaitWindow(WaitWindowKind kind, int maximum)
{
    if (TFormWait *open = waitWindow()) {
        open->setMaximum(maximum);
        return;
    }
    auto *wait = new TFormWait(this);
    // It only shows progress: the keyboard stays with this window, so Esc and Ctrl+Z
    // work as soon as the operation ends.
    wait->setAttribute(Qt::WA_ShowWithoutActivating);
    wait->WaitKind = quint8(kind);
    wait->setMaximum(maximum);
    wait->show();
    wait->repaint();
}

void TFormMain::advanceWaitWindow()
{
    if (TFormWait *wait = waitWindow())
        wait->advance();
}

void TFormMain::completeWaitWindow()
{
    if (TFormWait *wait = waitWindow())
        wait->complete();
}

void TFormMain::closeWaitWindow()
{
    // Where the platform gave it the keyboard all the same, the keyboard comes back
    // here, as to the owner of any window that closes.
    const TFormWait *wait = waitWindow();
    const bool hadKeyboard = wait && wait->isActiveWindow();
    destroyWaitWindow();
    if (hadKeyboard)
        activateWindow();
}

void TFormMain::setOperationText(const QString &text)
{
    m_statusBar->setPanelText(2, text);
}

void TFormMain::hideStateView()
{
    m_viewMode = ViewMode::State;
    m_stateView->hide();
    for (QLabel *value : m_stateValues)
        value->clear();
}

void TFormMain::showState(const DeviceState &state)
{
    const QString values[] = {state.mode,        state.connection, state.pair,
                              state.peerAddress, state.ownAddress, state.version};
    for (size_t i = 0; i < m_stateValues.size(); ++i)
        m_stateValues[i]->setText(values[i]);
    QLabel *mode = m_stateValues[0];
    QPalette palette = mode->palette();
    palette.setColor(QPalette::WindowText, state.pairExists ? OperationalGreen() : CommissioningMaroon());
    mode->setPalette(palette);
    m_createPairButton->setEnabled(state.peerWaiting);
    m_breakPairButton->setEnabled(state.pairExists);
    m_stateView->show();
}

void TFormMain::leaveView()
{
    exitView();
}

} // namespace tavrin
