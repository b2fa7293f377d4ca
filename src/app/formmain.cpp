#include "app/formmain.h"

#include "app/apptexts.h"
#include "app/errorreport.h"
#include "app/exchangelogview.h"
#include "app/keyfilter.h"
#include "dialogs/formwait.h"
#include "dialogs/panelstatusbar.h"
#include "link/eventloop.h"
#include "link/serialport.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrin {

namespace {

constexpr int kViewLeft = 14;
constexpr int kViewTop = 18;
constexpr int kLogLeft = 435;
constexpr int kWindowWidth = 1000;
constexpr int kWindowHeight = 616;
constexpr int kCallPanelRoom = 60; // kept free under the log for the call panel

QColor panelGrey() { return QColor(211, 211, 211); }
QColor logGrey() { return QColor(234, 234, 234); }

} // namespace

TFormMain::TFormMain(const QString &executableDir, const LinkTiming &timing, QWidget *parent)
    : QMainWindow(parent), Timing(timing)
{
    FormCreate(executableDir);
}

TFormMain::~TFormMain()
{
    // A window destroyed without its close sequence (a test, an aborted start) still
    // lets go of the port; the settings are written only by the close sequence.
    if (PortHandle)
        ClosePort(PortHandle);
    Channel.port = nullptr;
}

void TFormMain::FormCreate(const QString &executableDir)
{
    setObjectName(QStringLiteral("FormMain"));
    createControls();

    // The channel reports into status panels 3 and 2 and the log, all through this window.
    Channel.ui = this;
    Channel.settings = &Store.CurrentSettings;
    Channel.linkState = &Link;
    Channel.timing = Timing;

    Store.LoadSettings(executableDir);

    PortHandle.reset();
    Link = LinkState{}; // no port, no call

    gb_command->hide();
    gb_state->hide();
    gb_obmen->hide();
    pnmodem->hide();

    Label2->setFont(Memo1->font());
    Label2->adjustSize();
    lineHeight = Label2->height();
    Label2->hide();
    Memo1->setLineHeight(lineHeight);
    ClearLog();
    ScrollBox1->verticalScrollBar()->setSingleStep(lineHeight);

    PairExists = false;
    WaitWindow = nullptr;
    ViewMode = 0;

    setWindowTitle(apptext::Caption());
    resize(kWindowWidth, kWindowHeight);
    TimerStart->start();
}

void TFormMain::createControls()
{
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    QPalette grey = Panel1->palette();
    grey.setColor(QPalette::Window, panelGrey());
    Panel1->setPalette(grey);
    Panel1->setAutoFillBackground(true);
    Panel1->installEventFilter(this); // its resizes move the anchored controls
    column->addWidget(Panel1, 1);

    StatusBar1 = new PanelStatusBar(central);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setPanelWidth(0, 175);
    StatusBar1->setPanelWidth(1, 220);
    StatusBar1->setPanelWidth(3, 50);
    StatusBar1->setPanelText(0, apptext::InitialPortPanel);
    StatusBar1->setPanelText(1, apptext::InitialKindPanel);
    column->addWidget(StatusBar1);
    setCentralWidget(central);

    createCommandView();
    createStateView();
    createLogView();
    createCallPanel();
    createMenu();

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setInterval(500);
    connect(TimerStart, &QTimer::timeout, this, &TFormMain::TimerStartTimer);

    TimerMoney = new QTimer(this);
    TimerMoney->setObjectName(QStringLiteral("TimerMoney"));
    TimerMoney->setInterval(1000);
    connect(TimerMoney, &QTimer::timeout, this, &TFormMain::TimerMoneyTimer);

    m_keyboard = new EscapeKeyFilter(this);

    m_closeRetry = new QTimer(this);
    m_closeRetry->setSingleShot(true);
    m_closeRetry->setInterval(20);
    connect(m_closeRetry, &QTimer::timeout, this, &TFormMain::retryPendingClose);

    // Esc presses "Обновить" while the state view is shown, as a cancel button would.
    m_stateCancel = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_stateCancel->setContext(Qt::WindowShortcut);
    connect(m_stateCancel, &QShortcut::activated, this, [this] {
        if (gb_state->isVisible() && BitBtn2->isEnabled())
            BitBtn2->click();
    });
}

void TFormMain::createStateView()
{
    gb_state = new QGroupBox(QStringLiteral(" Состояние "), Panel1);
    gb_state->setObjectName(QStringLiteral("gb_state"));
    gb_state->setGeometry(kViewLeft, kViewTop, 410, 500);

    auto label = [this](const char *name, const QString &text, int x, int y, int w) {
        auto *l = new QLabel(text, gb_state);
        l->setObjectName(QLatin1String(name));
        l->setTextFormat(Qt::PlainText);
        l->setGeometry(x, y, w, 20);
        return l;
    };
    Label10 = label("Label10", QStringLiteral("Режим"), 16, 40, 170);
    Label3 = label("Label3", QStringLiteral("Соединение"), 16, 84, 170);
    Label4 = label("Label4", QStringLiteral("Пара"), 16, 128, 170);
    Label5 = label("Label5", QStringLiteral("МАС-адрес"), 16, 164, 170);
    Label6 = label("Label6", QStringLiteral("периферийного  устройства"), 16, 182, 170);
    Label7 = label("Label7", QStringLiteral("МАС-адрес"), 16, 216, 170);
    Label8 = label("Label8", QStringLiteral("центрального устройства"), 16, 234, 170);
    Label9 = label("Label9", QStringLiteral("Версия модуля"), 16, 276, 170);

    // The value column starts right of the widest caption, whatever the font.
    int captionWidth = 0;
    for (QLabel *caption : {Label10, Label3, Label4, Label5, Label6, Label7, Label8, Label9})
        captionWidth = std::max(captionWidth, caption->fontMetrics().horizontalAdvance(caption->text()));
    const int valueLeft = 16 + captionWidth + 14;
    for (QLabel *caption : {Label10, Label3, Label4, Label5, Label6, Label7, Label8, Label9})
        caption->resize(captionWidth + 4, caption->height());
    const int valueTops[6] = {36, 80, 124, 170, 222, 272};
    for (int i = 0; i < 6; ++i) {
        auto *value = new QLabel(gb_state);
        value->setObjectName(QStringLiteral("ls%1").arg(i));
        value->setTextFormat(Qt::PlainText); // device text, never markup
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setMargin(2);
        value->setGeometry(valueLeft, valueTops[i], 410 - 16 - valueLeft, 28);
        ls[i] = value;
    }

    auto button = [this](const char *name, const QString &text, int x, int y, int w) {
        auto *b = new QPushButton(text, gb_state);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, w, 34);
        return b;
    };
    BitBtn1 = button("BitBtn1", QStringLiteral("Разрыв пары"), 16, 340, 180);
    BitBtn4 = button("BitBtn4", QStringLiteral("Создание пары"), 214, 340, 180);
    BitBtn2 = button("BitBtn2", QStringLiteral("Обновить"), 16, 450, 130);
    BitBtn5 = button("BitBtn5", QStringLiteral("Выход"), 294, 450, 100);
    connect(BitBtn5, &QPushButton::clicked, this, &TFormMain::BitBtnExitClick);
}

void TFormMain::createLogView()
{
    gb_obmen = new QGroupBox(QStringLiteral("  Результат обмена "), Panel1);
    gb_obmen->setObjectName(QStringLiteral("gb_obmen"));

    ScrollBox1 = new QScrollArea(gb_obmen);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setFrameShape(QFrame::StyledPanel);
    ScrollBox1->setFrameShadow(QFrame::Sunken);
    QPalette logPalette = ScrollBox1->palette();
    logPalette.setColor(QPalette::Window, logGrey());
    logPalette.setColor(QPalette::Base, logGrey());
    ScrollBox1->setPalette(logPalette);
    ScrollBox1->viewport()->setAutoFillBackground(true);
    ScrollBox1->viewport()->installEventFilter(this); // the log follows its width

    Memo1 = new ExchangeLogView;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setPalette(logPalette);
    Memo1->setScrollBox(ScrollBox1);
    ScrollBox1->setWidget(Memo1);

    Label2 = new QLabel(QStringLiteral("AAAaaa"), gb_obmen);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    Label2->move(12, 24);

    BitBtn6 = new QPushButton(QStringLiteral("Очистить список"), gb_obmen);
    BitBtn6->setObjectName(QStringLiteral("BitBtn6"));
    connect(BitBtn6, &QPushButton::clicked, this, &TFormMain::BitBtn6Click);
}

void TFormMain::createCallPanel()
{
    pnmodem = new QFrame(Panel1);
    pnmodem->setObjectName(QStringLiteral("pnmodem"));
    pnmodem->setFrameShape(QFrame::Panel);
    pnmodem->setFrameShadow(QFrame::Raised);
    pnmodem->setAutoFillBackground(true);
    pnmodem->resize(540, 46);

    Label1 = new QLabel(QStringLiteral("Продолжительность связи по телефону"), pnmodem);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(12, 13, 270, 20);

    pntime = new QLabel(pnmodem);
    pntime->setObjectName(QStringLiteral("pntime"));
    pntime->setTextFormat(Qt::PlainText);
    pntime->setFrameShape(QFrame::Panel);
    pntime->setFrameShadow(QFrame::Sunken);
    pntime->setAlignment(Qt::AlignCenter);
    pntime->setGeometry(290, 10, 86, 26);

    BitBtn3 = new QPushButton(QStringLiteral("Отключить связь"), pnmodem);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setGeometry(390, 7, 140, 32);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormMain::BitBtn3Click);
}

void TFormMain::createMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    Nconn = MainMenu1->addAction(QStringLiteral("Параметры связи"));
    Nconn->setObjectName(QStringLiteral("Nconn"));
    connect(Nconn, &QAction::triggered, this, &TFormMain::NconnClick);

    Nnastr = new QMenu(QStringLiteral("Настройки"), MainMenu1);
    Nnastr->setObjectName(QStringLiteral("Nnastr"));
    Nnastr->menuAction()->setObjectName(QStringLiteral("NnastrItem"));
    MainMenu1->addMenu(Nnastr);
    Nstate = Nnastr->addAction(QStringLiteral("Сoстояние")); // the second letter is a Latin o
    Nstate->setObjectName(QStringLiteral("Nstate"));
    Ncommand = Nnastr->addAction(QStringLiteral("Командный режим"));
    Ncommand->setObjectName(QStringLiteral("Ncommand"));
    connect(Ncommand, &QAction::triggered, this, &TFormMain::NcommandClick);
    Npair_create = Nnastr->addAction(QStringLiteral("Создание пары"));
    Npair_create->setObjectName(QStringLiteral("Npair_create"));
    Npair_break = Nnastr->addAction(QStringLiteral("Разрыв пары"));
    Npair_break->setObjectName(QStringLiteral("Npair_break"));

    Nexit = MainMenu1->addAction(QStringLiteral("Выход"));
    Nexit->setObjectName(QStringLiteral("Nexit"));
    connect(Nexit, &QAction::triggered, this, &TFormMain::NexitClick);

    // The hidden item keeps its place in the menu, but a hidden action fires no
    // shortcut, so Ctrl+Z is a shortcut of the window itself.
    N_secret = MainMenu1->addAction(QString());
    N_secret->setObjectName(QStringLiteral("N_secret"));
    N_secret->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    N_secret->setVisible(false);
    m_secretShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    m_secretShortcut->setObjectName(QStringLiteral("N_secretShortcut"));
    m_secretShortcut->setContext(Qt::WindowShortcut);
    connect(m_secretShortcut, &QShortcut::activated, this, &TFormMain::N_secretClick);
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Restoring a minimised window is not a new start.
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFormMain::FormShow()
{
    resize(kWindowWidth, kWindowHeight);
    if (QScreen *display = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        move(frame.topLeft());
    }
    Npair_create->setVisible(false);
    Npair_break->setVisible(false);
    TimerStart->start();
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFormMain::FormResize()
{
    // The status bar is laid out inside the central widget; its width is the window's.
    const int barWidth = centralWidget() ? centralWidget()->width() : width();
    StatusBar1->setPanelWidth(2, barWidth - StatusBar1->panelWidth(0) - StatusBar1->panelWidth(1) - 60);
}

void TFormMain::placeAnchoredControls()
{
    const int w = Panel1->width();
    const int h = Panel1->height();
    // The log takes the room right of the views; the call panel sits in the bottom
    // right corner below it.
    const int logWidth = std::max(w - kLogLeft - kViewLeft, 200);
    const int logHeight = std::max(h - kViewTop - kCallPanelRoom, 160);
    gb_obmen->setGeometry(gb_obmen->x(), gb_obmen->y(), logWidth, logHeight);
    ScrollBox1->setGeometry(10, 24, logWidth - 20, logHeight - 24 - 50);
    BitBtn6->setGeometry(logWidth - 10 - 160, logHeight - 42, 160, 32);
    pnmodem->move(w - kViewLeft - pnmodem->width(), h - 8 - pnmodem->height());
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == Panel1)
            placeAnchoredControls();
        else if (ScrollBox1 && watched == ScrollBox1->viewport())
            Memo1->fitWidth();
    }
    for (QLineEdit *edit : a) {
        if (watched != edit)
            continue;
        if (event->type() == QEvent::KeyPress)
            return aKeyPress(edit, static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            // Switching to another program or opening the field's context menu is not
            // leaving the field.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                aExit(edit->property("tag").toInt());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::NexitClick()
{
    close();
}

void TFormMain::setMenuEnabled(bool enabled)
{
    Nconn->setEnabled(enabled);
    Nnastr->menuAction()->setEnabled(enabled);
    Nexit->setEnabled(enabled);
}

void TFormMain::BitBtnExitClick()
{
    gb_command->hide();
    gb_state->hide();
    gb_obmen->hide();
    StatusBar1->setPanelText(2, QString());
    setMenuEnabled(true);
    ViewMode = 0;
}

void TFormMain::N_secretClick()
{
    if (ViewMode == 2)
        gb_obmen->setVisible(!gb_obmen->isVisible());
}

void TFormMain::BitBtn6Click()
{
    ClearLog();
}

void TFormMain::ClearLog()
{
    Memo1->clearLog();
}

void TFormMain::scrollLogToEnd()
{
    QScrollBar *bar = ScrollBox1->verticalScrollBar();
    if (bar->isVisible())
        bar->setValue(bar->maximum());
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->ignore();
        return;
    }
    if (operationRunning()) {
        // The running loop still uses the channel and the port: it is told to end, and
        // the close comes back once it has unwound.
        event->ignore();
        requestClose();
        return;
    }
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TFormMain::requestClose()
{
    m_closePending = true;
    m_cancel = true;
    Channel.abortRequested = true;
    // A dialog or question open inside the operation is answered as if cancelled.
    if (m_modal)
        m_modal->close();
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this && isAncestorOf(modal))
        modal->close();
    m_closeRetry->start();
}

bool TFormMain::FormClose()
{
    m_closing = true;
    m_cancel = false; // the hang-up below must run to its end
    m_closePending = false;
    CloseConnection();
    setBusyCursor(true);
    Channel.disarm();
    try {
        Store.WriteBluetoothIni();
    } catch (const std::exception &error) {
        // The window stays open so that the settings are not lost: the user sees which
        // file failed and can close again once it can be written.
        setBusyCursor(false);
        m_closing = false;
        ReportException(error);
        return false;
    }
    setBusyCursor(false);
    m_closing = false;
    m_closed = true;
    emit closed();
    return true;
}

TFormMain::OperationScope::OperationScope(TFormMain &window) : m_window(window)
{
    ++m_window.m_operations;
}

TFormMain::OperationScope::~OperationScope()
{
    --m_window.m_operations;
}

bool TFormMain::operationRunning() const
{
    return m_operations > 0 || Channel.busy;
}

// Runs from the event loop, so the handler that held the operation has returned
// completely by the time the close sequence starts.
void TFormMain::retryPendingClose()
{
    if (!m_closePending)
        return;
    if (operationRunning()) {
        m_closeRetry->start();
        return;
    }
    close();
}

QWidget *TFormMain::messageParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return this;
}

void TFormMain::ShowMessage(const QString &text)
{
    if (m_cancel)
        return; // the window is closing: nobody is left to read it
    OperationScope operation(*this);
    if (MessageHook)
        MessageHook(MessageKind::Message, text);
    else
        runMessageBox(text, QMessageBox::Ok);
}

bool TFormMain::AskQuestion(const QString &text)
{
    if (m_cancel)
        return false; // the window is closing: nothing is retried
    OperationScope operation(*this);
    const bool yes = MessageHook ? MessageHook(MessageKind::Question, text)
                                 : runMessageBox(text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    return yes && !m_cancel;
}

int TFormMain::runMessageBox(const QString &text, QMessageBox::StandardButtons buttons)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, QString(), shown, buttons, messageParent());
    box.setTextFormat(Qt::PlainText);
    if (buttons & QMessageBox::No) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
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
    StatusBar1->setPanelText(3, text);
}

void TFormMain::setResultText(const QString &text)
{
    StatusBar1->setPanelText(2, text);
}

TraceLog &TFormMain::log()
{
    return *Memo1;
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

bool TFormMain::askYesNo(const QString &text)
{
    return AskQuestion(text);
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

} // namespace tavrin
