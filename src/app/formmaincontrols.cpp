// The main window's controls: created once, under their object names, at positions
// like the original form's; the log and the call panel follow the window's size.

#include "app/apptexts.h"
#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/keyfilter.h"
#include "app/windowgeometry.h"
#include "dialogs/panelstatusbar.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
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

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    QPalette grey = Panel1->palette();
    grey.setColor(QPalette::Window, PanelGrey());
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
    logPalette.setColor(QPalette::Window, LogGrey());
    logPalette.setColor(QPalette::Base, LogGrey());
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

} // namespace tavrin
