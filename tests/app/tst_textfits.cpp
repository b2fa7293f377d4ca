// Every window and view at application fonts of 9, 12 and 14 points (and, run again
// with QT_SCALE_FACTOR=2, at scale 2): no label, button, field, list box, group title or
// status panel shows less than its whole text.
#include "apptest.h"

#include "app/tavrinapplication.h"
#include "dialogs/formabonent.h"
#include "dialogs/formabonentslist.h"
#include "dialogs/formconnect.h"
#include "dialogs/formconnpar.h"
#include "dialogs/formsurvey.h"
#include "dialogs/forminputadr.h"
#include "dialogs/formwait.h"
#include "dialogs/messagebox.h"
#include "dialogs/panelstatusbar.h"
#include "link/linktiming.h"
#include "support/devsim.h"
#include "support/fasttiming.h"
#include "survey/surveytexts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTableWidget>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// What widget shows of its text less than the whole, as "name: text (needs N, has M)";
// empty when it shows all of it.
QString Cut(QWidget *widget)
{
    const QFontMetrics metrics(widget->font());
    const auto cut = [&](const QString &text, int needed, int room) {
        return needed <= room ? QString()
                              : QStringLiteral("%1: \"%2\" (needs %3, has %4)")
                                    .arg(widget->objectName(), text)
                                    .arg(needed)
                                    .arg(room);
    };
    QStyle *style = widget->style();
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        if (label->text().isEmpty())
            return {};
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        if (label->wordWrap())
            return cut(label->text(), label->heightForWidth(label->width()), label->height());
        const QStringList lines = label->text().split(u'\n');
        for (const QString &line : lines) {
            if (QString c = cut(line, metrics.horizontalAdvance(line), room.width()); !c.isEmpty())
                return c;
        }
        return cut(label->text(), int(lines.size()) * metrics.height(), room.height() + 2);
    }
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        const QString text = button->text().remove(u'&');
        if (text.isEmpty())
            return {};
        // The style's own padding around a button's text and icon.
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const int padding = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
                            + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        return cut(text, metrics.horizontalAdvance(text) + icon + padding, button->width());
    }
    if (qobject_cast<QCheckBox *>(widget) || qobject_cast<QRadioButton *>(widget)) {
        const auto *box = static_cast<QAbstractButton *>(widget);
        return cut(box->text(), box->sizeHint().width(), box->width());
    }
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        if (edit->text().isEmpty())
            return {};
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        return cut(edit->text(), metrics.horizontalAdvance(edit->text()), edit->width() - 2 * frame - 4);
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        return cut(combo->currentText(), metrics.horizontalAdvance(combo->currentText()), field.width());
    }
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return cut(group->title(), metrics.horizontalAdvance(group->title()), group->width() - 8);
    if (auto *table = qobject_cast<QTableWidget *>(widget)) {
        // Every value whole; a failure's long text may end in "…" (its tooltip holds it),
        // a site that was read may not.
        const int padding = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
        for (int row = 0; row < table->rowCount(); ++row) {
            for (int column = 0; column < table->columnCount(); ++column) {
                const QTableWidgetItem *item = table->item(row, column);
                if (!item || item->text().isEmpty() || (!item->toolTip().isEmpty() && item->text() != surveytext::Read))
                    continue;
                const int needed = QFontMetrics(item->font()).horizontalAdvance(item->text()) + padding;
                if (QString c = cut(item->text(), needed, table->columnWidth(column)); !c.isEmpty())
                    return c;
            }
        }
    }
    return {};
}

// Every cut text in window and its visible children.
QStringList CutTexts(QWidget *window)
{
    QStringList found;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        if (QString c = Cut(widget); !c.isEmpty())
            found << c;
    }
    return found;
}

// The longest texts the status panels show.
void FillStatusPanels(TFormMain &window)
{
    auto *bar = Named<PanelStatusBar>(&window, "StatusBar1");
    bar->setPanelText(StatusPanel::Port, QStringLiteral(" COM12,   115200 бит/с"));
    bar->setPanelText(StatusPanel::Kind, QStringLiteral(" Тел. +7 (343) 210-55-17"));
    bar->setPanelText(StatusPanel::Operation, QStringLiteral(" Выполняеся чтение состояния устройства"));
    bar->setPanelText(StatusPanel::Activity, QStringLiteral("Обмен..."));
}

// The application's font at a size while it lives, the one before again afterwards.
struct AppFontAt {
    QFont previous = QApplication::font();
    explicit AppFontAt(int points)
    {
        QFont font = previous;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    ~AppFontAt() { QApplication::setFont(previous); }
};

constexpr int kSurveyPort = 7;

// Sites of every result a round gives: read (paired, without a pair, connected), and the
// call failing every way the modem reports, and a subscriber without a number.
const QStringList kSurveySites = {
    QStringLiteral("101 paired version=1.08 peripheral=0A:1B:2C:3D:4E:5F"), QStringLiteral("102 busy"),
    QStringLiteral("103 none"),        QStringLiteral("104 no-answer"),   QStringLiteral("105 no-carrier"),
    QStringLiteral("106 no-dialtone"), QStringLiteral("107 error"),       QStringLiteral("108 connected"),
};

QList<SurveySubscriber> SurveySites()
{
    QList<SurveySubscriber> sites;
    for (const QString &site : kSurveySites) {
        const int number = site.section(u' ', 0, 0).toInt();
        sites.append({number - 100, QStringLiteral("Подстанция Северная, КТП-%1").arg(number), QString::number(number)});
    }
    sites.append({int(sites.size()) + 1, QStringLiteral("Котельная №2"), QString()});
    return sites;
}

} // namespace

class TestTextFits : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); }
    void everyWindow_showsWholeTexts_data();
    void everyWindow_showsWholeTexts();
    void everyWindow_insideTheScreen_data() { everyWindow_showsWholeTexts_data(); }
    void everyWindow_insideTheScreen();
};

void TestTextFits::everyWindow_showsWholeTexts_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("window");
    const QStringList windows = {"main window",       "command view",   "state view",       "connect direct",
                                 "connect phone",     "parameters direct", "parameters phone", "subscriber list",
                                 "subscriber editor", "address dialog", "wait reading",     "wait pairing",
                                 "message box",       "survey",         "log in hex view"};
    for (int points : {9, 12, 14}) {
        for (const QString &window : windows)
            QTest::addRow("%d pt, %s", points, qPrintable(window)) << points << window;
    }
}

// One window of the walk, shown at the application's font.
struct ShownWindow {
    AppFixture fixture;
    std::unique_ptr<DevSim> sim;
    std::unique_ptr<TFormMain> main;
    std::unique_ptr<QWidget> shown;
    QWidget *checked = nullptr;
    QString failure;

    explicit ShownWindow(const QString &window);
    ~ShownWindow()
    {
        shown.reset();
        main.reset();
    }
    // A round of the survey window to its end, against simulated sites of every result.
    void finishSurveyRound(TFormSurvey &survey);
};

ShownWindow::ShownWindow(const QString &window)
{
    main = fixture.window();
    checked = main.get();
    Settings &settings = main->session().store().CurrentSettings;
    settings.directory.count = 2;
    settings.directory.entries[0] = {QStringLiteral("Подстанция Северная"), 1, 1, QStringLiteral("+7 (343) 210-55-17")};
    settings.directory.entries[1] = {QStringLiteral("Котельная №2"), 1, 1, QStringLiteral("8 800 100-00-00")};
    settings.connectionKind = window.endsWith(QLatin1String("phone")) ? Phone : Direct;
    Settings edited = settings;
    MacAddress address{0xDD, 0xDD, 0xDD, 0xDD, 0xDD, 0xDD};
    AbonentRecord abonent = settings.directory.entries[0];

    FillStatusPanels(*main);
    if (window == "command view") {
        settings.storedPeerAddress = address;
        Action(*main, "Ncommand")->trigger();
        Named<QWidget>(main.get(), "pnmodem")->show();
    } else if (window == "state view") {
        main->openView(ViewMode::State);
        Named<QShortcut>(main.get(), "N_secretShortcut")->activated(); // the log beside it
        DeviceState state{QStringLiteral("Эксплуатационный"), QStringLiteral("Есть"), QStringLiteral("Есть"),
                          QStringLiteral("0A:1B:2C:3D:4E:5F"), QStringLiteral("00:1A:7D:DA:71:13"),
                          QStringLiteral("1.07"), true, false};
        Named<StateView>(main.get(), "gb_state")->showState(state);
    } else if (window == "log in hex view") {
        Action(*main, "Ncommand")->trigger();
        auto *memo = Named<ExchangeLogView>(main.get(), "Memo1");
        memo->setViewOptions({true, true});
        TraceExchange(*memo, "PING\r", "{\"PING\":\"NoConnection\"}");
        memo->flush();
    } else if (window.startsWith(QLatin1String("connect"))) {
        shown = std::make_unique<TFormConnect>(main->session().store(), main.get());
    } else if (window.startsWith(QLatin1String("parameters"))) {
        shown = std::make_unique<TFormConn_Par>(main->session().store(), edited, main.get());
    } else if (window == "subscriber list") {
        shown = std::make_unique<TFormAbonents_List>(edited.directory, main.get());
    } else if (window == "subscriber editor") {
        shown = std::make_unique<TFormAbonent>(abonent, EditMode, main.get());
    } else if (window == "address dialog") {
        shown = std::make_unique<TFormInput_Adr>(address, main.get());
    } else if (window.startsWith(QLatin1String("wait"))) {
        auto *wait = new TFormWait(main.get());
        wait->WaitKind = window.endsWith(QLatin1String("pairing")) ? WaitWindowKind::PairCreation
                                                                   : WaitWindowKind::StateReading;
        shown.reset(wait);
    } else if (window == "survey") {
        Settings phone = settings;
        phone.phone.portNumber = kSurveyPort;
        phone.phone.replyWaitSeconds = 1;
        phone.connectWaitSeconds = 5;
        auto survey = std::make_unique<TFormSurvey>(phone, SurveySites(), fixture.programDir(), main.get());
        survey->show();
        finishSurveyRound(*survey);
        shown = std::move(survey);
    } else if (window == "message box") {
        shown = std::make_unique<PlainMessageBox>(QStringLiteral("Связь через модем прервана. Восстановить сейчас?"),
                                                  QMessageBox::Yes | QMessageBox::No, main.get());
    }
    if (shown) {
        shown->show();
        checked = shown.get();
    }
    QTest::qWait(30);
}

void ShownWindow::finishSurveyRound(TFormSurvey &survey)
{
    survey.showMessage = [](const QString &) {};
    survey.timing.link = FastTiming();
    survey.timing.settleAfterOpenMs = 5;
    survey.timing.pause = [](int ms) { Pause(ms / 50); };
    sim = std::make_unique<DevSim>(fixture.comDir());
    QStringList args = FastModemArgs();
    for (const QString &site : kSurveySites)
        args << QStringLiteral("--site") << site;
    if (!sim->start({.port = kSurveyPort, .modem = true, .extraArgs = args})) {
        failure = QStringLiteral("simulated sites not started: ") + sim->errorString();
        return;
    }
    QTest::mouseClick(Named<QPushButton>(&survey, "SurveyStart"), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return !survey.running(); }, 60000))
        failure = QStringLiteral("the round did not end");
    else if (Named<QProgressBar>(&survey, "SurveyProgress")->value() != int(SurveySites().size()))
        failure = QStringLiteral("the round did not reach every site");
}

void TestTextFits::everyWindow_showsWholeTexts()
{
    QFETCH(int, points);
    QFETCH(QString, window);
    const AppFontAt font(points);
    QStringList cut;
    {
        ShownWindow shown(window);
        QVERIFY2(shown.failure.isEmpty(), qPrintable(shown.failure));
        SaveScreen(shown.checked, QStringLiteral("textfits-%1pt-%2.png").arg(points).arg(QString(window).replace(u' ', u'-')));
        cut = CutTexts(shown.checked);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

void TestTextFits::everyWindow_insideTheScreen()
{
    QFETCH(int, points);
    QFETCH(QString, window);
    const AppFontAt font(points);
    QString outside;
    {
        ShownWindow shown(window);
        QVERIFY2(shown.failure.isEmpty(), qPrintable(shown.failure));
        const QRect area = shown.checked->screen()->availableGeometry();
        const QRect frame = shown.checked->frameGeometry();
        const QSize least = shown.checked->minimumSizeHint().expandedTo(shown.checked->minimumSize());
        if (!area.contains(frame))
            outside = QStringLiteral("opens at %1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
        else if (least.width() > area.width() || least.height() > area.height())
            outside = QStringLiteral("needs at least %1x%2").arg(least.width()).arg(least.height());
        if (!outside.isEmpty())
            outside += QStringLiteral(" on a free area of %1x%2").arg(area.width()).arg(area.height());
    }
    QVERIFY2(outside.isEmpty(), qPrintable(outside));
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestTextFits test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_textfits.moc"
