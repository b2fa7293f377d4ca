// The Telnet side of a network link with remote port control, in literal wire bytes:
// the opening, the line the program asks for, what the server's bytes become, and the
// escaping of 0xFF both ways. Every server input is fed whole and byte by byte.
#include "link/telnetcodec.h"

#include <QTest>

using namespace tavrin;

Q_DECLARE_METATYPE(TelnetCodec::Outcome)

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The server's acceptance of every offer, then its confirmation of 38400 8N1.
const char kServerAgrees[] = "fffd00 fffb00 fffd03 fffb03 fffd2c"
                             "fffa2c6500009600fff0 fffa2c6608fff0 fffa2c6701fff0 fffa2c6801fff0";
// The four line commands sent when the server takes port control: 38400 bit/s, 8 data
// bits, no parity, one stop bit.
const char kLine38400[] = "fffa2c0100009600fff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0";

struct Fed {
    QByteArray data;
    QByteArray reply;
};

Fed feed(TelnetCodec &codec, const QByteArray &bytes, bool byteByByte)
{
    Fed out;
    if (!byteByByte) {
        codec.receive(bytes.constData(), bytes.size(), out.data, out.reply);
        return out;
    }
    for (char byte : bytes)
        codec.receive(&byte, 1, out.data, out.reply);
    return out;
}

} // namespace

class TelnetCodecTest : public QObject {
    Q_OBJECT
private slots:
    void start_offersBinarySuppressGoAheadAndPortControl();
    void serverBytes_becomeDataRepliesAndOutcome_data();
    void serverBytes_becomeDataRepliesAndOutcome();
    void lineCommands_literalBytes_data();
    void lineCommands_literalBytes();
    void encode_doublesFfAndPadsCrOnlyWithoutBinary_data();
    void encode_doublesFfAndPadsCrOnlyWithoutBinary();
    void purgeCommand_purgesBothDirections();
    void endlessOptionChurn_answersBounded();
};

void TelnetCodecTest::start_offersBinarySuppressGoAheadAndPortControl()
{
    TelnetCodec codec(38400);
    QCOMPARE(codec.start().toHex(' '), QByteArray("ff fb 00 ff fd 00 ff fb 03 ff fd 03 ff fb 2c"));
    QCOMPARE(codec.outcome(), TelnetCodec::Outcome::Negotiating);
}

void TelnetCodecTest::serverBytes_becomeDataRepliesAndOutcome_data()
{
    QTest::addColumn<QByteArray>("server");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<TelnetCodec::Outcome>("outcome");
    QTest::addColumn<int>("confirmedRate");
    using O = TelnetCodec::Outcome;

    QTest::newRow("plain bytes pass") << QByteArray("{\"PING\":\"OK\"}") << QByteArray("{\"PING\":\"OK\"}")
                                      << QByteArray() << O::Negotiating << 0;
    QTest::newRow("doubled FF is one data byte") << hex("41ffff42ffff") << hex("41ff42ff") << QByteArray()
                                                 << O::Negotiating << 0;
    QTest::newRow("port control taken: the line is sent")
        << hex("fffd2c") << QByteArray() << hex(kLine38400) << O::Negotiating << 0;
    QTest::newRow("everything confirmed: ready") << hex(kServerAgrees) << QByteArray() << hex(kLine38400)
                                                 << O::Ready << 38400;
    QTest::newRow("rate confirmed but an offer unanswered: not ready")
        << hex("fffd00 fffd03 fffb03 fffd2c fffa2c6500009600fff0 fffa2c6608fff0 fffa2c6701fff0 fffa2c6801fff0")
        << QByteArray() << hex(kLine38400) << O::Negotiating << 38400;
    QTest::newRow("port control refused") << hex("fffe2c") << QByteArray() << QByteArray() << O::Refused << 0;
    QTest::newRow("server offers echo: refused once")
        << hex("fffb01 fffb01") << QByteArray() << hex("fffe01") << O::Negotiating << 0;
    QTest::newRow("echo offered and asked: each side refused once")
        << hex("fffb01 fffd01 fffb01 fffd01") << QByteArray() << hex("fffe01 fffc01") << O::Negotiating << 0;
    QTest::newRow("server asks terminal type: refused once")
        << hex("fffd18 fffd18") << QByteArray() << hex("fffc18") << O::Negotiating << 0;
    QTest::newRow("server agrees to binary: no answer owed")
        << hex("fffb00") << QByteArray() << QByteArray() << O::Negotiating << 0;
    QTest::newRow("notice between data is not data")
        << hex("4142 fffa2c6b10fff0 4344") << QByteArray("ABCD") << QByteArray() << O::Negotiating << 0;
    QTest::newRow("NOP and go-ahead are not data") << hex("fff1 fff9 78") << QByteArray("x") << QByteArray()
                                                   << O::Negotiating << 0;
    QTest::newRow("FF doubled inside a confirmation")
        << hex("fffa2c650000ffffffff fff0") << QByteArray() << QByteArray() << O::Negotiating << 65535;
    QTest::newRow("over-long subnegotiation dropped, data after it kept")
        << hex("fffa2c65") + QByteArray(5000, '\x01') + hex("fff0") + "OK" << QByteArray("OK") << QByteArray()
        << O::Negotiating << 0;
    QTest::newRow("CR NUL without binary is CR") << hex("0d0041") << hex("0d41") << QByteArray() << O::Negotiating
                                                 << 0;
    QTest::newRow("CR NUL with binary stays") << hex("fffb00 0d00") << hex("0d00") << QByteArray()
                                              << O::Negotiating << 0;
}

void TelnetCodecTest::serverBytes_becomeDataRepliesAndOutcome()
{
    QFETCH(QByteArray, server);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, reply);
    QFETCH(TelnetCodec::Outcome, outcome);
    QFETCH(int, confirmedRate);
    for (const bool byteByByte : {false, true}) {
        TelnetCodec codec(38400);
        codec.start();
        const Fed fed = feed(codec, server, byteByByte);
        QCOMPARE(fed.data.toHex(' '), data.toHex(' '));
        QCOMPARE(fed.reply.toHex(' '), reply.toHex(' '));
        QCOMPARE(codec.outcome(), outcome);
        QCOMPARE(codec.confirmedRate(), confirmedRate);
    }
}

void TelnetCodecTest::lineCommands_literalBytes_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("38400") << 38400 << hex(kLine38400);
    QTest::newRow("9600") << 9600 << hex("fffa2c0100002580fff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0");
    QTest::newRow("a rate holding FF bytes: doubled")
        << 0x00ffff << hex("fffa2c010000ffffffff fff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0");
}

void TelnetCodecTest::lineCommands_literalBytes()
{
    QFETCH(int, rate);
    QFETCH(QByteArray, line);
    TelnetCodec codec(rate);
    codec.start();
    const Fed fed = feed(codec, hex("fffd2c"), false);
    QCOMPARE(fed.reply.toHex(' '), line.toHex(' '));
    // Taken once: a second DO does not send the line again.
    QCOMPARE(feed(codec, hex("fffd2c"), false).reply, QByteArray());
}

void TelnetCodecTest::encode_doublesFfAndPadsCrOnlyWithoutBinary_data()
{
    QTest::addColumn<bool>("binaryAgreed");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("binary") << true << hex("41ffff420d");
    QTest::newRow("no binary") << false << hex("41ffff420d00");
}

void TelnetCodecTest::encode_doublesFfAndPadsCrOnlyWithoutBinary()
{
    QFETCH(bool, binaryAgreed);
    QFETCH(QByteArray, wire);
    TelnetCodec codec(38400);
    codec.start();
    feed(codec, binaryAgreed ? hex("fffd00") : hex("fffe00"), false);
    const QByteArray command = hex("41ff420d");
    QCOMPARE(codec.encode(command.constData(), command.size()).toHex(' '), wire.toHex(' '));
}

void TelnetCodecTest::purgeCommand_purgesBothDirections()
{
    TelnetCodec codec(38400);
    QCOMPARE(codec.purgeCommand().toHex(' '), QByteArray("ff fa 2c 0c 03 ff f0"));
}

// A server repeating the same requests gets no answer after the first, so two peers
// cannot keep each other busy.
void TelnetCodecTest::endlessOptionChurn_answersBounded()
{
    TelnetCodec codec(38400);
    codec.start();
    QByteArray churn;
    for (int i = 0; i < 1000; ++i)
        churn += hex("fffd00 fffb00 fffb01 fffd18 fffd03 fffb03");
    const Fed fed = feed(codec, churn, false);
    QVERIFY2(fed.reply.size() <= 24, fed.reply.toHex(' ').constData());
    QCOMPARE(fed.data, QByteArray());
}

QTEST_APPLESS_MAIN(TelnetCodecTest)
#include "tst_telnetcodec.moc"
