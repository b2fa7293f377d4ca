#pragma once

#include "link/linktiming.h"
#include "link/linkui.h"
#include "protocol/executecommand.h"
#include "protocol/moduleoperationhost.h"
#include "session/session.h"
#include "session/sessionhost.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <array>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QShortcut;
class QTimer;

namespace tavrin {

class EscapeKeyFilter;
class ExchangeLogView;
struct TraceViewOptions;
class MessagePresenter;
class PanelStatusBar;
class TFormWait;

// The work view in force.
enum class ViewMode : quint8 { None = 0, Command = 1, State = 2 };

// The one long-lived window, a view of the session: it owns the widgets, forwards the
// user's actions to the session and implements what the session, the device link and
// the module operations need from a window (SessionHost, LinkUi, CommandHost,
// ModuleOperationHost).
class TFormMain : public QMainWindow, public LinkUi, public CommandHost, private SessionHost,
                  private ModuleOperationHost {
    Q_OBJECT
public:
    // executableDir: the folder that holds the INI folder. timing: the link's fixed
    // delays (tests shorten them).
    explicit TFormMain(const QString &executableDir, const LinkTiming &timing = {},
                       QWidget *parent = nullptr);
    ~TFormMain() override;

    // The settings, the link and the running operation behind this window.
    Session &session() { return m_session; }

    // Message boxes, questions and file choices go to presenter instead of real dialogs;
    // null brings the dialogs back. Empty title, no icon, plain text, "\r" shown as a
    // line break.
    void setMessagePresenter(MessagePresenter *presenter) { m_presenter = presenter; }

    // Shows a work view at its place with the exchange log beside it (hidden beside the
    // state view until Ctrl+Z), disables the menu and empties the log.
    void openView(ViewMode view);
    void ClearLog();

    // LinkUi
    void setActivityText(const QString &text) override;
    void setResultText(const QString &text) override;
    TraceLog &log() override;
    void setBusyCursor(bool busy) override; // also ModuleOperationHost's
    bool askYesNo(const QString &text) override;
    void processEvents() override;
    void waitForEvents() override;
    void watchKeyboard(bool on) override;
    bool takeEscape() override;
    bool cancelRequested() const override { return m_session.cancelRequested(); }

    // CommandHost
    void showMessage(const QString &text) override;
    void scrollLogToEnd() override;

signals:
    // The close sequence has run to its end.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // SessionHost
    bool runConnectDialog() override;
    void setSettingsMenuVisible(bool visible) override;
    void leaveOpenView() override;
    void showCallPanel() override;
    void stopCallClock() override;
    void hideCallPanel() override;
    void closeDialogs() override;
    void destroyWaitWindow() override;
    void reportError(const std::exception &error) override;
    void closeWindow() override;
    void activityChanged(Activity activity) override;

    // ModuleOperationHost (stateview.cpp)
    bool askConfirmation(const QString &title, const QString &text) override;
    std::optional<MacAddress> askPeerAddress() override;
    void openWaitWindow(WaitWindowKind kind, int maximum) override;
    void advanceWaitWindow() override;
    void completeWaitWindow() override;
    void closeWaitWindow() override;
    void setOperationText(const QString &text) override;
    void hideStateView() override;
    void showState(const DeviceState &state) override;
    void leaveView() override;
    TFormWait *waitWindow() const;

    void setUpWindow();
    void placeOnFirstShow();
    void fitStatusPanels();
    void createControls();
    void createTimers();
    void createCommandView();
    void createStateView();
    void createStateButtons();
    void createLogView();
    void createCallPanel();
    void createMenu();
    void keepControlsReachable();
    void placeAnchoredControls();
    // The one place that enables the menu and the buttons: nothing starts while the
    // session is busy, and the menu waits while a view is open.
    void updateEnabled();
    bool filterAddressKey(QLineEdit *field, QKeyEvent *event);
    bool filterAddressFieldEvent(QLineEdit *field, QEvent *event);
    int runMessageBox(const QString &text, QMessageBox::StandardButtons buttons, const QString &title = QString());

    // User actions.
    void onStartTimerTimeout();
    void onConnectionParametersTriggered();
    void onDisconnectClicked();
    void onCallTimerTimeout();
    void onCommandModeTriggered();
    void onCommandButtonClicked(int row);
    void onAddressFieldLeft(int index);
    void onClearLogClicked();
    void onSaveLogRequested();
    QString chooseLogFile();
    // The log's view as bluetooth.ini keeps it: shown at start, written when chosen.
    void restoreLogView();
    void onLogViewChosen(const TraceViewOptions &options);
    void onToggleLogShortcut();
    void onStateTriggered();
    void onRefreshClicked();
    void onCreatePairClicked();
    void onBreakPairClicked();
    // Runs one of the state view's operations as the session's module operation.
    void runStateOperation(void (*operation)(ProtocolContext &, ModuleOperationHost &));
    void exitView(); // "Выход" of either view; also how a dropped link leaves one

    Session m_session;
    MessagePresenter *m_presenter = nullptr;
    ViewMode m_viewMode = ViewMode::None;
    bool m_shown = false;

    QFrame *m_background = nullptr;
    PanelStatusBar *m_statusBar = nullptr;
    QGroupBox *m_commandView = nullptr;
    std::array<QLineEdit *, 6> m_addressFields{};
    QGroupBox *m_stateView = nullptr;
    std::array<QLabel *, 6> m_stateValues{};
    QPushButton *m_refreshButton = nullptr;
    QPushButton *m_createPairButton = nullptr;
    QPushButton *m_breakPairButton = nullptr;
    QGroupBox *m_logView = nullptr;
    ExchangeLogView *m_exchangeLog = nullptr;
    QPushButton *m_clearLogButton = nullptr;
    QFrame *m_callPanel = nullptr;
    QLabel *m_callDuration = nullptr;
    QPushButton *m_disconnectButton = nullptr;
    QMenu *m_settingsMenu = nullptr;
    QAction *m_connectionParametersAction = nullptr;
    QAction *m_exitAction = nullptr;
    QAction *m_createPairAction = nullptr;
    QAction *m_breakPairAction = nullptr;
    QTimer *m_startTimer = nullptr;
    QTimer *m_callTimer = nullptr;
    QElapsedTimer m_callClock; // the call's duration, on a monotonic clock
    EscapeKeyFilter *m_keyboard = nullptr;
    QPointer<QWidget> m_modal; // the dialog or message box this window has open
    // Where the keyboard was when the controls were disabled, and where Qt moved it
    // then: given back when they are enabled again, unless the user moved it since.
    QPointer<QWidget> m_focusBeforeBusy;
    QPointer<QWidget> m_focusWhileBusy;
};

} // namespace tavrin
