// tavrin's --help and --version: answered on standard output with 0, before any
// window or platform plugin is loaded, so they work without a display; with one they
// still open no window.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

const QByteArray kVersion = "tavrin 1.0\n"
                            "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD0\xB0 " // Программа
                            "\xD0\xBE\xD0\xB1\xD1\x81\xD0\xBB\xD1\x83\xD0\xB6\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x8F " // обслуживания
                            "Bluetooth-\xD1\x83\xD1\x81\xD1\x82\xD1\x80\xD0\xBE\xD0\xB9\xD1\x81\xD1\x82\xD0\xB2\xD0\xB0\n"; // устройства

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void informationOption_answersWithoutAWindow_data();
    void informationOption_answersWithoutAWindow();
};

void TestCommandLine::informationOption_answersWithoutAWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platform"); // QT_QPA_PLATFORM; none: unset, and no display either
    QTest::addColumn<QByteArray>("output"); // the whole of it, or its start for --help
    const QByteArray help = "\xD0\x98\xD1\x81\xD0\xBF\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD0\xBD"
                            "\xD0\xB8\xD0\xB5: tavrin [--help | --version]\n"; // Использование:
    QTest::newRow("--version, no display") << QStringList{"--version"} << QString() << kVersion;
    QTest::newRow("-V, no display") << QStringList{"-V"} << QString() << kVersion;
    QTest::newRow("--help, no display") << QStringList{"--help"} << QString() << help;
    QTest::newRow("-h among ignored arguments") << QStringList{"COM3", "-h", "--version"} << QString() << help;
    QTest::newRow("--version with a display") << QStringList{"--version"} << "offscreen" << kVersion;
    QTest::newRow("--help with a display") << QStringList{"--help"} << "offscreen" << help;
}

void TestCommandLine::informationOption_answersWithoutAWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, platform);
    QFETCH(QByteArray, output);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/tavrin");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    if (!platform.isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    QProcess tavrin;
    tavrin.setProcessEnvironment(environment);
    tavrin.start(program, arguments);
    // A window would keep the program running: it has to end by itself.
    QVERIFY(tavrin.waitForFinished(5000));
    QCOMPARE(tavrin.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tavrin.exitCode(), 0);
    QCOMPARE(tavrin.readAllStandardError(), QByteArray());
    const QByteArray printed = tavrin.readAllStandardOutput();
    if (output.startsWith("tavrin ")) {
        QCOMPARE(printed, output);
    } else {
        QVERIFY2(printed.startsWith(output), printed.constData());
        // English below the Russian.
        QVERIFY2(printed.indexOf("\nUsage: tavrin [--help | --version]\n") > printed.indexOf("--version"),
                 printed.constData());
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
