#pragma once

#include "link/linktiming.h"
#include "link/linkui.h"
#include "protocol/executecommand.h"
#include "protocol/moduleoperationhost.h"
#include "session/session.h"
#include "session/sessionhost.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QFrame;
class QMenu;
class QTimer;

namespace tavrin {

class CallPanel;
class CommandView;
class EscapeKeyFilter;
class ExchangeLogPanel;
struct TraceViewOptions;
class MessagePresenter;
class PanelStatusBar;
class StateView;
class WindowDialogs;

// The work view in force.
enum class ViewMode : quint8 { None = 0, Command = 1, State = 2 };

// The one long-lived window, a view of the session: the menu, the status bar, the two
// work views with the exchange log beside them and the call panel under it. It forwards
// the user's actions to the session and is the session's host and the device link's
// window (status texts, log, cursor, questions, event loop, keyboard). The command view
// is the commands' host and the state view the module operations' host.
class TFormMain : public QMainWindow, private SessionHost, private LinkUi {
    Q_OBJECT
public:
    // executableDir: the folder that holds the INI folder. timing: the link's fixed
    // delays (tests shorten them).
    explicit TFormMain(const QString &executableDir, const LinkTiming &timing = {}, QWidget *parent = nullptr);
    ~TFormMain() override;

    // The settings, the link and the running operation behind this window.
    Session &session() { return *m_session; }

    // Message boxes, questions and file choices go to presenter instead of real dialogs;
    // null brings the dialogs back.
    void setMessagePresenter(MessagePresenter *presenter);

    // Shows a work view at its place with the exchange log beside it (hidden beside the
    // state view until Ctrl+Z), disables the menu and empties the log.
    void openView(ViewMode view);
    void ClearLog();

signals:
    // The close sequence has run to its end.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

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

    // LinkUi
    void setActivityText(const QString &text) override;
    void setResultText(const QString &text) override;
    TraceLog &log() override;
    void setBusyCursor(bool busy) override;
    bool askYesNo(const QString &text) override;
    void processEvents() override;
    void waitForEvents() override;
    void watchKeyboard(bool on) override;
    bool takeEscape() override;
    bool cancelRequested() const override;

    void createControls();
    void createStatusBar(QWidget *central);
    void createMenu();
    // The one place that enables the menu and the buttons: nothing starts while the
    // session is busy, and the menu waits while a view is open.
    void updateEnabled();

    // User actions.
    void onStartTimerTimeout();
    void onCommandModeTriggered();
    void onStateTriggered();
    void onToggleLogShortcut();
    void onSaveLogRequested();
    QString chooseLogFile();
    // The log's view as bluetooth.ini keeps it: shown at start, written when chosen.
    void restoreLogView();
    void onLogViewChosen(const TraceViewOptions &options);
    // Runs one of the state view's operations as the session's module operation.
    void runStateOperation(void (*operation)(ProtocolContext &, ModuleOperationHost &));
    void exitView(); // "Выход" of either view; also how a dropped link leaves one

    std::unique_ptr<Session> m_session;
    EscapeKeyFilter *m_keyboard = nullptr;
    std::unique_ptr<WindowDialogs> m_dialogs;
    ViewMode m_viewMode = ViewMode::None;
    bool m_shown = false;
    bool m_connectDialogOpen = false;

    QFrame *m_background = nullptr;
    PanelStatusBar *m_statusBar = nullptr;
    CommandView *m_commandView = nullptr;
    StateView *m_stateView = nullptr;
    ExchangeLogPanel *m_logPanel = nullptr;
    CallPanel *m_callPanel = nullptr;
    QMenu *m_settingsMenu = nullptr;
    QAction *m_connectionParametersAction = nullptr;
    QAction *m_exitAction = nullptr;
    QAction *m_createPairAction = nullptr;
    QAction *m_breakPairAction = nullptr;
    QTimer *m_startTimer = nullptr;
    // Where the keyboard was when the controls were disabled, and where Qt moved it
    // then: given back when they are enabled again, unless the user moved it since.
    QPointer<QWidget> m_focusBeforeBusy;
    QPointer<QWidget> m_focusWhileBusy;
};

} // namespace tavrin
