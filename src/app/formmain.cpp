#include "app/formmain.h"

#include "app/apptexts.h"
#include "app/callpanel.h"
#include "app/commandview.h"
#include "app/errorreport.h"
#include "app/exchangelogpanel.h"
#include "app/exchangelogview.h"
#include "app/keyfilter.h"
#include "app/menukeys.h"
#include "app/stateview.h"
#include "app/windowdialogs.h"
#include "app/windowgeometry.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/formconnect.h"
#include "dialogs/panelstatusbar.h"
#include "link/eventloop.h"
#include "protocol/moduleoperations.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrin {

using namespace geometry;

TFormMain::TFormMain(const QString &executableDir, const LinkTiming &timing, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    m_keyboard = new EscapeKeyFilter(this);
    m_dialogs = std::make_unique<WindowDialogs>(*this, *m_keyboard);
    createControls();
    LinkUi &linkUi = *this; // private bases: converted here, inside the class
    SessionHost &sessionHost = *this;
    m_session = std::make_unique<Session>(executableDir, linkUi, *m_commandView, sessionHost, timing);
    m_stateView->setStoredPeerAddress(&m_session->store().CurrentSettings.storedPeerAddress);

    m_commandView->hide();
    m_stateView->hide();
    m_logPanel->hide();
    m_callPanel->hide();
    // The views need a link: the submenu that leads to them is shown once one is open.
    setSettingsMenuVisible(false);
    ClearLog();
    restoreLogView();

    setWindowTitle(apptext::Caption());
    resize(kWindowWidth, kWindowHeight);
    m_startTimer->start();
}

// The session lets go of the port; the settings are written by the close sequence only.
TFormMain::~TFormMain() = default;

void TFormMain::createControls()
{
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_background = new QFrame(central);
    m_background->setObjectName(QStringLiteral("Panel1"));
    QPalette grey = m_background->palette();
    grey.setColor(QPalette::Window, PanelGrey());
    m_background->setPalette(grey);
    m_background->setAutoFillBackground(true);
    column->addWidget(m_background, 1);
    createStatusBar(central);
    column->addWidget(m_statusBar);
    setCentralWidget(central);

    // The views share one place with the log beside them; the call panel sits in the
    // bottom right corner under the log. Each keeps its room while hidden, so nothing
    // moves when one appears, and the window is never smaller than all of them need.
    m_logPanel = new ExchangeLogPanel(m_background);
    connect(&m_logPanel->log(), &ExchangeLogView::saveRequested, this, &TFormMain::onSaveLogRequested);
    m_commandView = new CommandView(*m_dialogs, m_logPanel->log(), m_background);
    m_stateView = new StateView(*m_dialogs, *m_statusBar, *this, m_background);
    m_callPanel = new CallPanel(m_background);
    auto *grid = new QGridLayout(m_background);
    grid->setContentsMargins(kViewLeft, kViewTop, kViewLeft, kBottomMargin);
    grid->setHorizontalSpacing(kLogGap);
    grid->setVerticalSpacing(kCallPanelGap);
    grid->addWidget(m_commandView, 0, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(m_stateView, 0, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(m_logPanel, 0, 1);
    grid->addWidget(m_callPanel, 1, 1, Qt::AlignRight | Qt::AlignBottom);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    for (QWidget *part : {static_cast<QWidget *>(m_commandView), static_cast<QWidget *>(m_stateView),
                          static_cast<QWidget *>(m_logPanel), static_cast<QWidget *>(m_callPanel)}) {
        QSizePolicy policy = part->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        part->setSizePolicy(policy);
    }

    connect(m_commandView, &CommandView::commandRequested, this, [this](int row) { m_session->sendCommand(row); });
    connect(m_commandView, &CommandView::addressByteLeft, this, [this](int index, quint8 value) {
        m_session->store().CurrentSettings.storedPeerAddress[size_t(index)] = value;
    });
    connect(m_commandView, &CommandView::exitRequested, this, &TFormMain::exitView);
    connect(m_stateView, &StateView::refreshRequested, this, [this] { runStateOperation(ReadDeviceState); });
    connect(m_stateView, &StateView::createPairRequested, this, [this] { runStateOperation(CreatePair); });
    connect(m_stateView, &StateView::breakPairRequested, this, [this] { runStateOperation(BreakPair); });
    connect(m_stateView, &StateView::exitRequested, this, &TFormMain::exitView);
    connect(m_callPanel, &CallPanel::disconnectClicked, this, [this] { m_session->dropConnection(); });

    createMenu();
    m_startTimer = new QTimer(this);
    m_startTimer->setObjectName(QStringLiteral("TimerStart"));
    m_startTimer->setInterval(500);
    connect(m_startTimer, &QTimer::timeout, this, &TFormMain::onStartTimerTimeout);
    AddMenuBarKey(*this);
}

void TFormMain::createStatusBar(QWidget *central)
{
    m_statusBar = new PanelStatusBar(central);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setPanelWidth(StatusPanel::Port, 175);
    m_statusBar->setPanelWidth(StatusPanel::Kind, 220);
    m_statusBar->setPanelWidth(StatusPanel::Activity, 50);
    // The operation panel takes what the others leave, less 10 pixels.
    m_statusBar->fillWithPanel(StatusPanel::Operation, 10);
    m_statusBar->setPanelText(StatusPanel::Port, apptext::InitialPortPanel);
    m_statusBar->setPanelText(StatusPanel::Kind, apptext::InitialKindPanel);
}

void TFormMain::createMenu()
{
    QMenuBar *mainMenu = menuBar();
    mainMenu->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](auto *menu, const QString &text, const char *name, void (TFormMain::*handler)()) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        if (handler)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_connectionParametersAction = item(mainMenu, apptext::ConnectionParametersItem, "Nconn", nullptr);
    connect(m_connectionParametersAction, &QAction::triggered, this, [this] { m_session->chooseConnection(); });
    m_settingsMenu = new QMenu(apptext::SettingsMenu, mainMenu);
    m_settingsMenu->setObjectName(QStringLiteral("Nnastr"));
    m_settingsMenu->menuAction()->setObjectName(QStringLiteral("NnastrItem"));
    mainMenu->addMenu(m_settingsMenu);
    item(m_settingsMenu, apptext::StateItem, "Nstate", &TFormMain::onStateTriggered);
    item(m_settingsMenu, apptext::CommandModeItem, "Ncommand", &TFormMain::onCommandModeTriggered);
    m_createPairAction = item(m_settingsMenu, apptext::CreatePairItem, "Npair_create", nullptr);
    m_breakPairAction = item(m_settingsMenu, apptext::BreakPairItem, "Npair_break", nullptr);
    m_exitAction = item(mainMenu, apptext::ExitItem, "Nexit", nullptr);
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);

    // The hidden item keeps its place in the menu, but a hidden action fires no
    // shortcut, so Ctrl+Z is a shortcut of the window itself.
    QAction *secretAction = mainMenu->addAction(QString());
    secretAction->setObjectName(QStringLiteral("N_secret"));
    secretAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    secretAction->setVisible(false);
    auto *secretShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    secretShortcut->setObjectName(QStringLiteral("N_secretShortcut"));
    secretShortcut->setContext(Qt::WindowShortcut);
    connect(secretShortcut, &QShortcut::activated, this, &TFormMain::onToggleLogShortcut);
}

void TFormMain::setMessagePresenter(MessagePresenter *presenter)
{
    m_dialogs->setPresenter(presenter);
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Restoring a minimised window is not a new start.
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    resize(kWindowWidth, kWindowHeight);
    // Centred, and inside the screen's free area at any font.
    CentreOnScreen(*this);
    m_createPairAction->setVisible(false);
    m_breakPairAction->setVisible(false);
    // Every run begins by asking how to connect.
    m_startTimer->start();
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (m_session->requestClose() != Session::CloseOutcome::Closed) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void TFormMain::updateEnabled()
{
    if (!m_session)
        return; // the controls are being made
    // Also refused: the moment between an activity's end and the close that waited for it.
    const bool idle = m_session->canStartOperation();
    // Behind the connect dialog the menu keeps its look: the dialog holds the keyboard
    // and the mouse anyway.
    const bool menu = (idle || m_connectDialogOpen) && m_viewMode == ViewMode::None;
    m_connectionParametersAction->setEnabled(menu);
    m_settingsMenu->menuAction()->setEnabled(menu);
    m_exitAction->setEnabled(menu);

    if (m_commandView->isEnabledTo(this) == idle)
        return;
    if (!idle)
        m_focusBeforeBusy = isAncestorOf(QApplication::focusWidget()) ? QApplication::focusWidget() : nullptr;
    // The log's text stays readable and scrollable; everything that acts is refused.
    for (QWidget *control : {static_cast<QWidget *>(m_commandView), static_cast<QWidget *>(m_stateView),
                             static_cast<QWidget *>(m_logPanel->clearButton()),
                             static_cast<QWidget *>(m_callPanel->disconnectButton())})
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
    QWidget *shown = view == ViewMode::State ? static_cast<QWidget *>(m_stateView) : m_commandView;
    shown->show();
    m_logPanel->setVisible(view == ViewMode::Command);
    // A view moved by hand is put back in its place.
    m_background->layout()->invalidate();
    m_background->layout()->activate();
    m_viewMode = view;
    updateEnabled();
    ClearLog();
}

void TFormMain::exitView()
{
    m_commandView->hide();
    m_stateView->hide();
    m_logPanel->hide();
    m_statusBar->setPanelText(StatusPanel::Operation, QString());
    m_viewMode = ViewMode::None;
    updateEnabled();
}

void TFormMain::onToggleLogShortcut()
{
    if (m_viewMode == ViewMode::State)
        m_logPanel->setVisible(!m_logPanel->isVisible());
}

void TFormMain::ClearLog()
{
    m_logPanel->log().clearLog();
}

void TFormMain::onStartTimerTimeout()
{
    m_startTimer->stop();
    m_session->chooseConnection();
}

void TFormMain::onCommandModeTriggered()
{
    openView(ViewMode::Command);
    m_commandView->showAddress(m_session->store().CurrentSettings.storedPeerAddress);
    m_statusBar->setPanelText(StatusPanel::Operation, apptext::CommandMode);
}

void TFormMain::onStateTriggered()
{
    openView(ViewMode::State);
    runStateOperation(ReadDeviceState);
}

void TFormMain::runStateOperation(void (*operation)(ProtocolContext &, ModuleOperationHost &))
{
    // Refused while anything else runs or a close waits.
    m_session->runModuleOperation([this, operation](ProtocolContext &context) { operation(context, *m_stateView); });
}

// SessionHost

bool TFormMain::runConnectDialog()
{
    TFormConnect dialog(m_session->store(), this);
    dialog.StatusBar = m_statusBar;
    if (m_dialogs->presenter())
        dialog.showMessage = [this](const QString &text) { m_dialogs->showMessage(text); };
    m_connectDialogOpen = true;
    updateEnabled();
    const bool accepted = m_dialogs->run(dialog) == QDialog::Accepted;
    m_connectDialogOpen = false;
    updateEnabled();
    return accepted;
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
    m_callPanel->startCall();
    m_callPanel->show();
    m_callPanel->raise();
}

void TFormMain::stopCallClock()
{
    m_callPanel->stopClock();
}

void TFormMain::hideCallPanel()
{
    m_callPanel->hide();
}

void TFormMain::closeDialogs()
{
    m_dialogs->closeOpen();
}

void TFormMain::destroyWaitWindow()
{
    m_stateView->destroyWaitWindow();
}

void TFormMain::reportError(const std::exception &error)
{
    ReportException(error);
}

void TFormMain::closeWindow()
{
    close();
}

void TFormMain::activityChanged(Activity)
{
    updateEnabled();
}

// LinkUi

void TFormMain::setActivityText(const QString &text)
{
    m_statusBar->setPanelText(StatusPanel::Activity, text);
}

void TFormMain::setResultText(const QString &text)
{
    m_statusBar->setPanelText(StatusPanel::Operation, text);
}

TraceLog &TFormMain::log()
{
    return m_logPanel->log();
}

void TFormMain::setBusyCursor(bool busy)
{
    SetBusyCursor(busy);
}

bool TFormMain::askYesNo(const QString &text)
{
    return m_dialogs->askYesNo(text);
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

bool TFormMain::cancelRequested() const
{
    return m_session->cancelRequested();
}

} // namespace tavrin
