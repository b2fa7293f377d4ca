// The text rules of the link: substring tests, modem reply classification, the init
// command list, phone numbers, the trace and the port numbering.
#include "fakes.h"

#include "link/exchangechannel.h"
#include "link/modem.h"
#include "link/modemreplies.h"
#include "link/portpath.h"
#include "link/qtserialport.h"
#include "link/serialport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using namespace tavrin;
using namespace tavrin::test;

class LinkTextTest : public QObject {
    Q_OBJECT
private slots:
    void containsText_data();
    void containsText();
    void classifyModemReply_data();
    void classifyModemReply();
    void modemReplyRecognised_data();
    void modemReplyRecognised();
    void carrierPresent();
    void splitInitCommands_data();
    void splitInitCommands();
    void splitInitCommands_keepsAtMostThirty();
    void stripPhoneNumber_data();
    void stripPhoneNumber();
    void traceCharacter_data();
    void traceCharacter();
    void traceBytes_wrapsAtHundredShownCharacters();
    void traceBytes_zeroByteShowsNothing();
    void clampedPortSettings_data();
    void clampedPortSettings();
    void armedFirstByteWait_secondsInMilliseconds_data();
    void armedFirstByteWait_secondsInMilliseconds();
    void systemPorts_numberFamiliesInOrderUpToFirstGap();
    void comDir_isTheOnlyPlaceLookedAt();
};

void LinkTextTest::containsText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("found");
    QTest::newRow("OK in CR LF OK CR") << QByteArray("\r\nOK\r") << QByteArray("OK") << true;
    QTest::newRow("ok not in CR LF OK CR") << QByteArray("\r\nOK\r") << QByteArray("ok") << false;
    QTest::newRow("empty text") << QByteArray("") << QByteArray("OK") << false;
    QTest::newRow("pattern longer than text") << QByteArray("OK") << QByteArray("OK\r") << false;
    QTest::newRow("at the very end") << QByteArray("xxNO CARRI") << QByteArray("NO CARRI") << true;
    QTest::newRow("after a false start") << QByteArray("NO CANO CARRIER") << QByteArray("NO CARRI") << true;
    QTest::newRow("whole text") << QByteArray("0") << QByteArray("0") << true;
    QTest::newRow("empty pattern") << QByteArray("\r\nOK\r") << QByteArray("") << false;
}

void LinkTextTest::containsText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, pattern);
    QFETCH(bool, found);
    QCOMPARE(ContainsText(text.constData(), pattern.constData()), found);
}

void LinkTextTest::classifyModemReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << QByteArray("\r\nOK\r") << 0;
    QTest::newRow("CONNECT 9600") << QByteArray("\r\nCONNECT 9600\r") << 0;
    QTest::newRow("NO DIALTONE") << QByteArray("\r\nNO DIALTONE\r") << 1;
    QTest::newRow("no dialtone") << QByteArray("\r\nno dialtone\r") << 1;
    QTest::newRow("BUSY") << QByteArray("\r\nBUSY\r") << 2;
    QTest::newRow("busy") << QByteArray("\r\nbusy\r") << 2;
    QTest::newRow("NO CARRIER") << QByteArray("\r\nNO CARRIER\r") << 3;
    QTest::newRow("no carrier") << QByteArray("\r\nno carrier\r") << 3;
    QTest::newRow("ERROR") << QByteArray("\r\nERROR\r") << 4;
    QTest::newRow("error") << QByteArray("\r\nerror\r") << 4;
    QTest::newRow("ERROR and NO CARRIER") << QByteArray("\r\nNO CARRIER ERROR\r") << 4;
    QTest::newRow("NO ANSWER") << QByteArray("\r\nNO ANSWER\r") << 5;
    QTest::newRow("no answer") << QByteArray("\r\nno answer\r") << 5;
    QTest::newRow("Time") << QByteArray("\r\nTime limit\r") << 6;
    QTest::newRow("TIME is not Time") << QByteArray("\r\nTIME\r") << 0;
    QTest::newRow("Escape") << QByteArray("Escape...") << 10;
    QTest::newRow("Busy is neither case") << QByteArray("\r\nBusy\r") << 0;
    QTest::newRow("DIAL before BUSY") << QByteArray("\r\nBUSY DIAL\r") << 1;
}

void LinkTextTest::classifyModemReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, result);
    QCOMPARE(ClassifyModemReply(reply.constData()), result);
}

void LinkTextTest::modemReplyRecognised_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("recognised");
    QTest::newRow("echo and OK") << QByteArray("\r\r\nOK\r") << true;
    QTest::newRow("numeric 0") << QByteArray("\r\n0\r") << true;
    QTest::newRow("lower ok") << QByteArray("\nok\n") << true;
    QTest::newRow("echoed AT") << QByteArray("\rATE0\r") << true;
    QTest::newRow("CR LF alone") << QByteArray("xx\r\nyy") << true;
    QTest::newRow("LF CR is not CR LF") << QByteArray("\n\rNO\n") << false;
    QTest::newRow("Escape") << QByteArray("Escape...") << false;
    QTest::newRow("empty") << QByteArray("") << false;
}

void LinkTextTest::modemReplyRecognised()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, recognised);
    QCOMPARE(ModemReplyRecognised(reply.constData()), recognised);
}

void LinkTextTest::carrierPresent()
{
    QVERIFY(CarrierPresent("{\"PING\":\"Connected\"}"));
    QVERIFY(CarrierPresent("NO CARR"));
    QVERIFY(!CarrierPresent("x\r\nNO CARRIER\r\n"));
    QVERIFY(!CarrierPresent("no carrier"));
    QVERIFY(CarrierPresent("No Carrier"));
}

void LinkTextTest::splitInitCommands_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("empty") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("one") << QByteArray("AT&F") << QList<QByteArray>{"AT&F\r"};
    QTest::newRow("caret then blank")
        << QByteArray("AT&F^ ATS0=0") << QList<QByteArray>{"AT&F\r", "ATS0=0\r"};
    QTest::newRow("blanks inside kept") << QByteArray("AT +CBST=7 ^at&d0")
                                        << QList<QByteArray>{"AT +CBST=7 \r", "at&d0\r"};
    QTest::newRow("lone A skipped") << QByteArray("^A AT&C1") << QList<QByteArray>{"AT&C1\r"};
    QTest::newRow("aT and At both start") << QByteArray("aTZ^AtE0") << QList<QByteArray>{"aTZ\r", "AtE0\r"};
    QTest::newRow("no AT anywhere") << QByteArray("^^ xyz ^") << QList<QByteArray>{};
    QTest::newRow("trailing caret") << QByteArray("ATZ^") << QList<QByteArray>{"ATZ\r"};
}

void LinkTextTest::splitInitCommands()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(SplitInitCommands(text), lines);
}

void LinkTextTest::splitInitCommands_keepsAtMostThirty()
{
    QByteArray text;
    for (int k = 0; k < 35; ++k)
        text += "ATS" + QByteArray::number(k) + "=1^";
    const QList<QByteArray> lines = SplitInitCommands(text);
    QCOMPARE(lines.size(), 30);
    QCOMPARE(lines.last(), QByteArray("ATS29=1\r"));
}

void LinkTextTest::stripPhoneNumber_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("blanks, parentheses, hyphens") << "+7 (812) 555-12-34" << "+78125551234";
    QTest::newRow("comma and P kept") << "P8,(495) 1-2" << "P8,49512";
    QTest::newRow("nothing left") << " ()-- " << "";
    QTest::newRow("tabs kept") << "1\t2" << "1\t2";
}

void LinkTextTest::stripPhoneNumber()
{
    QFETCH(QString, number);
    QFETCH(QString, stripped);
    QCOMPARE(StripPhoneNumber(number), stripped);
}

void LinkTextTest::traceCharacter_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << 0x00 << QString();
    QTest::newRow("CR") << 0x0D << QString(QChar(0x240D));
    QTest::newRow("LF") << 0x0A << QString(QChar(0x240A));
    QTest::newRow("SOH") << 0x01 << QString(QChar(0x2401));
    QTest::newRow("US") << 0x1F << QString(QChar(0x241F));
    QTest::newRow("DEL") << 0x7F << QString(QChar(0x2421));
    QTest::newRow("brace") << 0x7B << QString("{");
    QTest::newRow("blank") << 0x20 << QString(" ");
    QTest::newRow("CP1251 A") << 0xC0 << QString(QChar(0x0410));
    QTest::newRow("CP1251 yo") << 0xB8 << QString(QChar(0x0451));
}

void LinkTextTest::traceCharacter()
{
    QFETCH(int, byte);
    QFETCH(QString, shown);
    QCOMPARE(TraceCharacter(static_cast<unsigned char>(byte)), shown);
}

void LinkTextTest::traceBytes_wrapsAtHundredShownCharacters()
{
    FakeUi ui;
    ExchangeChannel channel;
    channel.ui = &ui;
    ui.trace.addLine(" ");
    const QByteArray bytes = QByteArray(150, 'a') + "\r\n" + QByteArray(100, 'b');
    TraceBytes(channel, bytes.constData(), int(bytes.size()), TraceDirection::Received);
    QCOMPARE(ui.trace.lines.size(), 3);
    QCOMPARE(ui.trace.lines[0], " " + QString(99, 'a'));
    QCOMPARE(ui.trace.lines[1], QString(51, 'a') + QChar(0x240D) + QChar(0x240A) + QString(47, 'b'));
    QCOMPARE(ui.trace.lines[2], QString(53, 'b'));
    QCOMPARE(ui.trace.refreshes, 1);

    // One byte at a time gives the same lines.
    FakeUi single;
    channel.ui = &single;
    single.trace.addLine(" ");
    for (char c : bytes)
        TraceBytes(channel, &c, 1, TraceDirection::Received);
    QCOMPARE(single.trace.lines, ui.trace.lines);
}

void LinkTextTest::traceBytes_zeroByteShowsNothing()
{
    FakeUi ui;
    ExchangeChannel channel;
    channel.ui = &ui;
    const QByteArray bytes("\0P\0", 3);
    TraceBytes(channel, bytes.constData(), 3, TraceDirection::Sent);
    QCOMPARE(ui.trace.lines, QStringList{"P"});
}

void LinkTextTest::clampedPortSettings_data()
{
    // Rate, data bits, parity, stop bits: as asked, and as the port is set.
    QTest::addColumn<QList<int>>("asked");
    QTest::addColumn<QList<int>>("set");
    QTest::newRow("rate 50") << QList<int>{50, 8, 0, 0} << QList<int>{110, 8, 0, 0};
    QTest::newRow("rate 300000") << QList<int>{300000, 8, 0, 0} << QList<int>{256000, 8, 0, 0};
    QTest::newRow("rate 230400") << QList<int>{230400, 8, 0, 0} << QList<int>{230400, 8, 0, 0};
    QTest::newRow("data bits 3") << QList<int>{9600, 3, 0, 0} << QList<int>{9600, 4, 0, 0};
    QTest::newRow("data bits 9") << QList<int>{9600, 9, 0, 0} << QList<int>{9600, 8, 0, 0};
    QTest::newRow("parity 1 even") << QList<int>{9600, 8, 1, 0} << QList<int>{9600, 8, 1, 0};
    QTest::newRow("parity 2 odd") << QList<int>{9600, 8, 2, 0} << QList<int>{9600, 8, 2, 0};
    QTest::newRow("parity 3 none") << QList<int>{9600, 8, 3, 0} << QList<int>{9600, 8, 0, 0};
    QTest::newRow("stop 1 one and a half") << QList<int>{9600, 8, 0, 1} << QList<int>{9600, 8, 0, 1};
    QTest::newRow("stop 2 two") << QList<int>{9600, 8, 0, 2} << QList<int>{9600, 8, 0, 2};
    QTest::newRow("stop 5 one") << QList<int>{9600, 8, 0, 5} << QList<int>{9600, 8, 0, 0};
}

void LinkTextTest::clampedPortSettings()
{
    QFETCH(QList<int>, asked);
    const PortSettings line = ClampedPortSettings({.rate = asked[0], .dataBits = asked[1], .parity = asked[2],
                                                   .stopBits = asked[3], .dtrOn = false, .rtsOn = true});
    QTEST((QList<int>{int(line.rate), line.dataBits, line.parity, line.stopBits}), "set");
    // The modem lines pass as asked.
    QVERIFY(!line.dtrOn);
    QVERIFY(line.rtsOn);
}

// The WaitTime setting comes from a hand-editable file: a negative or huge value must
// become a wait the deadline can take, never an overflowed one.
void LinkTextTest::armedFirstByteWait_secondsInMilliseconds_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("ms");
    QTest::newRow("3 s") << 3 << 3000;
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("negative") << -1 << 0;
    QTest::newRow("most negative") << INT_MIN << 0;
    QTest::newRow("largest that fits") << 2147483 << 2147483000;
    QTest::newRow("just too large") << 2147484 << INT_MAX;
    QTest::newRow("largest int") << INT_MAX << INT_MAX;
}

void LinkTextTest::armedFirstByteWait_secondsInMilliseconds()
{
    QFETCH(int, seconds);
    QFETCH(int, ms);
    ExchangeChannel channel;
    channel.arm(nullptr, 38400, seconds, 300, 1, false);
    QCOMPARE(channel.firstByteWaitMs, ms);
    QCOMPARE(SecondsToMs(seconds), ms);
}

void LinkTextTest::systemPorts_numberFamiliesInOrderUpToFirstGap()
{
    QTemporaryDir dev;
    QTemporaryDir sys;
    const auto node = [&](const QString &name, const char *uartType) {
        QFile(dev.filePath(name)).open(QIODevice::WriteOnly);
        if (uartType) {
            QDir(sys.path()).mkpath(name);
            QFile type(sys.filePath(name + "/type"));
            type.open(QIODevice::WriteOnly);
            type.write(uartType);
        }
    };
    node("ttyS0", "4\n");  // a 16550A
    node("ttyS1", "0\n");  // no UART behind the node
    node("ttyS2", nullptr); // nothing known: kept
    node("ttyS4", "4\n");  // after the gap at ttyS3: not counted
    node("ttyUSB0", nullptr);
    node("ttyUSB1", nullptr);
    node("ttyACM1", nullptr); // ttyACM0 missing: none counted
    const QStringList ports = SystemPortPaths(dev.path(), sys.path());
    QCOMPARE(ports, (QStringList{dev.filePath("ttyS0"), dev.filePath("ttyS2"), dev.filePath("ttyUSB0"),
                                 dev.filePath("ttyUSB1")}));
}

void LinkTextTest::comDir_isTheOnlyPlaceLookedAt()
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("TAVRIN_COM_DIR");
    qputenv("TAVRIN_COM_DIR", dir.path().toUtf8());
    QFile(dir.filePath("COM3")).open(QIODevice::WriteOnly);
    QCOMPARE(PortDevicePath(3), dir.filePath("COM3"));
    QCOMPARE(PortDevicePath(1), QString());
    QVERIFY(!PortExists(1));
    QVERIFY(!OpenPort(1, {}));
    qputenv("TAVRIN_COM_DIR", "");
    QCOMPARE(PortDevicePath(3), QString());
    qputenv("TAVRIN_COM_DIR", saved);
}

QTEST_GUILESS_MAIN(LinkTextTest)
#include "tst_linktext.moc"
