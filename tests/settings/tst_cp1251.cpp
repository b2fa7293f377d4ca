#include "settings/cp1251.h"

#include <QHash>
#include <QProcess>
#include <QtTest>

using namespace tavrin;

namespace {

// Every byte but 0x98, which the code page leaves without a character.
QByteArray definedBytes()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != 0x98)
            bytes.append(static_cast<char>(b));
    }
    return bytes;
}

// What the system's iconv makes of the defined bytes, one character each.
QString systemDecode(const QByteArray &bytes)
{
    QProcess iconv;
    iconv.start(QStringLiteral("/usr/bin/iconv"),
                {QStringLiteral("-f"), QStringLiteral("CP1251"), QStringLiteral("-t"),
                 QStringLiteral("UTF-8")});
    if (!iconv.waitForStarted(5000))
        return {};
    iconv.write(bytes);
    iconv.closeWriteChannel();
    if (!iconv.waitForFinished(5000) || iconv.exitCode() != 0)
        return {};
    return QString::fromUtf8(iconv.readAllStandardOutput());
}

} // namespace

class TestCp1251 : public QObject {
    Q_OBJECT

private slots:
    void decode_agreesWithSystemIconvForEveryDefinedByte()
    {
        const QByteArray bytes = definedBytes();
        const QString expected = systemDecode(bytes);
        QCOMPARE(expected.size(), bytes.size());
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (cp1251::toUnicode(b) != expected[i])
                QFAIL(qPrintable(QStringLiteral("byte 0x%1: U+%2, iconv says U+%3")
                                     .arg(b, 2, 16, QLatin1Char('0'))
                                     .arg(cp1251::toUnicode(b).unicode(), 4, 16, QLatin1Char('0'))
                                     .arg(expected[i].unicode(), 4, 16, QLatin1Char('0'))));
        }
        QCOMPARE(cp1251::decode(bytes), expected);
    }

    void encodeDecode_giveBackAll256Bytes()
    {
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            bytes.append(static_cast<char>(b));
        const QString text = cp1251::decode(bytes);
        QCOMPARE(text.size(), 256);
        QCOMPARE(cp1251::encode(text), bytes);
    }

    // The byte without a character is its control character in text, so a hand-edited
    // file keeps it; shown alone, as in the trace, it is the replacement character.
    void byte98_isU0098InTextAndReplacementCharacterAlone()
    {
        QCOMPARE(cp1251::decode(QByteArray("a\x98z")), QStringLiteral("a\u0098z"));
        QCOMPARE(cp1251::encode(QStringLiteral("a\u0098z")), QByteArray("a\x98z"));
        QCOMPARE(cp1251::toUnicode(0x98), QChar(0xFFFD));
        QCOMPARE(cp1251::encode(QStringLiteral("a\uFFFDz\u0097")), QByteArray("a?z?"));
    }

    void encode_characterWithoutForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Cyrillic") << QStringLiteral("Ёжик ёж") << QByteArray("\xA8\xE6\xE8\xEA \xB8\xE6");
        QTest::newRow("euro sign has a form") << QStringLiteral("5€") << QByteArray("5\x88");
        QTest::newRow("Latin é has none") << QStringLiteral("café") << QByteArray("caf?");
        QTest::newRow("Chinese") << QStringLiteral("A中B") << QByteArray("A?B");
        QTest::newRow("emoji is one character") << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    }

    void encode_characterWithoutForm()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp1251::encode(text), bytes);
    }

    // The capital of a byte is the byte of its character's capital, when the code
    // page has one; otherwise the byte stays.
    void toUpper_agreesWithSystemTableAndUnicodeCase()
    {
        const QByteArray bytes = definedBytes();
        const QString chars = systemDecode(bytes);
        QCOMPARE(chars.size(), bytes.size());
        QHash<QChar, int> byteOf;
        for (qsizetype i = 0; i < bytes.size(); ++i)
            byteOf.insert(chars[i], static_cast<unsigned char>(bytes[i]));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const int b = static_cast<unsigned char>(bytes[i]);
            const int expected = byteOf.value(chars[i].toUpper(), b);
            if (cp1251::toUpper(static_cast<unsigned char>(b)) != expected)
                QFAIL(qPrintable(QStringLiteral("byte 0x%1 upper 0x%2, expected 0x%3")
                                     .arg(b, 2, 16, QLatin1Char('0'))
                                     .arg(cp1251::toUpper(static_cast<unsigned char>(b)), 2, 16, QLatin1Char('0'))
                                     .arg(expected, 2, 16, QLatin1Char('0'))));
        }
    }
};

QTEST_GUILESS_MAIN(TestCp1251)
#include "tst_cp1251.moc"
