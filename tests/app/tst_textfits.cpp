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

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyleOptionComboBox>
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

} // namespace

class TestTextFits : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); }
    void everyWindow_showsWholeTexts_data();
    void everyWindow_showsWholeTexts();
};

void TestTextFits::everyWindow_showsWholeTexts_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("window");
    const QStringList windows = {"main window",       "command view",   "state view",       "connect direct",
                                 "connect phone",     "parameters direct", "parameters phone", "subscriber list",
                                 "subscriber editor", "address dialog", "wait reading",     "wait pairing",
                                 "message box",       "survey"};
    for (int points : {9, 12, 14}) {
        for (const QString &window : windows)
            QTest::addRow("%d pt, %s", points, qPrintable(window)) << points << window;
    }
}

void TestTextFits::everyWindow_showsWholeTexts()
{
    QFETCH(int, points);
    QFETCH(QString, window);
    const QFont previousFont = QApplication::font();
    QFont font = previousFont;
    font.setPointSize(points);
    QApplication::setFont(font);

    AppFixture fixture;
    std::unique_ptr<TFormMain> main = fixture.window();
    Settings &settings = main->session().store().CurrentSettings;
    settings.directory.users_num = 2;
    settings.directory.entries[0] = {QStringLiteral("Подстанция Северная"), 1, 1, QStringLiteral("+7 (343) 210-55-17")};
    settings.directory.entries[1] = {QStringLiteral("Котельная №2"), 1, 1, QStringLiteral("8 800 100-00-00")};
    settings.Conn_Prz = window.endsWith(QLatin1String("phone")) ? Phone : Direct;
    Settings edited = settings;
    MacAddress address{0xDD, 0xDD, 0xDD, 0xDD, 0xDD, 0xDD};
    AbonentRecord abonent = settings.directory.entries[0];

    std::unique_ptr<QWidget> shown;
    QWidget *checked = main.get();
    FillStatusPanels(*main);
    if (window == "command view") {
        settings.StoredPeerAddress = address;
        Action(*main, "Ncommand")->trigger();
        Named<QWidget>(main.get(), "pnmodem")->show();
    } else if (window == "state view") {
        main->openView(ViewMode::State);
        Named<QShortcut>(main.get(), "N_secretShortcut")->activated(); // the log beside it
        DeviceState state{QStringLiteral("Эксплуатационный"), QStringLiteral("Есть"), QStringLiteral("Есть"),
                          QStringLiteral("0A:1B:2C:3D:4E:5F"), QStringLiteral("00:1A:7D:DA:71:13"),
                          QStringLiteral("1.07"), true, false};
        Named<StateView>(main.get(), "gb_state")->showState(state);
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
        const QList<SurveySubscriber> chosen = {{1, QStringLiteral("Подстанция Северная"), QStringLiteral("+7 (343) 210-55-17")},
                                                {2, QStringLiteral("Котельная №2"), QStringLiteral("8 800 100-00-00")}};
        shown = std::make_unique<TFormSurvey>(settings, chosen, fixture.programDir(), main.get());
    } else if (window == "message box") {
        shown = std::make_unique<PlainMessageBox>(QStringLiteral("Связь через модем прервана. Восстановить сейчас?"),
                                                  QMessageBox::Yes | QMessageBox::No, main.get());
    }
    if (shown) {
        shown->show();
        checked = shown.get();
    }
    QTest::qWait(30);
    SaveScreen(checked, QStringLiteral("textfits-%1pt-%2.png").arg(points).arg(QString(window).replace(u' ', u'-')));
    const QStringList cut = CutTexts(checked);
    shown.reset();
    main.reset();
    QApplication::setFont(previousFont);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestTextFits test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_textfits.moc"
