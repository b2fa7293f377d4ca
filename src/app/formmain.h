#pragma once

#include "link/exchangechannel.h"
#include "link/linktiming.h"
#include "link/linkui.h"
#include "protocol/executecommand.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QShortcut;
class QTimer;
class QFrame;

namespace tavrin {

class ExchangeLogView;
class EscapeKeyFilter;
class PanelStatusBar;
class SerialPort;
class TFormWait;

// The one long-lived window. It owns the program-wide objects (settings, the exchange
// channel, the link state and the protocol fields), shows the command and state views
// and the exchange log, and is the window the device link (LinkUi) and the module
// operations (CommandHost) talk to.
class TFormMain : public QMainWindow, public LinkUi, public CommandHost {
    Q_OBJECT
public:
    // executableDir: the folder that holds the INI folder. timing: the link's fixed
    // delays (tests shorten them).
    explicit TFormMain(const QString &executableDir, const LinkTiming &timing = {},
                       QWidget *parent = nullptr);
    ~TFormMain() override;

    // Program-wide objects.
    SettingsStore Store; // CurrentSettings, SavedSettings, the two INI files
    ExchangeChannel Channel;
    LinkState Link; // LinkOpen, ModemConnected; the channel points here
    std::unique_ptr<SerialPort> PortHandle;
    LinkTiming Timing;

    // The protocol fields, also under their own names, and the view in force (0 none,
    // 1 command view, 2 state view).
    ProtocolFields Fields;
    int &CurrentRow = Fields.CurrentRow;
    MacAddress &TargetPeerAddress = Fields.TargetPeerAddress;
    MacAddress &ReportedPeerAddress = Fields.ReportedPeerAddress;
    bool &PairExists = Fields.PairExists;
    quint8 ViewMode = 0;
    // What a module operation started from this window works with.
    ProtocolContext protocolContext() { return {Channel, *this, Fields}; }
    TFormWait *WaitWindow = nullptr; // at most one, owned by this window
    int lineHeight = 0;

    // Controls, under their object names.
    QFrame *Panel1 = nullptr;
    QGroupBox *gb_command = nullptr;
    QGroupBox *gb_state = nullptr;
    QGroupBox *gb_obmen = nullptr;
    std::array<QLabel *, 10> pv{};
    std::array<QPushButton *, 10> bt{};
    std::array<QLineEdit *, 6> a{};
    std::array<QLabel *, 6> ls{};
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr,
           *Label9 = nullptr, *Label10 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn4 = nullptr,
                *BitBtn5 = nullptr, *BitBtn6 = nullptr, *BitBtn7 = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    ExchangeLogView *Memo1 = nullptr;
    QFrame *pnmodem = nullptr;
    QLabel *pntime = nullptr;
    PanelStatusBar *StatusBar1 = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    QAction *Nconn = nullptr, *Nexit = nullptr, *N_secret = nullptr;
    QMenu *Nnastr = nullptr;
    QAction *Nstate = nullptr, *Ncommand = nullptr, *Npair_create = nullptr, *Npair_break = nullptr;
    QTimer *TimerStart = nullptr;
    QTimer *TimerMoney = nullptr;

    // Main window.
    void NexitClick();
    void BitBtnExitClick(); // "Выход" of either view; also the failure exit of operations
    void N_secretClick();
    void BitBtn6Click();
    void ClearLog();

    // Connection flow.
    void TimerStartTimer();
    void NconnClick();
    bool OpenConnection();
    bool EstablishCall();
    void CloseConnection();
    void BitBtn3Click(); // "Отключить связь"
    void TimerMoneyTimer();

    // Command view.
    void NcommandClick();
    void btClick(int row);
    void aExit(int index);

    // Every message box and question of the window goes through these; a test sets
    // MessageHook to answer them and record the texts. Empty title, no icon, plain
    // text, "\r" shown as a line break.
    enum class MessageKind { Message, Question };
    std::function<bool(MessageKind, const QString &)> MessageHook;
    void ShowMessage(const QString &text);
    bool AskQuestion(const QString &text);

    // Held by every handler that runs a loop processing events (exchange, dial,
    // hang-up, modal dialog), so a close arriving meanwhile waits for it to unwind.
    class OperationScope {
    public:
        explicit OperationScope(TFormMain &window);
        ~OperationScope();
        OperationScope(const OperationScope &) = delete;
        OperationScope &operator=(const OperationScope &) = delete;

    private:
        TFormMain &m_window;
    };
    bool operationRunning() const;
    bool closeCompleted() const { return m_closed; }

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
    bool cancelRequested() const override { return m_cancel && !m_hangingUp; }

    // CommandHost
    void showMessage(const QString &text) override { ShowMessage(text); }
    void scrollLogToEnd() override;

signals:
    // The close sequence has run to its end.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;   // FormShow
    void resizeEvent(QResizeEvent *event) override; // FormResize
    void closeEvent(QCloseEvent *event) override; // FormClose
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const QString &executableDir);
    void FormShow();
    void FormResize();
    bool FormClose(); // false when the settings could not be written
    void createControls();
    void createCommandView();
    void createStateView();
    void createLogView();
    void createCallPanel();
    void createMenu();
    void placeAnchoredControls();
    void setMenuEnabled(bool enabled);
    bool aKeyPress(QLineEdit *edit, QKeyEvent *event);
    void leaveView();
    void requestClose();
    void retryPendingClose();
    QWidget *messageParent();
    int runMessageBox(const QString &text, QMessageBox::StandardButtons buttons);

    EscapeKeyFilter *m_keyboard = nullptr;
    QShortcut *m_secretShortcut = nullptr;
    QShortcut *m_stateCancel = nullptr;
    QTimer *m_closeRetry = nullptr;
    QPointer<QWidget> m_modal; // the dialog or message box this window has open
    QElapsedTimer m_callClock; // the call's duration, on a monotonic clock
    int m_operations = 0;
    bool m_hangingUp = false; // a close arriving now must not cut the hang-up short
    bool m_cancel = false;
    bool m_closePending = false;
    bool m_closing = false;
    bool m_closed = false;
    bool m_saveFailedAtClose = false; // bluetooth.ini could not be written at an earlier close
    bool m_shown = false;
};

} // namespace tavrin
