// The exchange log: lines as the engine adds them, a text that scrolls itself one line
// per step and keeps every line, control bytes drawn as named marks, and the context
// menu that copies the trace or saves it to a file.
#include "apptest.h"

#include "app/exchangelogaccessible.h"
#include "app/exchangelogview.h"
#include "app/tavrinapplication.h"
#include "tracelog/tracefile.h"

#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLoggingCategory>
#include <QLineEdit>
#include <QFileDialog>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QScopeGuard>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// A window with the command view open, so that the log is on screen.
struct LogWindow {
    AppFixture fixture;
    std::unique_ptr<TFormMain> window = fixture.window();
    ExchangeLogView *memo = Named<ExchangeLogView>(window.get(), "Memo1");
    TraceLog &log = (*Named<ExchangeLogView>(window.get(), "Memo1"));

    LogWindow() { Action(*window, "Ncommand")->trigger(); }

    void traffic(const QByteArray &command, const QByteArray &reply) { TraceExchange(log, command, reply); }

    // Lines as the engine writes one exchange: a blank line, the command, the reply.
    void exchange(const QString &command, const QString &reply)
    {
        log.beginExchange();
        log.addLine(QStringLiteral(" "));
        log.addLine(QStringLiteral(" ") + command + QChar(0x240D));
        log.addLine(QStringLiteral(" ") + reply);
        log.refresh();
    }
};

// Opens the log's context menu as a right click does; act gets the menu once it shows
// and must close it or choose an item.
void WithContextMenu(ExchangeLogView *memo, const std::function<void(QMenu *)> &act)
{
    QTimer poll;
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()); menu && !acted) {
            acted = true;
            act(menu);
        }
    });
    poll.start(10);
    const QPoint at(20, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, memo->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(memo->viewport(), &event);
    QVERIFY(acted);
}

// Chooses the item of menu whose text is text, as Enter on it does.
void Choose(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    menu->close();
}

QString ReadUtf8(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("(unreadable)");
}

} // namespace

class TestExchangeLog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietPlatformNotes(); }
    void lines_unwrapped_clearedByButton();
    void scrolling_oneLinePerStep_newestLinesInView();
    void longTrace_keepsEveryLineAndByte();
    void controlBytes_namedMarks_textUnchanged();
    void traceFileText_data();
    void traceFileText();
    void contextMenu_copyAndSelectAll();
    void save_proposesDatedNameInDocuments_writesWholeTrace_data();
    void save_proposesDatedNameInDocuments_writesWholeTrace();
    void save_failure_namesFile_screenUnchanged();
    void save_realDialog_russianAndOffersProposedFile();
    void viewItems_redrawFromBytes_keptInBluetoothIni();
    void viewChange_oneWritePerChange();
    void findBar_ctrlF_nextPreviousWrapNotFoundEsc();
    void findBar_escInStateView_closesBarOnly();
    void logFirstShown_fixedPitchRowsAndFindBar_data();
    void logFirstShown_fixedPitchRowsAndFindBar();
    void accessibleText_bothViews_selection_newRowsOnePerFlush();
    void accessibleText_flushToldInPiecesOfWholeRows_data();
    void accessibleText_flushToldInPiecesOfWholeRows();
    void caretKeys_selectAsInATextField_data();
    void caretKeys_selectAsInATextField();
    void clicks_wordThenRow_focusFrameAndCaretDrawn();
};

void TestExchangeLog::lines_unwrapped_clearedByButton()
{
    LogWindow w;
    QCOMPARE(w.log.lineCount(), 0);
    QCOMPARE(w.log.lastLineLength(), 0);
    w.log.appendToLastLine(QStringLiteral("ab")); // an empty log gets its first line
    w.log.addLine(QStringLiteral(" "));
    w.log.appendToLastLine(QStringLiteral("PING\u240D"));
    w.log.refresh();
    QCOMPARE(w.log.lineCount(), 2);
    QCOMPARE(w.log.lastLineLength(), 6);
    // The rows reach the screen shortly, without anyone asking for them again.
    QTRY_COMPARE_WITH_TIMEOUT(w.memo->rowCount(), 2, 500);
    QCOMPARE(w.memo->lines(), QStringList({"ab", " PING\u240D"}));
    // A line wider than the view stays one row, scrolled sideways.
    w.log.addLine(QString(300, u'x'));
    QCOMPARE(w.memo->lines().size(), 3);
    QVERIFY(w.memo->horizontalScrollBar()->maximum() > 0);

    Button(*w.window, "BitBtn6")->click(); // "Очистить список"
    QCOMPARE(w.log.lineCount(), 0);
    QCOMPARE(w.memo->lines(), QStringList());
    QCOMPARE(w.memo->rowCount(), 0);
}

void TestExchangeLog::scrolling_oneLinePerStep_newestLinesInView()
{
    LogWindow w;
    auto *bar = Named<QScrollBar>(w.window.get(), "ScrollBox1");
    const int heightBefore = w.memo->height();
    for (int i = 0; i < 100; ++i)
        w.exchange(QStringLiteral("PING"), QStringLiteral("{\"PING\":\"OK\"} %1").arg(i));
    Named<CommandView>(w.window.get(), "gb_command")->scrollLogToEnd();
    QCOMPARE(w.memo->height(), heightBefore); // the view scrolls; it does not grow
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(w.memo->lines().last(), QStringLiteral(" {\"PING\":\"OK\"} 99"));
    QVERIFY(w.memo->viewport()->rect().contains(w.memo->characterCell(w.memo->rowCount() - 1, 0).toRect()));

    // One step of the scroll bar is one line.
    const qint64 top = w.memo->firstVisibleRow();
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(w.memo->firstVisibleRow(), top - 1);

    // Scrolled back, the reader keeps the place while lines come; the next command
    // brings the newest lines into view again.
    const int kept = bar->value();
    w.exchange(QStringLiteral("VER"), QStringLiteral("{\"VER\":\"OK\"}"));
    w.memo->flush();
    QCOMPARE(bar->value(), kept);
    Named<CommandView>(w.window.get(), "gb_command")->scrollLogToEnd();
    QCOMPARE(bar->value(), bar->maximum());
    // At the end, the log follows new lines by itself.
    w.exchange(QStringLiteral("HELP"), QStringLiteral("{\"HELP\":\"OK\"}"));
    QTRY_COMPARE_WITH_TIMEOUT(w.memo->rowCount(), 306, 500);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestExchangeLog::longTrace_keepsEveryLineAndByte()
{
    LogWindow w;
    // Every byte the trace can show, on lines of 100 characters, 20,000 times over:
    // CP1251's letters, the no-break space (0xA0) and the control bytes' pictures.
    QString line;
    for (int i = 0; i < 100; ++i)
        line += i % 3 == 0 ? QChar(0x240D) : i % 3 == 1 ? QChar(0x00A0) : QChar(0x0410 + i % 64);
    for (int i = 0; i < 20000; ++i)
        w.log.addLine(QString::number(i) + line);
    w.log.refresh();
    const QStringList lines = w.memo->lines();
    QCOMPARE(lines.size(), 20000);
    QCOMPARE(lines.first(), "0" + line);
    QCOMPARE(lines[12345], "12345" + line);
    QCOMPARE(lines.last(), "19999" + line);
    QCOMPARE(w.memo->rowCount(), 20000);
}

void TestExchangeLog::controlBytes_namedMarks_textUnchanged()
{
    LogWindow w;
    w.log.addLine(QStringLiteral(" PING\u240D"));
    w.log.addLine(QStringLiteral(" PINGx"));
    w.memo->flush();
    QTest::qWait(50);
    // Where the character at position of a line sits on screen.
    const auto cell = [&](int line, int position) { return w.memo->characterCell(line, position).toAlignedRect(); };
    // The CR's cell is wider than a character: room for its name.
    const QRect cr = cell(0, 5);
    const QRect x = cell(1, 5);
    QVERIFY2(cr.width() > 3 * x.width() / 2, qPrintable(QStringLiteral("%1 vs %2").arg(cr.width()).arg(x.width())));

    // On screen the cell is a coloured mark, the plain character's is not.
    SaveScreen(w.memo, QStringLiteral("log-control-bytes.png"));
    const QImage screen = w.memo->viewport()->grab().toImage();
    const auto markShare = [&screen](const QRect &area) {
        int marked = 0;
        for (int row = area.top(); row <= area.bottom(); ++row) {
            for (int column = area.left(); column <= area.right(); ++column)
                marked += screen.pixelColor(column, row) == QColor(36, 92, 160);
        }
        return double(marked) / double(area.width() * area.height());
    };
    QVERIFY2(markShare(cr) > 0.4, qPrintable(QString::number(markShare(cr))));
    QCOMPARE(markShare(x), 0.0);

    // The text keeps the picture character: selected and copied, it reads as before.
    w.memo->selectAll();
    w.memo->copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" PING\u240D\n PINGx"));
}

void TestExchangeLog::traceFileText_data()
{
    const QDateTime first(QDate(2024, 3, 5), QTime(9, 7, 2));
    const QDateTime second(QDate(2024, 12, 31), QTime(23, 59, 59));
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("startLines");
    QTest::addColumn<QList<QDateTime>>("startTimes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QStringList() << QList<int>() << QList<QDateTime>() << "";
    QTest::newRow("two exchanges")
        << QStringList{" ", " PING\u240D", " {\"PING\":\"OK\"}", " ", " VER\u240D", " {\"VER\":\"OK\"}"}
        << QList<int>{0, 3} << QList<QDateTime>{first, second}
        << "05.03.2024 09:07:02\n \n PING\u240D\n {\"PING\":\"OK\"}\n"
           "31.12.2024 23:59:59\n \n VER\u240D\n {\"VER\":\"OK\"}\n";
    QTest::newRow("lines before the first exchange, a silent one after")
        << QStringList{"ab", " ", " PING\u240D", " "} << QList<int>{1} << QList<QDateTime>{first}
        << "ab\n05.03.2024 09:07:02\n \n PING\u240D\n \n";
    QTest::newRow("an exchange that began after the last line")
        << QStringList{" "} << QList<int>{0, 1} << QList<QDateTime>{first, second} << "05.03.2024 09:07:02\n \n";
}

void TestExchangeLog::traceFileText()
{
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, startLines);
    QFETCH(QList<QDateTime>, startTimes);
    QFETCH(QString, text);
    std::vector<ExchangeStart> starts;
    for (int i = 0; i < int(startLines.size()); ++i)
        starts.push_back({startLines[i], startTimes[i]});
    QCOMPARE(TraceFileText(lines, starts), text);
}

void TestExchangeLog::contextMenu_copyAndSelectAll()
{
    LogWindow w;
    w.exchange(QStringLiteral("PING"), QStringLiteral("{\"PING\":\"OK\"}"));
    w.memo->flush();
    QStringList texts;
    bool copyEnabled = true;
    WithContextMenu(w.memo, [&](QMenu *menu) {
        for (const QAction *action : menu->actions()) {
            texts << action->text();
            if (action->text() == QStringLiteral("Копировать"))
                copyEnabled = action->isEnabled();
        }
        Choose(menu, QStringLiteral("Выделить всё"));
    });
    QCOMPARE(texts, QStringList({"Копировать", "Выделить всё", "Найти...", "", "Шестнадцатеричный вид", "Время", "",
                                 "Сохранить в файл..."}));
    QVERIFY(!copyEnabled); // nothing was selected
    QCOMPARE(w.memo->selectedText(), QStringLiteral(" \n PING\u240D\n {\"PING\":\"OK\"}"));

    QApplication::clipboard()->clear();
    WithContextMenu(w.memo, [&](QMenu *menu) {
        copyEnabled = menu->actions().constFirst()->isEnabled();
        Choose(menu, QStringLiteral("Копировать"));
    });
    QVERIFY(copyEnabled);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" \n PING\u240D\n {\"PING\":\"OK\"}"));
}

void TestExchangeLog::save_proposesDatedNameInDocuments_writesWholeTrace_data()
{
    QTest::addColumn<bool>("documentsFolder"); // the user has one
    QTest::newRow("documents folder") << true;
    QTest::newRow("home folder only") << false;
}

void TestExchangeLog::save_proposesDatedNameInDocuments_writesWholeTrace()
{
    QFETCH(bool, documentsFolder);
    QTemporaryDir home;
    const QDir homeDir(home.path());
    if (documentsFolder)
        QVERIFY(homeDir.mkdir(QStringLiteral("Documents")));
    const QByteArray previousHome = qgetenv("HOME");
    const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(homeDir.filePath(QStringLiteral(".config"))));
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", previousHome);
        qputenv("XDG_CONFIG_HOME", previousConfig);
    });
    LogWindow w;
    MessageLog choices;
    choices.attach(*w.window);
    QTemporaryDir folder;
    choices.saveTo = folder.filePath(QStringLiteral("site.log"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w.exchange(QStringLiteral("PING"), QStringLiteral("{\"PING\":\"Connected\"}"));
    w.exchange(QStringLiteral("VER"), QStringLiteral("{\"VER\":\"OK\",\"Val\":\"1.07\"}\u240D\u240A"));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    WithContextMenu(w.memo, [](QMenu *menu) { Choose(menu, QStringLiteral("Сохранить в файл...")); });
    QCOMPARE(choices.proposedFiles.size(), 1);
    const QFileInfo offered(choices.proposedFiles[0]);
    QCOMPARE(offered.absolutePath(), documentsFolder ? homeDir.filePath(QStringLiteral("Documents")) : home.path());
    const QRegularExpressionMatch name =
        QRegularExpression(QStringLiteral(R"(^tavrin-(\d{8}-\d{6})\.log$)")).match(offered.fileName());
    QVERIFY2(name.hasMatch(), qPrintable(offered.fileName()));
    const QDateTime named = QDateTime::fromString(name.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
    QVERIFY2(named >= before && named <= after.addSecs(5), qPrintable(name.captured(1)));
    QCOMPARE(choices.messages, QStringList());

    // UTF-8, one line per trace line, each exchange headed by its date and time.
    const QStringList saved = ReadUtf8(choices.saveTo).split(u'\n');
    const QRegularExpression stamp(QStringLiteral(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$)"));
    QStringList shape; // the date-and-time headings marked
    for (const QString &line : saved)
        shape << (stamp.match(line).hasMatch() ? QStringLiteral("<time>") : line);
    QCOMPARE(shape, QStringList({"<time>", " ", " PING\u240D", " {\"PING\":\"Connected\"}", "<time>", " ", " VER\u240D",
                                 " {\"VER\":\"OK\",\"Val\":\"1.07\"}\u240D\u240A", ""})); // each line ended
    const QDateTime first = QDateTime::fromString(saved[0], QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    QVERIFY(first >= before && first <= after);
    QFile raw(choices.saveTo);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QVERIFY(raw.readAll().contains("PING\xE2\x90\x8D\n")); // the CR's picture in UTF-8, then a line end
}

void TestExchangeLog::save_failure_namesFile_screenUnchanged()
{
    LogWindow w;
    MessageLog messages;
    messages.attach(*w.window);
    for (int i = 0; i < 60; ++i)
        w.exchange(QStringLiteral("PING"), QStringLiteral("{\"PING\":\"OK\"} %1").arg(i));
    Named<CommandView>(w.window.get(), "gb_command")->scrollLogToEnd();
    w.memo->select(40, 0, 40, 6);
    QScrollBar *bar = Named<QScrollBar>(w.window.get(), "ScrollBox1");
    bar->setValue(bar->maximum() / 2);
    QTest::qWait(50);
    const QImage before = w.memo->grab().toImage();
    const QStringList textBefore = w.memo->lines();

    QTemporaryDir folder;
    messages.saveTo = folder.filePath(QStringLiteral("gone/site.log")); // no such folder
    WithContextMenu(w.memo, [](QMenu *menu) { Choose(menu, QStringLiteral("Сохранить в файл...")); });
    QCOMPARE(messages.messages.size(), 1);
    const QString named = "Не удалось сохранить протокол обмена в файл " + QDir::toNativeSeparators(messages.saveTo) + ": ";
    QVERIFY2(messages.messages[0].startsWith(named) && messages.messages[0].size() > named.size(),
             qPrintable(messages.messages[0])); // the system's reason follows
    QVERIFY(!QFile::exists(messages.saveTo));

    QTest::qWait(50);
    QCOMPARE(w.memo->lines(), textBefore);
    QCOMPARE(w.memo->selectedText(), QStringLiteral(" PING\u240D"));
    QCOMPARE(bar->value(), bar->maximum() / 2);
    QCOMPARE(w.memo->grab().toImage(), before);

    // Cancelled, nothing is written and nothing said.
    messages.saveTo.clear();
    WithContextMenu(w.memo, [](QMenu *menu) { Choose(menu, QStringLiteral("Сохранить в файл...")); });
    QCOMPARE(messages.proposedFiles.size(), 2);
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestExchangeLog::save_realDialog_russianAndOffersProposedFile()
{
    LogWindow w;
    w.exchange(QStringLiteral("PING"), QStringLiteral("{\"PING\":\"OK\"}"));
    QString caption;
    QString offered;
    QStringList buttons;
    bool saving = false;
    ModalDriver driver;
    driver.on<QFileDialog>([&](QFileDialog *dialog) {
        caption = dialog->windowTitle();
        offered = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        saving = dialog->acceptMode() == QFileDialog::AcceptSave;
        for (const QAbstractButton *button : dialog->findChildren<QAbstractButton *>(QString(), Qt::FindChildrenRecursively))
            buttons << button->text().remove(u'&');
        static_cast<QDialog *>(dialog)->reject(); // "Отмена"
    });
    WithContextMenu(w.memo, [](QMenu *menu) { Choose(menu, QStringLiteral("Сохранить в файл...")); });
    QCOMPARE(driver.done(), 1);
    QCOMPARE(caption, QStringLiteral("Сохранить протокол обмена"));
    QVERIFY(saving);
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^tavrin-\d{8}-\d{6}\.log$)")).match(offered).hasMatch(), qPrintable(offered));
    QVERIFY2(buttons.contains(QStringLiteral("Сохранить")) && buttons.contains(QStringLiteral("Отмена")),
             qPrintable(buttons.join(u'|')));
}

void TestExchangeLog::viewItems_redrawFromBytes_keptInBluetoothIni()
{
    LogWindow w;
    w.traffic(QByteArray("\0PING\r", 6), "{\"PING\":\"NoConnection\"}\x98");
    const QStringList text = w.memo->lines();
    QCOMPARE(text, QStringList({" ", " PING\u240D", " {\"PING\":\"NoConnection\"}\uFFFD"}));

    QList<bool> checked;
    const auto choose = [&](const QString &item) {
        WithContextMenu(w.memo, [&](QMenu *menu) {
            checked.clear();
            for (const QAction *action : menu->actions()) {
                if (action->isCheckable())
                    checked << action->isChecked();
            }
            Choose(menu, item);
        });
    };
    choose(QStringLiteral("Шестнадцатеричный вид"));
    QCOMPARE(checked, QList<bool>({false, false}));
    QCOMPARE(w.memo->lines(),
             QStringList({"", "→ 0000 00 50 49 4E 47 0D" + QString(32, u' ') + "\u2400PING\u240D",
                          "← 0000 7B 22 50 49 4E 47 22 3A  22 4E 6F 43 6F 6E 6E 65 {\"PING\":\"NoConne",
                          "← 0010 63 74 69 6F 6E 22 7D 98" + QString(26, u' ') + "ction\"}\uFFFD"}));
    QVERIFY2(w.fixture.readIni(QStringLiteral("bluetooth.ini")).contains(QStringLiteral("[LOG_VIEW]\r\nHexView=1\r\n")),
             qPrintable(w.fixture.readIni(QStringLiteral("bluetooth.ini"))));
    SaveScreen(w.window.get(), QStringLiteral("log-hex.png"));

    choose(QStringLiteral("Время"));
    QCOMPARE(checked, QList<bool>({true, false}));
    const QRegularExpression timed(QStringLiteral(R"(^\d\d:\d\d:\d\d\.\d{3} [→←] 0000 )"));
    const QStringList withTimes = w.memo->lines();
    QVERIFY2(timed.match(withTimes[1]).hasMatch() && timed.match(withTimes[2]).hasMatch(), qPrintable(withTimes.join(u'\n')));
    QVERIFY2(withTimes[3].startsWith(QString(13, u' ') + "← 0010"), qPrintable(withTimes[3]));

    // The next start shows the view chosen.
    {
        std::unique_ptr<TFormMain> next = w.fixture.window();
        QCOMPARE(Named<ExchangeLogView>(next.get(), "Memo1")->viewOptions(), (TraceViewOptions{true, true}));
    }

    choose(QStringLiteral("Шестнадцатеричный вид"));
    choose(QStringLiteral("Время"));
    QCOMPARE(checked, QList<bool>({false, true}));
    QCOMPARE(w.memo->lines(), text); // back where it began, every byte kept
    QVERIFY(w.fixture.readIni(QStringLiteral("bluetooth.ini")).contains(QStringLiteral("[LOG_VIEW]\r\nHexView=0\r\nTime=0\r\n")));
}

void TestExchangeLog::viewChange_oneWritePerChange()
{
    // Every attempt to keep the view is counted: with bluetooth.ini turned into a folder
    // each one fails and says so once.
    QLoggingCategory::setFilterRules(QStringLiteral("tavrin.app.info=true"));
    auto quiet = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    LogWindow w;
    const QString ini = w.fixture.iniPath(QStringLiteral("bluetooth.ini"));
    QFile::remove(ini);
    QVERIFY(QDir().mkpath(ini));
    static int writes = 0;
    writes = 0;
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (text.contains(QLatin1String("log view not kept")))
            ++writes;
        else if (previous)
            previous(type, context, text);
    });
    auto restore = qScopeGuard([] { qInstallMessageHandler(previous); });
    for (const QString &item : {QStringLiteral("Шестнадцатеричный вид"), QStringLiteral("Время")}) {
        WithContextMenu(w.memo, [&](QMenu *menu) { Choose(menu, item); });
    }
    QCOMPARE(writes, 2);
}

void TestExchangeLog::findBar_ctrlF_nextPreviousWrapNotFoundEsc()
{
    LogWindow w;
    // "NoConnection" in the replies of rows 2, 8, 14 ... 116.
    for (int i = 0; i < 40; ++i)
        w.traffic("PING\r", i % 2 ? "{\"PING\":\"OK\"}" : "{\"PING\":\"NoConnection\"}");
    w.memo->flush();
    QVERIFY(Activate(w.window.get()));
    auto *bar = Named<QWidget>(w.memo, "logFindBar");
    auto *field = Named<QLineEdit>(w.memo, "logFindText");
    auto *outcome = Named<QLabel>(w.memo, "logFindOutcome");
    const int rowsHeight = w.memo->viewport()->height();
    QVERIFY(!bar->isVisible());
    QTest::keyClick(w.window.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), field);
    // Under the rows, across the log's width.
    QVERIFY(bar->geometry().top() > w.memo->viewport()->geometry().bottom());
    QCOMPARE(bar->width(), w.memo->viewport()->width());

    // Typing finds from the rows in sight; Enter goes on, Shift+Enter back.
    w.memo->verticalScrollBar()->setValue(0);
    QTest::keyClicks(field, QStringLiteral("conn"));
    QCOMPARE(w.memo->currentMatch().row, 2);
    QCOMPARE(w.memo->currentMatch().start, 12);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(w.memo->currentMatch().row, 8);
    QCOMPARE(outcome->text(), QString());
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(w.memo->currentMatch().row, 2);
    // Before the first, round to the last, said so; the place found is brought into view.
    Named<QPushButton>(w.memo, "logFindPrevious")->click();
    QCOMPARE(w.memo->currentMatch().row, 116);
    QCOMPARE(outcome->text(), QStringLiteral("Продолжено с конца"));
    QVERIFY(w.memo->viewport()->rect().contains(w.memo->characterCell(116, 12).toAlignedRect()));
    Named<QPushButton>(w.memo, "logFindNext")->click();
    QCOMPARE(w.memo->currentMatch().row, 2);
    QCOMPARE(outcome->text(), QStringLiteral("Продолжено с начала"));
    QVERIFY(w.memo->viewport()->rect().contains(w.memo->characterCell(2, 12).toAlignedRect()));
    SaveScreen(w.window.get(), QStringLiteral("log-find.png"));

    QTest::keyClicks(field, QStringLiteral("zz"));
    QCOMPARE(outcome->text(), QStringLiteral("Не найдено"));
    QCOMPARE(w.memo->currentMatch().row, -1);

    // In the hexadecimal view a byte sequence.
    w.memo->setViewOptions({true, false});
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("22 7D"));
    QVERIFY(w.memo->currentMatch().inPart);
    QCOMPARE(outcome->text(), QString());
    SaveScreen(w.window.get(), QStringLiteral("log-find-hex.png"));

    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), w.memo);
    const QScrollBar *sideways = w.memo->horizontalScrollBar(); // the hexadecimal rows may be wider
    QCOMPARE(w.memo->viewport()->height(), rowsHeight - (sideways->isVisible() ? sideways->height() : 0));
}

void TestExchangeLog::findBar_escInStateView_closesBarOnly()
{
    // Esc presses "Обновить" while the state view is shown; in the find field it closes
    // the bar only.
    AppFixture fixture;
    std::unique_ptr<TFormMain> window = fixture.window();
    Named<QWidget>(window.get(), "gb_state")->show();
    Named<QWidget>(window.get(), "gb_obmen")->show();
    QVERIFY(Activate(window.get()));
    int refreshes = 0;
    QPushButton *refresh = Button(*window, "BitBtn2");
    refresh->disconnect(); // counted, not read: there is no link
    QObject::connect(refresh, &QPushButton::clicked, [&] { ++refreshes; });
    auto *memo = Named<ExchangeLogView>(window.get(), "Memo1");
    memo->openFind();
    QTest::keyClick(Named<QLineEdit>(memo, "logFindText"), Qt::Key_Escape);
    QVERIFY(!Named<QWidget>(memo, "logFindBar")->isVisible());
    QCOMPARE(refreshes, 0);
    QTest::keyClick(window.get(), Qt::Key_Escape); // elsewhere it still refreshes
    QCOMPARE(refreshes, 1);
}

void TestExchangeLog::logFirstShown_fixedPitchRowsAndFindBar_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("findAgainFirst"); // F3 before the find bar was ever opened
    QTest::newRow("text view") << false << false;
    QTest::newRow("hex view") << true << false;
    QTest::newRow("F3 before Ctrl+F") << false << true;
}

void TestExchangeLog::logFirstShown_fixedPitchRowsAndFindBar()
{
    // As at start: the window shown, the log hidden and never measured, its find bar not
    // made; the command view shows the log, then an exchange comes in.
    QFETCH(bool, hex);
    QFETCH(bool, findAgainFirst);
    AppFixture fixture;
    std::unique_ptr<TFormMain> window = fixture.window();
    QVERIFY(Activate(window.get()));
    auto *memo = Named<ExchangeLogView>(window.get(), "Memo1");
    QVERIFY(!memo->isVisible());
    memo->setViewOptions({hex, false});
    Action(*window, "Ncommand")->trigger();
    QVERIFY(memo->isVisible());
    TraceExchange(*memo, "PING\r", "{\"PING\":\"NoConnection\"}");
    memo->flush();

    // Rows in the fixed-pitch font, as high as it needs with a little air.
    const QFont font = memo->font();
    QVERIFY2(QFontInfo(font).fixedPitch(), qPrintable(QFontInfo(font).family()));
    const QFontMetricsF metrics(font);
    QCOMPARE(memo->characterCell(1, 0).height(), qreal(qRound(QFontMetrics(font).lineSpacing() * 1.2)));
    QCOMPARE(memo->characterCell(1, 3).width(), metrics.horizontalAdvance(memo->lines().at(1).at(3)));
    QCOMPARE(memo->characterCell(2, 1).top() - memo->characterCell(1, 1).top(), memo->characterCell(1, 0).height());

    if (findAgainFirst) {
        QTest::keyClick(window.get(), Qt::Key_F3);
        QCOMPARE(memo->currentMatch().row, -1);
    }
    // Ctrl+F opens the find bar under the rows, and it finds.
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    auto *field = Named<QLineEdit>(memo, "logFindText");
    QVERIFY(Named<QWidget>(memo, "logFindBar")->isVisible());
    QCOMPARE(QApplication::focusWidget(), field);
    QTest::keyClicks(field, hex ? QStringLiteral("50 49") : QStringLiteral("conn"));
    QVERIFY(memo->currentMatch().row >= 0);
    QCOMPARE(Named<QLabel>(memo, "logFindOutcome")->text(), QString());
}

namespace {

// Text events as assistive technology gets them: kind, position, text.
struct TextEvent {
    QAccessible::Event kind;
    int position = 0;
    QString text;
    QString removed;
};
QList<TextEvent> g_textEvents;

void KeepTextEvents(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::TextInserted) {
        const auto *insert = static_cast<QAccessibleTextInsertEvent *>(event);
        g_textEvents.append({event->type(), insert->changePosition(), insert->textInserted(), QString()});
    } else if (event->type() == QAccessible::TextUpdated) {
        const auto *update = static_cast<QAccessibleTextUpdateEvent *>(event);
        g_textEvents.append({event->type(), update->changePosition(), update->textInserted(), update->textRemoved()});
    }
}

// The text a reader that follows the log holds once it has applied the events heard.
QString Applied(QString text, const QList<TextEvent> &events)
{
    for (const TextEvent &event : events) {
        if (event.kind == QAccessible::TextUpdated)
            text.remove(event.position, event.removed.size());
        text.insert(event.position, event.text);
    }
    return text;
}

} // namespace

void TestExchangeLog::accessibleText_bothViews_selection_newRowsOnePerFlush()
{
    LogWindow w;
    w.traffic("PING\r", "{\"PING\":\"NoConnection\"}");
    w.traffic("VER\r", "{\"VER\":\"" + QByteArray(120, 'v') + "\"}"); // wraps in both views
    QVERIFY(Activate(w.window.get()));
    QAccessibleInterface *log = QAccessible::queryAccessibleInterface(w.memo);
    QVERIFY(log);
    QCOMPARE(log->role(), QAccessible::EditableText);
    QVERIFY(log->state().readOnly && log->state().multiLine);
    QCOMPARE(log->text(QAccessible::Name), QStringLiteral("Результат обмена"));
    QAccessibleTextInterface *text = log->textInterface();
    QVERIFY(text);

    // The text is the rows as shown, in either view: what "Выделить всё" and "Копировать" give.
    for (const bool hex : {true, false}) {
        w.memo->setViewOptions({hex, false});
        const QString shown = w.memo->lines().join(u'\n');
        QCOMPARE(text->characterCount(), shown.size());
        QCOMPARE(text->text(0, text->characterCount()), shown);
        w.memo->selectAll();
        w.memo->copy();
        QCOMPARE(QApplication::clipboard()->text(), shown);
        int start = -1;
        int end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(text->text(start, end), shown);
    }
    // The caret and the selection the keys make.
    w.memo->setFocus();
    QTest::keyClick(w.memo, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(w.memo, Qt::Key_Down);
    QCOMPARE(text->cursorPosition(), 2);
    QTest::keyClick(w.memo, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(text->selectionCount(), 1);
    int start = -1;
    int end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(text->text(start, end), QStringLiteral(" PING\u240D"));
    QCOMPARE(text->cursorPosition(), end);
    QCOMPARE(text->textAtOffset(end, QAccessible::LineBoundary, &start, &end), QStringLiteral(" PING\u240D"));
    QCOMPARE(text->textAtOffset(4, QAccessible::WordBoundary, &start, &end), QStringLiteral("PING"));
    QCOMPARE(text->textAfterOffset(4, QAccessible::LineBoundary, &start, &end),
             QStringLiteral(" {\"PING\":\"NoConnection\"}"));
    // Where a character is on the screen, and back.
    const QRect cell = text->characterRect(4);
    QVERIFY(QRect(w.memo->viewport()->mapToGlobal(QPoint()), w.memo->viewport()->size()).contains(cell));
    QCOMPARE(text->offsetAtPoint(cell.center()), 4);
    text->setSelection(0, 4, 8);
    QCOMPARE(w.memo->selectedText(), QStringLiteral("ING\u240D"));

    // New rows are told as one insertion per flush, however many bytes came.
    w.memo->announcer().setListener(KeepTextEvents);
    w.memo->flush(); // heard from here on
    g_textEvents.clear();
    const qint64 before = text->characterCount();
    w.traffic("PING\r", ""); // the reply a byte at a time, as it comes
    for (const char byte : QByteArray("{\"PING\":\"Connected\"}")) {
        w.log.traceBytes(&byte, 1, TraceDirection::Received);
        w.log.refresh();
    }
    QTRY_COMPARE_WITH_TIMEOUT(g_textEvents.size(), 1, 1000);
    QCOMPARE(g_textEvents[0].kind, QAccessible::TextInserted);
    QCOMPARE(g_textEvents[0].position, before);
    QCOMPARE(g_textEvents[0].text, QStringLiteral("\n \n PING\u240D\n {\"PING\":\"Connected\"}"));
    QCOMPARE(text->text(0, text->characterCount()), w.memo->lines().join(u'\n'));
    // The last row growing is an insertion at its end.
    w.log.traceBytes("{", 1, TraceDirection::Received);
    w.memo->flush();
    QCOMPARE(g_textEvents.size(), 2);
    QCOMPARE(g_textEvents[1].text, QStringLiteral("{"));
    QCOMPARE(g_textEvents[1].position, before + g_textEvents[0].text.size());
    // Another view is the whole text anew.
    w.memo->setViewOptions({true, false});
    QCOMPARE(g_textEvents.size(), 3);
    QCOMPARE(g_textEvents[2].kind, QAccessible::TextUpdated);
    QCOMPARE(g_textEvents[2].text, w.memo->lines().join(u'\n'));
}

void TestExchangeLog::accessibleText_flushToldInPiecesOfWholeRows_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<int>("exchanges");
    QTest::addColumn<int>("leastPieces");
    // A reply cut short first: the next flush goes on with its last row.
    QTest::newRow("text view, one exchange") << false << 1 << 1;
    QTest::newRow("text view, a long trace in one flush") << false << 2000 << 4;
    QTest::newRow("hex view, one exchange") << true << 1 << 1;
    QTest::newRow("hex view, a long trace in one flush") << true << 2000 << 8;
}

void TestExchangeLog::accessibleText_flushToldInPiecesOfWholeRows()
{
    QFETCH(bool, hex);
    QFETCH(int, exchanges);
    QFETCH(int, leastPieces);
    LogWindow w;
    w.memo->setViewOptions({hex, false});
    w.memo->announcer().setListener(KeepTextEvents);
    w.traffic("PING\r", "{\"PI");
    w.memo->flush();
    g_textEvents.clear();
    const QString before = w.memo->lines().join(u'\n');

    const QByteArray replyRest = "NG\":\"OK\"}";
    w.log.traceBytes(replyRest.constData(), int(replyRest.size()), TraceDirection::Received);
    for (int i = 0; i < exchanges; ++i)
        w.traffic("PING\r", "{\"PING\":\"NoConnection\"}");
    w.memo->flush();
    const QString after = w.memo->lines().join(u'\n');
    QVERIFY(g_textEvents.size() >= leastPieces);
    QCOMPARE(Applied(before, g_textEvents), after);
    QString heard = before;
    for (qsizetype i = 0; i < g_textEvents.size(); ++i) {
        const TextEvent &event = g_textEvents[i];
        QVERIFY2(event.text.size() <= LogAnnouncer::kMostPerInsertion, qPrintable(QString::number(event.text.size())));
        // An update is the grown row alone, the rows after it follow; every later
        // insertion begins a row.
        if (event.kind == QAccessible::TextUpdated) {
            QVERIFY(!event.text.contains(u'\n'));
        } else if (i > 0 && g_textEvents[i - 1].kind == QAccessible::TextUpdated) {
            QCOMPARE(event.position, g_textEvents[i - 1].position + g_textEvents[i - 1].text.size());
            QVERIFY(event.text.startsWith(u'\n'));
        } else if (i > 0) {
            QCOMPARE(heard.at(event.position - 1), u'\n');
        }
        heard = Applied(heard, {event});
    }
    // In the hexadecimal view the row cut short grows amid its columns: an update first.
    QCOMPARE(g_textEvents.front().kind, hex ? QAccessible::TextUpdated : QAccessible::TextInserted);
}

void TestExchangeLog::caretKeys_selectAsInATextField_data()
{
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<QString>("selected");
    // Rows: 0 " ", 1 " PING␍", 2 " {"PING":"OK"}", then the same again.
    const auto shift = [](Qt::Key key) { return QKeyCombination(Qt::ShiftModifier, key); };
    const QKeyCombination down(Qt::Key_Down);
    QTest::newRow("Shift+End") << QList{down, shift(Qt::Key_End)} << QStringLiteral(" PING\u240D");
    QTest::newRow("Shift+Right") << QList{down, QKeyCombination(Qt::Key_Right), shift(Qt::Key_Right), shift(Qt::Key_Right)}
                                 << QStringLiteral("PI");
    QTest::newRow("Shift+Left across a row's start") << QList{down, down, shift(Qt::Key_Left), shift(Qt::Key_Left)}
                                                     << QStringLiteral("\u240D\n");
    QTest::newRow("Shift+Down") << QList{down, shift(Qt::Key_Down)} << QStringLiteral(" PING\u240D\n");
    QTest::newRow("Shift+Home") << QList{down, down, QKeyCombination(Qt::Key_End), shift(Qt::Key_Home)}
                                << QStringLiteral(" {\"PING\":\"OK\"}");
    QTest::newRow("Shift+Up keeps the column across shorter rows")
        << QList{down, down, down, down, down, QKeyCombination(Qt::Key_End), shift(Qt::Key_Up), shift(Qt::Key_Up), shift(Qt::Key_Up)}
        << QStringLiteral("\n \n PING\u240D\n {\"PING\":\"OK\"}");
    QTest::newRow("Shift+Ctrl+End")
        << QList{QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_End)}
        << QStringLiteral(" \n PING\u240D\n {\"PING\":\"OK\"}\n \n PING\u240D\n {\"PING\":\"OK\"}");
    QTest::newRow("Shift+PgDn to the last row")
        << QList{shift(Qt::Key_PageDown), shift(Qt::Key_End)}
        << QStringLiteral(" \n PING\u240D\n {\"PING\":\"OK\"}\n \n PING\u240D\n {\"PING\":\"OK\"}");
    const auto shiftCtrl = [](Qt::Key key) { return QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier, key); };
    QTest::newRow("Shift+Ctrl+Right: a word and the blanks after it, then the marks")
        << QList{down, shiftCtrl(Qt::Key_Right), shiftCtrl(Qt::Key_Right), shiftCtrl(Qt::Key_Right)}
        << QStringLiteral(" PING\u240D");
    QTest::newRow("Shift+Ctrl+Right at a row's end: on to the next row")
        << QList{down, QKeyCombination(Qt::Key_End), shiftCtrl(Qt::Key_Right)} << QStringLiteral("\n");
    QTest::newRow("Shift+Ctrl+Left: back over punctuation, then a word")
        << QList{down, down, QKeyCombination(Qt::Key_End), shiftCtrl(Qt::Key_Left), shiftCtrl(Qt::Key_Left)}
        << QStringLiteral("OK\"}");
    QTest::newRow("Shift+Ctrl+Left at a row's start: back to the row before")
        << QList{down, down, shiftCtrl(Qt::Key_Left)} << QStringLiteral("\n");
    QTest::newRow("Ctrl+Right moves without selecting")
        << QList{down, QKeyCombination(Qt::ControlModifier, Qt::Key_Right), QKeyCombination(Qt::ControlModifier, Qt::Key_Right),
                 shift(Qt::Key_End)}
        << QStringLiteral("\u240D");
    QTest::newRow("an arrow alone ends the selection") << QList{down, shift(Qt::Key_End), QKeyCombination(Qt::Key_Left)}
                                                       << QString();
}

void TestExchangeLog::caretKeys_selectAsInATextField()
{
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, selected);
    LogWindow w;
    w.traffic("PING\r", "{\"PING\":\"OK\"}");
    w.traffic("PING\r", "{\"PING\":\"OK\"}");
    QVERIFY(Activate(w.window.get()));
    w.memo->setFocus();
    QTest::keyClick(w.memo, Qt::Key_Home, Qt::ControlModifier);
    for (const QKeyCombination key : keys)
        QTest::keyClick(w.memo, key.key(), key.keyboardModifiers());
    QCOMPARE(w.memo->selectedText(), selected);
    QCOMPARE(w.memo->hasSelection(), !selected.isEmpty());
}

void TestExchangeLog::clicks_wordThenRow_focusFrameAndCaretDrawn()
{
    LogWindow w;
    w.traffic("PING\r", "{\"PING\":\"NoConnection\"}");
    w.memo->flush();
    QVERIFY(Activate(w.window.get()));
    QWidget *rows = w.memo->viewport();
    const QPoint inWord = w.memo->characterCell(2, 14).center().toPoint(); // in "NoConnection"
    QTest::mouseDClick(rows, Qt::LeftButton, {}, inWord);
    QCOMPARE(w.memo->selectedText(), QStringLiteral("NoConnection"));
    QTest::mouseClick(rows, Qt::LeftButton, {}, inWord);
    QCOMPARE(w.memo->selectedText(), QStringLiteral(" {\"PING\":\"NoConnection\"}"));

    // Focus shows: a frame in the selection's colour around the rows, and the caret.
    const QColor accent = w.memo->palette().color(QPalette::Highlight);
    w.window->setFocus();
    QVERIFY(!w.memo->hasFocus());
    const QImage unfocused = rows->grab().toImage();
    w.memo->setFocus();
    QTest::keyClick(w.memo, Qt::Key_Home, Qt::ControlModifier);
    const QImage focused = rows->grab().toImage();
    const qreal ratio = focused.devicePixelRatio();
    const QPoint frame(int(rows->width() / 2 * ratio), int(1 * ratio));
    QCOMPARE(QColor(focused.pixel(frame)).rgb(), accent.rgb());
    QVERIFY(QColor(unfocused.pixel(frame)).rgb() != accent.rgb());
    const QPointF caret = w.memo->characterCell(0, 0).center();
    const QPoint caretPixel(int((w.memo->characterCell(0, 0).left() + 1) * ratio), int(caret.y() * ratio));
    QCOMPARE(QColor(focused.pixel(caretPixel)).rgb(), w.memo->palette().color(QPalette::Text).rgb());
    QVERIFY(QColor(unfocused.pixel(caretPixel)).rgb() != w.memo->palette().color(QPalette::Text).rgb());
}

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    TestExchangeLog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exchangelog.moc"
