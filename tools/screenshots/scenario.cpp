#include "scenario.h"

#include "drive.h"

#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "dialogs/formabonent.h"
#include "dialogs/formabonentslist.h"
#include "dialogs/formconnect.h"
#include "dialogs/formconnpar.h"
#include "dialogs/forminputadr.h"
#include "dialogs/formsurvey.h"
#include "dialogs/formwait.h"
#include "session/session.h"
#include "settings/settingsstore.h"
#include "survey/surveyreport.h"
#include "support/devsim.h"

#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>

#include <array>

namespace tavrin::screenshots {

namespace {

// The address typed in the command view, which the address dialog then offers.
constexpr std::array<const char *, 6> kTypedAddress{"5C", "F3", "70", "2E", "91", "A4"};
const MacAddress kTypedAddressBytes{0x5C, 0xF3, 0x70, 0x2E, 0x91, 0xA4};

struct Subscriber {
    const char *name;
    const char *phone;
    // Reached over the network too; kNetworkSite stands for the walk's simulated module on
    // a loopback port, which the survey reads.
    const char *networkAddress = nullptr;
    const char *protocol = nullptr;
};
constexpr const char *kNetworkSite = "@";
const Subscriber kSubscribers[] = {
    {"Насосная станция №3", "+7 912 345-67-80", kNetworkSite, "TCP"},
    {"Котельная, ул. Лесная", "+7 922 101-20-30"},
    {"Склад ГСМ", "8 343 210-55-17", "sklad-gsm.example.ru:2217", "RFC 2217"},
};

// The previous survey the survey window compares with: the first site had version
// 1.07, the third a pair; both differ now.
QList<SurveyRow> PreviousSurvey()
{
    QList<SurveyRow> rows;
    const auto row = [](int number, const Subscriber &subscriber, const QString &pair, const QString &peer) {
        SurveyRow read;
        read.subscriber = {number, QString::fromUtf8(subscriber.name), QString::fromUtf8(subscriber.phone)};
        read.read = true;
        read.result = QStringLiteral("Прочитано");
        const bool paired = pair == QStringLiteral("Есть");
        read.state = {paired ? QStringLiteral("Эксплуатационный") : QStringLiteral("Пусконаладочный"),
                      QStringLiteral("Нет"), pair, peer, QStringLiteral("00:1A:7D:DA:71:13"), QStringLiteral("1.07"),
                      paired, false};
        read.started = QDateTime(QDate(2026, 11, 30), QTime(9, 0));
        read.durationSeconds = 7;
        return read;
    };
    rows << row(1, kSubscribers[1], QStringLiteral("Нет"), QStringLiteral("--"));
    rows << row(2, kSubscribers[0], QStringLiteral("Есть"), QStringLiteral("0A:1B:2C:3D:4E:5F"));
    rows << row(3, kSubscribers[2], QStringLiteral("Есть"), QStringLiteral("0A:1B:2C:3D:4E:5F"));
    return rows;
}

// The module replies this long after a command, so that the window, which processes
// events while it waits for a reply, is on screen long enough to be pictured.
const QString kSlowReplies = QStringLiteral("delay 400");

} // namespace

QStringList SurveySites()
{
    // The phone session of the walk dials the third subscriber: a module without a pair,
    // as without a site.
    return {QStringLiteral("--site"), QStringLiteral("+79123456780 paired version=1.08"),
            QStringLiteral("--site"), QStringLiteral("+79221012030 busy"),
            QStringLiteral("--site"), QStringLiteral("83432105517 none")};
}

WalkPlan::WalkPlan(Walk &walk, TFormMain &window, test::DevSim &cable, const QString &networkSite)
    : walk(walk), window(window), cable(cable), networkSite(networkSite)
{
    cableConnection();
    commandView();
    stateReading();
    pairWithWaitingPeripheral();
    pairBreak();
    pairByAddress();
    phoneParameters();
    subscribers();
    phoneSession();
}

Walk::Find WalkPlan::mainWindowWhen(std::function<bool()> condition) const
{
    return MainWindowWhen(window, std::move(condition));
}

bool WalkPlan::stateShownWith(const char *enabledButton) const
{
    return IsShown(window, "gb_state") && IsEnabled(window, enabledButton);
}

void WalkPlan::cableConnection()
{
    walk.step("the connect dialog at start", ModalOf<TFormConnect>(), "start.png", Frame::WithMainWindow,
              [](QWidget *) {});
    walk.step("the connect dialog, cable", ModalOf<TFormConnect>(), "connect-direct.png", Frame::Window,
              [](QWidget *dialog) { Click(dialog, "BitBtn3"); }); // "Изменить параметры связи"
    walk.step("the connection parameters, cable", ModalOf<TFormConn_Par>(), "parameters-direct.png", Frame::Window,
              [](QWidget *dialog) { Click(dialog, "BitBtn2"); }); // "Выход"
    walk.step("the connect dialog before the cable link", ModalOf<TFormConnect>(),
              [](QWidget *dialog) { Click(dialog, "BitBtn1"); }); // "Принять"
    walk.step("the main window with the cable link",
              mainWindowWhen([this] { return window.session().link().LinkOpen; }),
              [this](QWidget *) { OpenMenu(window, "Nnastr"); });
    walk.step("the settings menu", mainWindowWhen([this] { return IsShown(window, "Nnastr"); }), "main-menu.png",
              Frame::Window, [this](QWidget *) {
                  CloseMenu(window, "Nnastr");
                  Trigger(window, "Ncommand");
              });
}

void WalkPlan::commandView()
{
    walk.step("the command view", mainWindowWhen([this] { return IsShown(window, "gb_command"); }),
              [this](QWidget *) {
                  window.activateWindow();
                  for (size_t i = 0; i < kTypedAddress.size(); ++i)
                      TypeInto(&window, qPrintable(QStringLiteral("a%1").arg(i)),
                               QLatin1String(kTypedAddress[i]));
                  for (const char *button : {"bt1", "bt2", "bt3", "bt6", "bt7"}) // HELP VER PING DEVADDR PEERADDR
                      Click(&window, button);
                  if (window.session().store().CurrentSettings.storedPeerAddress != kTypedAddressBytes)
                      Walk::Fail(QStringLiteral("the command view's address fields did not keep the typed address"));
                  walk.mark("commands sent");
              });
    walk.step("the command view with its log", mainWindowWhen([this] { return walk.marked("commands sent"); }),
              "command-view.png", Frame::Window, [this](QWidget *) {
                  // Wide enough for whole hexadecimal rows, as a user would make it.
                  m_sizeBefore = window.size();
                  window.resize(m_sizeBefore.width() + 160, m_sizeBefore.height());
                  window.findChild<ExchangeLogView *>(QStringLiteral("Memo1"))->setViewOptions({.hex = true});
                  walk.mark("hexadecimal log");
              });
    walk.step("the log in the hexadecimal view", mainWindowWhen([this] { return walk.marked("hexadecimal log"); }),
              "log-hex.png", Frame::Window, [this](QWidget *) {
                  window.findChild<ExchangeLogView *>(QStringLiteral("Memo1"))->setViewOptions({});
                  window.resize(m_sizeBefore);
                  Click(&window, "BitBtn7"); // "Выход"
                  Control(cable, "state waiting");
                  Control(cable, kSlowReplies);
                  Trigger(window, "Nstate");
              });
}

void WalkPlan::stateReading()
{
    walk.step("the wait window of the state reading", WaitWindowFor(window, WaitWindowKind::StateReading), "wait-reading.png",
              Frame::Window, [](QWidget *) {});
    walk.step("the state view, commissioning mode",
              mainWindowWhen([this] { return stateShownWith("BitBtn4"); }), "state-commissioning.png",
              Frame::Window, [this](QWidget *) { Click(&window, "BitBtn4"); }); // "Создание пары"
}

void WalkPlan::pairWithWaitingPeripheral()
{
    walk.step("the pairing confirmation", MessageBoxWith(QStringLiteral("Создать пару")), "pair-confirmation.png",
              Frame::Window, [](QWidget *box) { Answer(box, QMessageBox::Yes); });
    walk.step("the wait window of the pair creation", WaitWindowFor(window, WaitWindowKind::PairCreation),
              "wait-pairing.png", Frame::Window, [](QWidget *) {});
    walk.step("the pair created message", MessageBoxWith(QStringLiteral("Операция создания пары")),
              "pair-created.png", Frame::Window, [](QWidget *box) { Answer(box, QMessageBox::Ok); });
    walk.step("the state view, operational mode",
              mainWindowWhen([this] { return stateShownWith("BitBtn1"); }), "state-operational.png", Frame::Window,
              [this](QWidget *) { Click(&window, "BitBtn1"); }); // "Разрыв пары"
}

void WalkPlan::pairBreak()
{
    walk.step("the pair broken message", MessageBoxWith(QStringLiteral("Операция разрыва пары")),
              "pair-broken.png", Frame::Window, [](QWidget *box) { Answer(box, QMessageBox::Ok); });
    // KILL leaves the peripheral connected, waiting once more; it then goes away, so
    // pair creation asks for its address.
    walk.step("the state view after the pair break",
              mainWindowWhen([this] { return stateShownWith("BitBtn4") && !IsEnabled(window, "BitBtn1"); }),
              [this](QWidget *) {
                  Control(cable, "peripheral off");
                  Click(&window, "BitBtn4"); // "Создание пары"
              });
}

void WalkPlan::pairByAddress()
{
    walk.step("the address dialog", ModalOf<TFormInput_Adr>(), "address-dialog.png", Frame::Window,
              [](QWidget *dialog) { Click(dialog, "BitBtn1"); }); // "Принять"
    walk.step("the pair created message, typed address", MessageBoxWith(QStringLiteral("Операция создания пары")),
              [](QWidget *box) { Answer(box, QMessageBox::Ok); });
    walk.step("the state view, paired with the typed address",
              mainWindowWhen([this] { return stateShownWith("BitBtn1"); }), [this](QWidget *) {
                  Click(&window, "BitBtn5"); // "Выход"
                  Trigger(window, "Nconn");  // "Параметры связи": the cable link is dropped
              });
}

void WalkPlan::phoneParameters()
{
    walk.step("the connect dialog after the cable link", ModalOf<TFormConnect>(), [](QWidget *dialog) {
        Choose(dialog, "ComboBox3", QStringLiteral("Связь по телефону"));
        Click(dialog, "BitBtn3"); // "Изменить параметры связи"
    });
    walk.step("the connection parameters, phone", ModalOf<TFormConn_Par>(), [](QWidget *dialog) {
        Choose(dialog, "ComboBox1", QStringLiteral("COM2")); // the modem's port
        Click(dialog, "BitBtn6");                            // the subscriber list
    });
}

void WalkPlan::subscribers()
{
    for (const Subscriber &subscriber : kSubscribers) {
        walk.step("the subscriber list", ModalOf<TFormAbonents_List>(),
                  [](QWidget *list) { Click(list, "BitBtn2"); }); // "Добавить"
        walk.step("the subscriber editor", ModalOf<TFormAbonent>(), [this, subscriber](QWidget *editor) {
            TypeInto(editor, "Edit1", QString::fromUtf8(subscriber.name));
            TypeInto(editor, "Edit2", QString::fromUtf8(subscriber.phone));
            if (subscriber.networkAddress) {
                const bool simulated = QByteArray(subscriber.networkAddress) == kNetworkSite;
                TypeInto(editor, "NetworkAddressEdit",
                         simulated ? networkSite : QString::fromUtf8(subscriber.networkAddress));
                Choose(editor, "ProtocolList", QString::fromUtf8(subscriber.protocol));
            }
            walk.mark(QString::fromUtf8(subscriber.name));
        });
        const bool last = &subscriber == &std::end(kSubscribers)[-1];
            const Walk::Find filled = [this, subscriber]() -> QWidget * {
            return walk.marked(QString::fromUtf8(subscriber.name)) ? ModalOf<TFormAbonent>()() : nullptr;
        };
        walk.step("the subscriber editor, filled", filled, last ? "subscriber-editor.png" : "", Frame::Window,
                  [](QWidget *editor) { Click(editor, "BitBtn4"); }); // "Принять"
    }
    walk.step("the subscriber list, filled", ModalOf<TFormAbonents_List>(), "subscribers.png", Frame::Window,
              [](QWidget *list) { Click(list, "BitBtn4"); }); // "Принять"
    walk.step("the connection parameters, phone, filled", ModalOf<TFormConn_Par>(), "parameters-phone.png",
              Frame::Window, [](QWidget *dialog) { Click(dialog, "BitBtn1"); });
    walk.step("the connect dialog, phone", ModalOf<TFormConnect>(), "connect-phone.png", Frame::Window,
              [](QWidget *dialog) { Click(dialog, "BitBtn6"); }); // the subscriber list
    surveyOfTheSites();
    walk.step("the subscriber list after the survey", ModalOf<TFormAbonents_List>(),
              [](QWidget *list) { Click(list, "BitBtn5"); }); // "Отменить"
    walk.step("the connect dialog after the survey", ModalOf<TFormConnect>(),
              [](QWidget *dialog) { Choose(dialog, "ComboBox3", QStringLiteral("Связь по сети")); });
    const Walk::Find networkKind = []() -> QWidget * {
        QWidget *dialog = ModalOf<TFormConnect>()();
        const auto *kinds = dialog ? dialog->findChild<QComboBox *>(QStringLiteral("ComboBox3")) : nullptr;
        return kinds && kinds->currentText() == QStringLiteral("Связь по сети") ? dialog : nullptr;
    };
    walk.step("the connect dialog, network", networkKind, "connect-network.png", Frame::Window, [](QWidget *dialog) {
        Choose(dialog, "ComboBox3", QStringLiteral("Связь по телефону"));
        Click(dialog, "BitBtn1");
    });
}

void WalkPlan::phoneSession()
{
    walk.step("the main window with the phone link", mainWindowWhen([this] { return IsShown(window, "pnmodem"); }),
              [this](QWidget *) {
                  Trigger(window, "Ncommand");
                  for (const char *button : {"bt3", "bt2"}) // PING VER
                      Click(&window, button);
                  walk.mark("phone commands sent");
              });
    // The call panel's clock has run for a few seconds.
    const Walk::Find called = mainWindowWhen([this] {
        return walk.marked("phone commands sent") && Text(window, "pntime") >= QLatin1String("00:00:03");
    });
    walk.step("the command view on the phone link", called, "phone-link.png", Frame::Window, [this](QWidget *) {
        Click(&window, "BitBtn7"); // "Выход"
        Trigger(window, "Nexit");  // hangs up and closes
    });
}

void WalkPlan::surveyOfTheSites()
{
    walk.step("the subscriber list before the survey", ModalOf<TFormAbonents_List>(), [this](QWidget *list) {
        const QString reports = ReportsDirectory(window.session().store().IniDirectory);
        QString error;
        if (!WriteSurveyReport(reports + QStringLiteral("/survey-20261130-090000.csv"), PreviousSurvey(), &error))
            Walk::Fail(error);
        Click(list, "SurveyButton"); // "Опрос…"
    });
    walk.step("the survey window", ModalOf<TFormSurvey>(), [](QWidget *survey) {
        Click(survey, "SurveyPort3"); // the second modem shares the round
        Click(survey, "SurveyStart");
    });
    const Walk::Find running = [] {
        auto *survey = qobject_cast<TFormSurvey *>(ModalOf<TFormSurvey>()());
        const auto *progress = survey ? survey->findChild<QProgressBar *>(QStringLiteral("SurveyProgress")) : nullptr;
        return survey && survey->running() && progress && progress->value() >= 1 ? survey : nullptr;
    };
    walk.step("the survey window during a round", running, "survey-running.png", Frame::Window, [](QWidget *) {});
    const Walk::Find done = [] {
        auto *survey = qobject_cast<TFormSurvey *>(ModalOf<TFormSurvey>()());
        return survey && !survey->running() && !survey->reportPath().isEmpty() ? survey : nullptr;
    };
    walk.step("the survey window after the round", done, "survey-done.png", Frame::Window,
              [](QWidget *survey) { Click(survey, "SurveyClose"); });
}

} // namespace tavrin::screenshots
