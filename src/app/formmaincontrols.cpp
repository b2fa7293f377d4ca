// The main window's controls: created once, each under its form's object name, at
// positions like the original form's; the log and the call panel follow the window's
// size.

#include "app/apptexts.h"
#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/keyfilter.h"
#include "app/menukeys.h"
#include "app/windowgeometry.h"
#include "dialogs/enterkey.h"
#include "dialogs/panelstatusbar.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tavrin {

using namespace geometry;

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
    m_background->installEventFilter(this); // its resizes move the anchored controls
    column->addWidget(m_background, 1);

    m_statusBar = new PanelStatusBar(central);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setPanelWidth(0, 175);
    m_statusBar->setPanelWidth(1, 220);
    m_statusBar->setPanelWidth(3, 50);
    m_statusBar->setPanelText(0, apptext::InitialPortPanel);
    m_statusBar->setPanelText(1, apptext::InitialKindPanel);
    column->addWidget(m_statusBar);
    setCentralWidget(central);

    createCommandView();
    createStateView();
    createLogView();
    createCallPanel();
    createMenu();
    createTimers();
    keepControlsReachable();
    PressFocusedButtonOnEnter(*m_background);
    AddMenuBarKey(*this);
    m_keyboard = new EscapeKeyFilter(this);
}

void TFormMain::createTimers()
{
    m_startTimer = new QTimer(this);
    m_startTimer->setObjectName(QStringLiteral("TimerStart"));
    m_startTimer->setInterval(500);
    connect(m_startTimer, &QTimer::timeout, this, &TFormMain::onStartTimerTimeout);

    m_callTimer = new QTimer(this);
    m_callTimer->setObjectName(QStringLiteral("TimerMoney"));
    m_callTimer->setInterval(1000);
    connect(m_callTimer, &QTimer::timeout, this, &TFormMain::onCallTimerTimeout);
}

void TFormMain::createStateView()
{
    m_stateView = new QGroupBox(QStringLiteral(" Состояние "), m_background);
    m_stateView->setObjectName(QStringLiteral("gb_state"));
    m_stateView->setGeometry(kViewLeft, kViewTop, 410, 500);

    const std::pair<const char *, QString> captionTexts[] = {
        {"Label10", QStringLiteral("Режим")},
        {"Label3", QStringLiteral("Соединение")},
        {"Label4", QStringLiteral("Пара")},
        {"Label5", QStringLiteral("МАС-адрес")},
        {"Label6", QStringLiteral("периферийного  устройства")},
        {"Label7", QStringLiteral("МАС-адрес")},
        {"Label8", QStringLiteral("центрального устройства")},
        {"Label9", QStringLiteral("Версия модуля")},
    };
    const int captionTops[] = {40, 84, 128, 164, 182, 216, 234, 276};
    // The value column starts right of the widest caption, whatever the font.
    QList<QLabel *> captions;
    int captionWidth = 0;
    for (int i = 0; i < 8; ++i) {
        auto *caption = new QLabel(captionTexts[i].second, m_stateView);
        caption->setObjectName(QLatin1String(captionTexts[i].first));
        caption->setTextFormat(Qt::PlainText);
        caption->setGeometry(16, captionTops[i], 170, 20);
        captionWidth = std::max(captionWidth, caption->fontMetrics().horizontalAdvance(caption->text()));
        captions << caption;
    }
    for (QLabel *caption : captions)
        caption->resize(captionWidth + 4, caption->height());

    const int valueLeft = 16 + captionWidth + 14;
    const int valueTops[6] = {36, 80, 124, 170, 222, 272};
    for (int i = 0; i < 6; ++i) {
        auto *value = new QLabel(m_stateView);
        value->setObjectName(QStringLiteral("ls%1").arg(i));
        value->setTextFormat(Qt::PlainText); // device text, never markup
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setMargin(2);
        value->setGeometry(valueLeft, valueTops[i], 410 - 16 - valueLeft, 28);
        m_stateValues[i] = value;
    }
    createStateButtons();
}

void TFormMain::createStateButtons()
{
    auto button = [this](const char *name, const QString &text, int x, int y, int w) {
        auto *b = new QPushButton(text, m_stateView);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, w, 34);
        return b;
    };
    m_breakPairButton = button("BitBtn1", QStringLiteral("Разрыв пары"), 16, 340, 180);
    m_createPairButton = button("BitBtn4", QStringLiteral("Создание пары"), 214, 340, 180);
    m_refreshButton = button("BitBtn2", QStringLiteral("Обновить"), 16, 450, 130);
    connect(m_breakPairButton, &QPushButton::clicked, this, &TFormMain::onBreakPairClicked);
    connect(m_createPairButton, &QPushButton::clicked, this, &TFormMain::onCreatePairClicked);
    connect(m_refreshButton, &QPushButton::clicked, this, &TFormMain::onRefreshClicked);
    QPushButton *exitButton = button("BitBtn5", QStringLiteral("Выход"), 294, 450, 100);
    connect(exitButton, &QPushButton::clicked, this, &TFormMain::exitView);

    // Esc presses "Обновить" while the state view is shown, as a cancel button would.
    auto *refreshKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    refreshKey->setContext(Qt::WindowShortcut);
    connect(refreshKey, &QShortcut::activated, this, [this] {
        if (m_stateView->isVisible() && m_refreshButton->isEnabled())
            m_refreshButton->click();
    });
}

void TFormMain::createLogView()
{
    m_logView = new QGroupBox(QStringLiteral("  Результат обмена "), m_background);
    m_logView->setObjectName(QStringLiteral("gb_obmen"));

    // The log scrolls itself: its vertical scroll bar does what the scroll box around
    // the text once did, one line per step.
    m_exchangeLog = new ExchangeLogView(m_logView);
    m_exchangeLog->setObjectName(QStringLiteral("Memo1"));
    m_exchangeLog->verticalScrollBar()->setObjectName(QStringLiteral("ScrollBox1"));
    m_exchangeLog->setFrameShape(QFrame::StyledPanel);
    m_exchangeLog->setFrameShadow(QFrame::Sunken);
    QPalette logPalette = m_exchangeLog->palette();
    logPalette.setColor(QPalette::Window, LogGrey());
    logPalette.setColor(QPalette::Base, LogGrey());
    m_exchangeLog->setPalette(logPalette);
    connect(m_exchangeLog, &ExchangeLogView::saveRequested, this, &TFormMain::onSaveLogRequested);

    m_clearLogButton = new QPushButton(QStringLiteral("Очистить список"), m_logView);
    m_clearLogButton->setObjectName(QStringLiteral("BitBtn6"));
    connect(m_clearLogButton, &QPushButton::clicked, this, &TFormMain::onClearLogClicked);
}

void TFormMain::createCallPanel()
{
    m_callPanel = new QFrame(m_background);
    m_callPanel->setObjectName(QStringLiteral("pnmodem"));
    m_callPanel->setFrameShape(QFrame::Panel);
    m_callPanel->setFrameShadow(QFrame::Raised);
    m_callPanel->setAutoFillBackground(true);
    m_callPanel->resize(540, 46);

    auto *caption = new QLabel(QStringLiteral("Продолжительность связи по телефону"), m_callPanel);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->setTextFormat(Qt::PlainText);
    caption->setGeometry(12, 13, 270, 20);

    m_callDuration = new QLabel(m_callPanel);
    m_callDuration->setObjectName(QStringLiteral("pntime"));
    m_callDuration->setTextFormat(Qt::PlainText);
    m_callDuration->setFrameShape(QFrame::Panel);
    m_callDuration->setFrameShadow(QFrame::Sunken);
    m_callDuration->setAlignment(Qt::AlignCenter);
    m_callDuration->setGeometry(290, 10, 86, 26);

    m_disconnectButton = new QPushButton(QStringLiteral("Отключить связь"), m_callPanel);
    m_disconnectButton->setObjectName(QStringLiteral("BitBtn3"));
    m_disconnectButton->setGeometry(390, 7, 140, 32);
    connect(m_disconnectButton, &QPushButton::clicked, this, &TFormMain::onDisconnectClicked);
}

void TFormMain::createMenu()
{
    QMenuBar *mainMenu = menuBar();
    mainMenu->setObjectName(QStringLiteral("MainMenu1"));

    m_connectionParametersAction = mainMenu->addAction(QStringLiteral("Параметры связи"));
    m_connectionParametersAction->setObjectName(QStringLiteral("Nconn"));
    connect(m_connectionParametersAction, &QAction::triggered, this, &TFormMain::onConnectionParametersTriggered);

    m_settingsMenu = new QMenu(QStringLiteral("Настройки"), mainMenu);
    m_settingsMenu->setObjectName(QStringLiteral("Nnastr"));
    m_settingsMenu->menuAction()->setObjectName(QStringLiteral("NnastrItem"));
    mainMenu->addMenu(m_settingsMenu);
    QAction *stateAction = m_settingsMenu->addAction(QStringLiteral("Сoстояние")); // the second letter is a Latin o
    stateAction->setObjectName(QStringLiteral("Nstate"));
    connect(stateAction, &QAction::triggered, this, &TFormMain::onStateTriggered);
    QAction *commandModeAction = m_settingsMenu->addAction(QStringLiteral("Командный режим"));
    commandModeAction->setObjectName(QStringLiteral("Ncommand"));
    connect(commandModeAction, &QAction::triggered, this, &TFormMain::onCommandModeTriggered);
    m_createPairAction = m_settingsMenu->addAction(QStringLiteral("Создание пары"));
    m_createPairAction->setObjectName(QStringLiteral("Npair_create"));
    m_breakPairAction = m_settingsMenu->addAction(QStringLiteral("Разрыв пары"));
    m_breakPairAction->setObjectName(QStringLiteral("Npair_break"));

    m_exitAction = mainMenu->addAction(QStringLiteral("Выход"));
    m_exitAction->setObjectName(QStringLiteral("Nexit"));
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

void TFormMain::keepControlsReachable()
{
    // The window shrinks no further than keeps every control of both views in it, with
    // the call panel in the bottom right corner beside them, never over them.
    const QRect views = m_commandView->geometry().united(m_stateView->geometry());
    m_background->setMinimumSize(views.right() + 1 + kViewLeft + m_callPanel->width() + kViewLeft,
                                 views.bottom() + 1 + kViewTop);
}

void TFormMain::placeAnchoredControls()
{
    const int w = m_background->width();
    const int h = m_background->height();
    // The log takes the room right of the views; the call panel sits in the bottom
    // right corner below it.
    const int logWidth = std::max(w - kLogLeft - kViewLeft, 200);
    const int logHeight = std::max(h - kViewTop - kCallPanelRoom, 160);
    m_logView->setGeometry(m_logView->x(), m_logView->y(), logWidth, logHeight);
    m_exchangeLog->setGeometry(10, 24, logWidth - 20, logHeight - 24 - 50);
    m_clearLogButton->setGeometry(logWidth - 10 - 160, logHeight - 42, 160, 32);
    m_callPanel->move(w - kViewLeft - m_callPanel->width(), h - 8 - m_callPanel->height());
}

} // namespace tavrin
