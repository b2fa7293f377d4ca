#include "app/formmain.h"

#include "app/apptexts.h"
#include "app/exchangelogview.h"
#include "app/windowgeometry.h"
#include "dialogs/panelstatusbar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace tavrin {

using namespace geometry;

TFormMain::TFormMain(const QString &executableDir, const LinkTiming &timing, QWidget *parent)
    : QMainWindow(parent), m_session(executableDir, *this, *this, *this, timing)
{
    setUpWindow();
}

// The session lets go of the port; the settings are written by the close sequence only.
TFormMain::~TFormMain() = default;

void TFormMain::setUpWindow()
{
    setObjectName(QStringLiteral("FormMain"));
    createControls();

    m_commandView->hide();
    m_stateView->hide();
    m_logView->hide();
    m_callPanel->hide();
    // The views need a link: the submenu that leads to them is shown once one is open.
    setSettingsMenuVisible(false);
    ClearLog();
    restoreLogView();

    setWindowTitle(apptext::Caption());
    resize(kWindowWidth, kWindowHeight);
    m_startTimer->start();
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Restoring a minimised window is not a new start.
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        placeOnFirstShow();
    }
}

void TFormMain::placeOnFirstShow()
{
    resize(kWindowWidth, kWindowHeight);
    if (QScreen *display = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        move(frame.topLeft());
    }
    m_createPairAction->setVisible(false);
    m_breakPairAction->setVisible(false);
    // Every run begins by asking how to connect.
    m_startTimer->start();
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitStatusPanels();
}

void TFormMain::fitStatusPanels()
{
    // The status bar is laid out inside the central widget; its width is the window's.
    const int barWidth = centralWidget() ? centralWidget()->width() : width();
    m_statusBar->setPanelWidth(2, barWidth - m_statusBar->panelWidth(0) - m_statusBar->panelWidth(1) - 60);
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_background)
        placeAnchoredControls();
    for (QLineEdit *field : m_addressFields) {
        if (watched == field)
            return filterAddressFieldEvent(field, event) || QMainWindow::eventFilter(watched, event);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (m_session.requestClose() != Session::CloseOutcome::Closed) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void TFormMain::activityChanged(Activity)
{
    updateEnabled();
}

void TFormMain::updateEnabled()
{
    if (!m_commandView)
        return; // the session reports before the controls exist
    // Also refused: the moment between an activity's end and the close that waited for it.
    const bool idle = m_session.canStartOperation();
    const bool menu = idle && m_viewMode == ViewMode::None;
    m_connectionParametersAction->setEnabled(menu);
    m_settingsMenu->menuAction()->setEnabled(menu);
    m_exitAction->setEnabled(menu);

    const bool wasIdle = m_commandView->isEnabledTo(this);
    if (wasIdle == idle)
        return;
    if (!idle)
        m_focusBeforeBusy = isAncestorOf(QApplication::focusWidget()) ? QApplication::focusWidget() : nullptr;
    // The log's text stays readable and scrollable; everything that acts is refused.
    for (QWidget *control : {static_cast<QWidget *>(m_commandView), static_cast<QWidget *>(m_stateView),
                             static_cast<QWidget *>(m_clearLogButton), static_cast<QWidget *>(m_disconnectButton)})
        control->setEnabled(idle);
    if (!idle) {
        m_focusWhileBusy = QApplication::focusWidget();
    } else if (m_focusBeforeBusy && QApplication::focusWidget() == m_focusWhileBusy && m_focusBeforeBusy->isEnabled()
               && m_focusBeforeBusy->isVisible()) {
        m_focusBeforeBusy->setFocus(Qt::OtherFocusReason);
    }
}

void TFormMain::openView(ViewMode view)
{
    QGroupBox *group = view == ViewMode::State ? m_stateView : m_commandView;
    group->move(kViewLeft, kViewTop);
    group->show();
    m_logView->move(kLogLeft, kLogTop);
    m_logView->setVisible(view == ViewMode::Command);
    m_viewMode = view;
    updateEnabled();
    ClearLog();
}

void TFormMain::exitView()
{
    m_commandView->hide();
    m_stateView->hide();
    m_logView->hide();
    m_statusBar->setPanelText(2, QString());
    m_viewMode = ViewMode::None;
    updateEnabled();
}

void TFormMain::onToggleLogShortcut()
{
    if (m_viewMode == ViewMode::State)
        m_logView->setVisible(!m_logView->isVisible());
}

void TFormMain::onClearLogClicked()
{
    ClearLog();
}

void TFormMain::ClearLog()
{
    m_exchangeLog->clearLog();
}

void TFormMain::scrollLogToEnd()
{
    m_exchangeLog->scrollToEnd();
}

void TFormMain::onStartTimerTimeout()
{
    m_startTimer->stop();
    m_session.chooseConnection();
}

void TFormMain::onConnectionParametersTriggered()
{
    m_session.chooseConnection();
}

void TFormMain::onDisconnectClicked()
{
    m_session.dropConnection();
}

} // namespace tavrin
