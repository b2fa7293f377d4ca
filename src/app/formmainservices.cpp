// What the session, the device link and the module operations get from the main window:
// status texts, the log, the cursor, message boxes, the event loop and the keyboard
// watch, the connect dialog, the call panel and the views.

#include "app/apptexts.h"
#include "app/errorreport.h"
#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/keyfilter.h"
#include "app/messagepresenter.h"
#include "dialogs/formconnect.h"
#include "dialogs/formwait.h"
#include "dialogs/messagebox.h"
#include "dialogs/panelstatusbar.h"
#include "link/eventloop.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace tavrin {

void TFormMain::showMessage(const QString &text)
{
    if (m_presenter)
        m_presenter->showMessage(text);
    else
        runMessageBox(text, QMessageBox::Ok);
}

bool TFormMain::askYesNo(const QString &text)
{
    if (m_presenter)
        return m_presenter->askQuestion(text);
    return runMessageBox(text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

int TFormMain::runMessageBox(const QString &text, QMessageBox::StandardButtons buttons, const QString &title)
{
    QWidget *modal = QApplication::activeModalWidget();
    PlainMessageBox box(text, buttons, modal ? modal : this);
    if (!title.isEmpty())
        box.setWindowTitle(title);
    // The box takes its own keys and shows the normal cursor, even inside a loop that
    // watches the keyboard under the hourglass.
    const int watch = m_keyboard->suspend();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QPointer<QWidget> previous = m_modal;
    m_modal = &box;
    const int answer = box.exec();
    m_modal = previous;
    QApplication::restoreOverrideCursor();
    m_keyboard->resume(watch);
    return answer;
}

void TFormMain::setActivityText(const QString &text)
{
    m_statusBar->setPanelText(3, text);
}

void TFormMain::setResultText(const QString &text)
{
    m_statusBar->setPanelText(2, text);
}

TraceLog &TFormMain::log()
{
    return *m_exchangeLog;
}

void TFormMain::setBusyCursor(bool busy)
{
    if (busy) {
        if (!QApplication::overrideCursor())
            QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TFormMain::processEvents()
{
    processPendingEvents();
}

void TFormMain::waitForEvents()
{
    waitForAnyEvent();
}

void TFormMain::watchKeyboard(bool on)
{
    if (on)
        m_keyboard->start();
    else
        m_keyboard->stop();
}

bool TFormMain::takeEscape()
{
    return m_keyboard->takeEscape();
}

bool TFormMain::runConnectDialog()
{
    TFormConnect dialog(m_session.store(), this);
    dialog.StatusBar = m_statusBar;
    if (m_presenter)
        dialog.showMessage = [this](const QString &text) { showMessage(text); };
    m_modal = &dialog;
    dialog.exec();
    m_modal = nullptr;
    return dialog.Accepted;
}

void TFormMain::setSettingsMenuVisible(bool visible)
{
    m_settingsMenu->menuAction()->setVisible(visible);
}

void TFormMain::leaveOpenView()
{
    if (m_viewMode != ViewMode::None)
        exitView();
}

void TFormMain::showCallPanel()
{
    m_callDuration->setText(apptext::CallStarted);
    m_callClock.start();
    m_callTimer->start();
    m_callPanel->show();
    m_callPanel->raise();
}

void TFormMain::stopCallClock()
{
    m_callTimer->stop();
}

void TFormMain::hideCallPanel()
{
    m_callPanel->hide();
}

void TFormMain::onCallTimerTimeout()
{
    const qint64 seconds = m_callClock.isValid() ? m_callClock.elapsed() / 1000 : 0;
    m_callDuration->setText(QStringLiteral("%1:%2:%3")
                                .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void TFormMain::closeDialogs()
{
    if (m_modal)
        m_modal->close();
    // And every modal window opened from it (the subscriber list, the survey window, a
    // message box): isAncestorOf stops at a window's edge, so the owners are followed
    // one by one. A survey window closes once its call is hung up.
    const auto ownedHere = [this](const QWidget *window) {
        for (const QWidget *owner = window->parentWidget(); owner; owner = owner->parentWidget()) {
            if (owner == this)
                return true;
        }
        return false;
    };
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible() && window->isModal() && ownedHere(window))
            window->close();
    }
}

void TFormMain::destroyWaitWindow()
{
    // At most one, owned by this window.
    qDeleteAll(findChildren<TFormWait *>(Qt::FindDirectChildrenOnly));
}

void TFormMain::reportError(const std::exception &error)
{
    ReportException(error);
}

void TFormMain::closeWindow()
{
    close();
}

} // namespace tavrin
