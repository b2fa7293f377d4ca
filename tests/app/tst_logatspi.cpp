// The exchange log read as a screen reader reads it: through AT-SPI, from a process of
// its own (atspi_readlog.py), on an X server and a D-Bus session of the test's own
// (x11session.sh). The text it gets is the text the log shows; a PING traced while it
// listens reaches it as one insertion, a long trace in one flush as insertions that
// follow each other.
#include "apptest.h"

#include "app/exchangelogview.h"
#include "app/tavrinapplication.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// The next JSON line the reader prints, waiting in the event loop: the program must go
// on answering the reader's questions meanwhile.
QJsonObject NextRecord(QProcess &reader)
{
    QTest::qWaitFor([&] { return reader.canReadLine() || reader.state() == QProcess::NotRunning; }, 30000);
    if (!reader.canReadLine())
        return {{QStringLiteral("error"), QString::fromUtf8(reader.readAllStandardError())}};
    return QJsonDocument::fromJson(reader.readLine()).object();
}

} // namespace

class TestLogAtSpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void logReadThroughAtSpi_data();
    void logReadThroughAtSpi();
};

void TestLogAtSpi::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QProcess probe;
    probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import pyatspi")});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        QSKIP("python3-pyatspi is not installed (scripts/setup installs it)");
}

void TestLogAtSpi::logReadThroughAtSpi_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<int>("exchanges"); // traced in one flush while the reader listens
    QTest::addColumn<int>("leastPieces");
    QTest::newRow("text view") << false << 1 << 1;
    QTest::newRow("hex view") << true << 1 << 1;
    QTest::newRow("text view, a long trace in one flush") << false << 2000 << 4;
}

void TestLogAtSpi::logReadThroughAtSpi()
{
    QFETCH(bool, hex);
    QFETCH(int, exchanges);
    QFETCH(int, leastPieces);
    AppFixture fixture;
    std::unique_ptr<TFormMain> window = fixture.window();
    Action(*window, "Ncommand")->trigger();
    auto *memo = Named<ExchangeLogView>(window.get(), "Memo1");
    memo->setViewOptions({hex, false});
    TraceExchange(*memo, "VER\r", "{\"VER\":\"1.07\"}");
    memo->flush();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QProcess reader;
    reader.start(kPython, {QStringLiteral(TAVRIN_ATSPI_READER), QString::number(QCoreApplication::applicationPid())});
    const QJsonObject read = NextRecord(reader);
    QVERIFY2(!read.contains(QStringLiteral("error")), qPrintable(read.value(QStringLiteral("error")).toString()));
    QCOMPARE(read.value(QStringLiteral("role")).toString(), QStringLiteral("text"));
    const QStringList states = read.value(QStringLiteral("states")).toVariant().toStringList();
    QVERIFY2(states.contains(QStringLiteral("multi line")) && states.contains(QStringLiteral("read only"))
                 && !states.contains(QStringLiteral("editable")),
             qPrintable(states.join(u',')));
    const QString shown = memo->lines().join(u'\n');
    QCOMPARE(read.value(QStringLiteral("text")).toString(), shown);
    QCOMPARE(read.value(QStringLiteral("count")).toInt(), shown.size());

    QCOMPARE(NextRecord(reader).value(QStringLiteral("ready")).toBool(), true);
    for (int i = 0; i < exchanges; ++i)
        TraceExchange(*memo, "PING\r", "{\"PING\":\"NoConnection\"}");
    const QJsonObject inserted = NextRecord(reader);
    QVERIFY2(!inserted.contains(QStringLiteral("error")), qPrintable(inserted.value(QStringLiteral("error")).toString()));
    QVERIFY(inserted.value(QStringLiteral("pieces")).toInt() >= leastPieces);
    QCOMPARE(inserted.value(QStringLiteral("position")).toInt(), shown.size());
    QCOMPARE(shown + inserted.value(QStringLiteral("inserted")).toString(), memo->lines().join(u'\n'));
    // It leaves the bus while the program goes on answering.
    QVERIFY(QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 20000));
}

int main(int argc, char *argv[])
{
    // Assistive technology's bridge, on whether or not a desktop has asked for it.
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    TavrinApplication app(argc, argv);
    TestLogAtSpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logatspi.moc"
