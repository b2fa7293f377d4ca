// The command table and the rules by which a module reply is read. The wire bytes and
// the replies are written out literally here, never taken from the production tables.
#include "protocol/commandtable.h"
#include "protocol/replyrules.h"

#include <QTest>

using namespace tavrin;

Q_DECLARE_METATYPE(MacAddress)

class ReplyRulesTest : public QObject {
    Q_OBJECT
private slots:
    void commandTable_rowsHoldTheCommandsTheirLengthsAndDescriptions_data();
    void commandTable_rowsHoldTheCommandsTheirLengthsAndDescriptions();

    void addressReply_needsExactlySevenColons_data();
    void addressReply_needsExactlySevenColons();
    void valueText_startsSixCharactersAfterTheFirstVal_data();
    void valueText_startsSixCharactersAfterTheFirstVal();

    void parseAddress_readsOneOrTwoHexDigitsWithAnySeparator_data();
    void parseAddress_readsOneOrTwoHexDigitsWithAnySeparator();
    void addressValue_readsTheValueOnlyTheColonRuleDecidesWhetherToUseIt();
    void versionValue_endsAtTheNextQuoteAndIsEmptyWithoutVal_data();
    void versionValue_endsAtTheNextQuoteAndIsEmptyWithoutVal();
};

void ReplyRulesTest::commandTable_rowsHoldTheCommandsTheirLengthsAndDescriptions_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("description");
    QTest::newRow("0 HELP") << 0 << QByteArray("HELP") << 4 << QStringLiteral("Получить перечень команд");
    QTest::newRow("1 VER") << 1 << QByteArray("VER") << 3 << QStringLiteral("Получить версию ПО Bluetooth-устройства");
    QTest::newRow("2 PING") << 2 << QByteArray("PING") << 4 << QStringLiteral("Получить состояние Bluetooth-устройства");
    QTest::newRow("3 RESET") << 3 << QByteArray("RESET") << 5 << QStringLiteral("Перезапустить Bluetooth-устройство");
    QTest::newRow("4 SLEEP") << 4 << QByteArray("SLEEP") << 5 << QStringLiteral("Усыпить");
    QTest::newRow("5 DEVADDR") << 5 << QByteArray("DEVADDR") << 7
                               << QStringLiteral("Получить собственный адрес Bluetooth-устройства");
    QTest::newRow("6 PEERADDR") << 6 << QByteArray("PEERADDR") << 8
                                << QStringLiteral("Получить адрес периферийного устройства");
    QTest::newRow("7 PEERADDR(") << 7 << QByteArray("PEERADDR(") << 27
                                 << QStringLiteral("Создать пару с неподключенным периферийным устройством");
    QTest::newRow("8 KEEP") << 8 << QByteArray("KEEP") << 4
                            << QStringLiteral("Создать пару с подключенным периферийным устройством");
    QTest::newRow("9 KILL") << 9 << QByteArray("KILL") << 4
                            << QStringLiteral("Разорвать пару с периферийным устройством");
}

void ReplyRulesTest::commandTable_rowsHoldTheCommandsTheirLengthsAndDescriptions()
{
    QFETCH(int, row);
    QFETCH(QByteArray, command);
    QFETCH(int, length);
    QFETCH(QString, description);
    const CommandTableEntry &entry = CommandTable().at(row);
    QCOMPARE(QByteArray(entry.command), command);
    QCOMPARE(entry.length, length);
    QCOMPARE(entry.description, description);
    if (row != 7)
        QCOMPARE(CommandText(row, MacAddress{}), command);
}

void ReplyRulesTest::addressReply_needsExactlySevenColons_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("colons");
    QTest::addColumn<bool>("address");
    QTest::newRow("well formed") << QByteArray(R"({"DEVADDR":"OK","Val":"00:11:22:33:44:55"})") << 7 << true;
    QTest::newRow("six") << QByteArray(R"({"DEVADDR":"OK","Val":"00:11:22:33:4455"})") << 6 << false;
    QTest::newRow("eight") << QByteArray(R"({"DEVADDR":"OK","Val":"00:11:22:33:44:55:"})") << 8 << false;
    QTest::newRow("seven anywhere") << QByteArray(R"({":::::::"})") << 7 << true;
    QTest::newRow("one") << QByteArray(R"({"KILL":"Peer Deleted"})") << 1 << false;
    QTest::newRow("none") << QByteArray("{\"\"}") << 0 << false;
}

void ReplyRulesTest::addressReply_needsExactlySevenColons()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, colons);
    QFETCH(bool, address);
    QCOMPARE(ColonCount(reply.constData()), colons);
    QCOMPARE(AddressReply(reply.constData()), address);
}

void ReplyRulesTest::valueText_startsSixCharactersAfterTheFirstVal_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("address") << QByteArray(R"({"DEVADDR":"OK","Val":"00:11:22:33:44:55"})") << true
                             << QByteArray(R"(00:11:22:33:44:55"})");
    QTest::newRow("first Val wins") << QByteArray(R"({"VER":"Val","Val":"1.0"})") << true
                                    << QByteArray(R"(Val":"1.0"})");
    QTest::newRow("no Val") << QByteArray(R"({"PEERADDR":"No Peer"})") << false << QByteArray();
    QTest::newRow("lower-case val is not Val") << QByteArray(R"({"VER":"val":"1.0"})") << false << QByteArray();
    // "Val" among the last six characters: the value would start at or past the end.
    QTest::newRow("Val at the very end") << QByteArray(R"({"Val"})") << false << QByteArray();
    QTest::newRow("Val six from the end") << QByteArray(R"({"X":"Val":")") << false << QByteArray();
    QTest::newRow("one character left") << QByteArray(R"({"X":"Val":"7)") << true << QByteArray("7");
}

void ReplyRulesTest::valueText_startsSixCharactersAfterTheFirstVal()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, hasValue);
    QFETCH(QByteArray, value);
    const std::optional<QByteArray> text = ValueText(reply.constData());
    QCOMPARE(text.has_value(), hasValue);
    if (hasValue)
        QCOMPARE(*text, value);
}

void ReplyRulesTest::parseAddress_readsOneOrTwoHexDigitsWithAnySeparator_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("read");
    QTest::addColumn<MacAddress>("address");
    QTest::addColumn<QString>("display");
    QTest::newRow("lower case") << QByteArray("0a:1b:2c:3d:4e:5f") << 6
                                << MacAddress{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}
                                << QStringLiteral("0A:1B:2C:3D:4E:5F");
    QTest::newRow("hyphens") << QByteArray("00-11-22-33-44-55") << 6 << MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}
                             << QStringLiteral("00:11:22:33:44:55");
    QTest::newRow("blanks before numbers and separators")
        << QByteArray(" 01 : 02\t:03 :  04:05 :06") << 6 << MacAddress{1, 2, 3, 4, 5, 6}
        << QStringLiteral("01:02:03:04:05:06");
    QTest::newRow("one-digit bytes") << QByteArray("1:2:3:a:b:C") << 6 << MacAddress{1, 2, 3, 0x0A, 0x0B, 0x0C}
                                     << QStringLiteral("01:02:03:0A:0B:0C");
    // A digit right after a number is the separator: at most two digits make a byte.
    QTest::newRow("digit as separator") << QByteArray("AB1CD2EF3014") << 4 << MacAddress{0xAB, 0xCD, 0xEF, 0x01, 0, 0}
                                        << QStringLiteral("AB:CD:EF:01:00:00");
    QTest::newRow("reply tail after six bytes") << QByteArray(R"(FF:EE:DD:CC:BB:AA"})") << 6
                                                << MacAddress{0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA}
                                                << QStringLiteral("FF:EE:DD:CC:BB:AA");
    QTest::newRow("stops at a non-hex byte") << QByteArray("12:34:xx:56:78:9A") << 2 << MacAddress{0x12, 0x34, 0, 0, 0, 0}
                                             << QStringLiteral("12:34:00:00:00:00");
    QTest::newRow("ends early") << QByteArray("12:34") << 2 << MacAddress{0x12, 0x34, 0, 0, 0, 0}
                                << QStringLiteral("12:34:00:00:00:00");
    QTest::newRow("empty") << QByteArray("") << 0 << MacAddress{} << QStringLiteral("00:00:00:00:00:00");
}

void ReplyRulesTest::parseAddress_readsOneOrTwoHexDigitsWithAnySeparator()
{
    QFETCH(QByteArray, text);
    QFETCH(int, read);
    QFETCH(MacAddress, address);
    QFETCH(QString, display);
    MacAddress parsed{9, 9, 9, 9, 9, 9}; // bytes not read must not keep an old value
    QCOMPARE(ParseAddress(text.constData(), parsed), read);
    QCOMPARE(parsed, address);
    QCOMPARE(AddressDisplayText(parsed), display);
}

void ReplyRulesTest::addressValue_readsTheValueOnlyTheColonRuleDecidesWhetherToUseIt()
{
    const char *reply = R"({"PING":"WaitForKEEP","Val":"0a:1b:2c:3d:4e:5f"})";
    QVERIFY(AddressReply(reply));
    const std::optional<MacAddress> address = AddressValue(reply);
    QVERIFY(address.has_value());
    QCOMPARE(AddressDisplayText(*address), QStringLiteral("0A:1B:2C:3D:4E:5F"));

    QVERIFY(!AddressValue(R"({"PING":"Wait:For:KEEP:0a:1b:2c:3d"})").has_value());

    // Eight colons: the value still reads, but the colon rule refuses the reply.
    const char *eight = R"({"PEERADDR":"OK:","Val":"0A:1B:2C:3D:4E:5F"})";
    QVERIFY(!AddressReply(eight));
    QVERIFY(AddressValue(eight).has_value());
}

void ReplyRulesTest::versionValue_endsAtTheNextQuoteAndIsEmptyWithoutVal_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("version");
    QTest::newRow("plain") << QByteArray(R"({"VER":"OK","Val":"2.14b"})") << QStringLiteral("2.14b");
    QTest::newRow("no closing quote") << QByteArray(R"({"VER":"OK","Val":"2.14)") << QStringLiteral("2.14");
    QTest::newRow("empty value") << QByteArray(R"({"VER":"OK","Val":""})") << QString();
    QTest::newRow("no Val") << QByteArray(R"({"VER":"OK"})") << QString();
    QTest::newRow("CP1251 text") << QByteArray("{\"VER\":\"OK\",\"Val\":\"\xE2\xE5\xF0 1\"}")
                                 << QStringLiteral("вер 1");
}

void ReplyRulesTest::versionValue_endsAtTheNextQuoteAndIsEmptyWithoutVal()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, version);
    QCOMPARE(VersionValue(reply.constData()), version);
}

QTEST_GUILESS_MAIN(ReplyRulesTest)
#include "tst_replyrules.moc"
