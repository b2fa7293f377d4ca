#include "settings/inifile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tavrin;

// Reading and editing hand-written INI text the way the Windows profile functions do.
class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected"); // the default is 77
        QTest::newRow("decimal") << QByteArray("12") << 12;
        QTest::newRow("plus sign") << QByteArray("+7") << 7;
        QTest::newRow("negative") << QByteArray("-5") << -5;
        QTest::newRow("hex") << QByteArray("0x1F") << 31;
        QTest::newRow("hex capital X") << QByteArray("0X1f") << 31;
        QTest::newRow("negative hex") << QByteArray("-0x10") << -16;
        QTest::newRow("digits then letters") << QByteArray("12abc") << 77;
        QTest::newRow("digits then blank") << QByteArray("1 2") << 77;
        QTest::newRow("digits then unit") << QByteArray("115200 bit/s") << 77;
        QTest::newRow("0x without digits") << QByteArray("0xg") << 77;
        QTest::newRow("0x alone") << QByteArray("0x") << 77;
        QTest::newRow("hex then junk") << QByteArray("0x1Fz") << 77;
        QTest::newRow("garbage") << QByteArray("abc") << 77;
        QTest::newRow("sign alone") << QByteArray("-") << 77;
        QTest::newRow("empty") << QByteArray("") << 77;
        QTest::newRow("blanks around") << QByteArray(" \t 42 \t") << 42;
        QTest::newRow("single quotes") << QByteArray("'42'") << 42;
        QTest::newRow("double quotes") << QByteArray("\"42\"") << 42;
        QTest::newRow("unmatched quotes") << QByteArray("\"42'") << 77;
        QTest::newRow("32 bits taken as they are") << QByteArray("4294967295") << -1;
        QTest::newRow("hex 32 bits") << QByteArray("0xFFFFFFFF") << -1;
        QTest::newRow("beyond 32 bits") << QByteArray("4294967296") << 77;
    }

    void readInteger()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const IniFile ini("[S]\r\nK=" + value + "\r\n");
        QCOMPARE(ini.readInteger("S", "K", 77), expected);
    }

    void readByteAndBool_keepLowBitsAndTestNonZero()
    {
        const IniFile ini("[S]\r\nport=257\r\nneg=-1\r\nhex=0x1FF\r\n"
                          "zero=0\r\ntwo=2\r\nminus=-1\r\nbad=yes\r\nhexzero=0x0\r\n");
        QCOMPARE(ini.readByte("S", "port", 9), quint8(1));
        QCOMPARE(ini.readByte("S", "neg", 9), quint8(255));
        QCOMPARE(ini.readByte("S", "hex", 9), quint8(255));
        QCOMPARE(ini.readByte("S", "missing", 9), quint8(9));
        QCOMPARE(ini.readBool("S", "zero", true), false);
        QCOMPARE(ini.readBool("S", "two", false), true);
        QCOMPARE(ini.readBool("S", "minus", false), true);
        QCOMPARE(ini.readBool("S", "bad", true), true);
        QCOMPARE(ini.readBool("S", "bad", false), false);
        QCOMPARE(ini.readBool("S", "hexzero", true), false);
    }

    void readString_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QByteArray("K=ATZ^ATE0") << QStringLiteral("ATZ^ATE0");
        QTest::newRow("blanks around") << QByteArray("  K \t=  a b  ") << QStringLiteral("a b");
        QTest::newRow("double quotes") << QByteArray("K=\" a b \"") << QStringLiteral(" a b ");
        QTest::newRow("single quotes") << QByteArray("K='x'") << QStringLiteral("x");
        QTest::newRow("unmatched quotes") << QByteArray("K='x\"") << QStringLiteral("'x\"");
        QTest::newRow("one quote") << QByteArray("K=\"") << QStringLiteral("\"");
        QTest::newRow("empty") << QByteArray("K=") << QString();
        QTest::newRow("equals in value") << QByteArray("K=a=b") << QStringLiteral("a=b");
        QTest::newRow("CP1251") << QByteArray("K=\xC0\xED\xED\xE0 \xB8") << QStringLiteral("Анна ё");
        QTest::newRow("key case") << QByteArray("k=lower") << QStringLiteral("lower");
        QTest::newRow("LF only") << QByteArray("K=lf\n") << QStringLiteral("lf");
    }

    void readString()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        const IniFile ini("[S]\r\n" + line + "\r\n");
        QCOMPARE(ini.readString("S", "K", "default"), expected);
    }

    void lookup_namesWithoutCaseFirstWinsOtherSectionsIgnored()
    {
        const IniFile ini("K=before any section\n"
                          "; K=comment\n"
                          "  [ Dir_Conn_Par ]  trailing\n"
                          "comport=5\n"
                          "COMPORT=6\n"
                          "[OTHER]\n"
                          "Rate=9600\n"
                          "[dir_conn_par]\n"
                          "Rate=1200\n");
        QCOMPARE(ini.readInteger("DIR_CONN_PAR", "COMPort", 1), 5);
        QCOMPARE(ini.readInteger("DIR_CONN_PAR", "Rate", 38400), 38400);
        QCOMPARE(ini.readString("OTHER", "K", "none"), QStringLiteral("none"));
        QCOMPARE(ini.readString("missing", "K", "none"), QStringLiteral("none"));
        QCOMPARE(ini.readInteger("OTHER", "Rate", 0), 9600);

        // Cyrillic names fold too: [Ёлка] with Имя=5 in CP1251.
        const IniFile cyrillic("[\xA8\xEB\xEA\xE0]\r\n\xC8\xEC\xFF=5\r\n");
        QCOMPARE(cyrillic.readInteger(QStringLiteral("ёЛКА"), QStringLiteral("иМЯ"), 0), 5);
        // A name that starts in Latin letters and goes on in Cyrillic folds as a whole.
        const IniFile mixed("[Site_\xA8]\r\nKey_\xDF=7\r\n");
        QCOMPARE(mixed.readInteger(QStringLiteral("sITE_ё"), QStringLiteral("kEY_я"), 0), 7);
    }

    void write_existingKey_replacesOnlyThatLine()
    {
        IniFile ini("; settings\r\n"
                    "[DIR_CONN_PAR]\r\n"
                    "  comport = 3 \r\n"
                    "Unknown=keep me\r\n"
                    "Rate=9600\n"
                    "\r\n"
                    "[Mine]\r\n"
                    "x=y\r\n");
        ini.writeInteger("DIR_CONN_PAR", "COMPort", 7);
        ini.writeInteger("DIR_CONN_PAR", "RATE", 115200);
        QCOMPARE(ini.content(), QByteArray("; settings\r\n"
                                           "[DIR_CONN_PAR]\r\n"
                                           "comport=7\r\n"
                                           "Unknown=keep me\r\n"
                                           "Rate=115200\r\n"
                                           "\r\n"
                                           "[Mine]\r\n"
                                           "x=y\r\n"));
    }

    void write_missingKey_goesAfterLastKeyOfItsSection()
    {
        IniFile ini("[A]\n"
                    "one=1\n"
                    "; about B\n"
                    "\n"
                    "[B]\n"
                    "[C]\n"
                    "z=0");
        ini.writeInteger("a", "two", 2);
        ini.writeBool("B", "flag", true);
        ini.writeBool("C", "off", false);
        QCOMPARE(ini.content(), QByteArray("[A]\n"
                                           "one=1\n"
                                           "two=2\r\n"
                                           "; about B\n"
                                           "\n"
                                           "[B]\n"
                                           "flag=1\r\n"
                                           "[C]\n"
                                           "z=0\r\n"
                                           "off=0\r\n"));
    }

    void write_missingSection_goesAtEndAfterBlankLine()
    {
        IniFile ini("[A]\r\nk=1");
        ini.writeString("NEW", "name", QStringLiteral("Борис"));
        ini.writeInteger("NEW", "n", -3);
        QCOMPARE(ini.content(), QByteArray("[A]\r\nk=1\r\n"
                                           "\r\n"
                                           "[NEW]\r\n"
                                           "name=\xC1\xEE\xF0\xE8\xF1\r\n"
                                           "n=-3\r\n"));
        IniFile empty;
        empty.writeInteger("S", "k", 1);
        QCOMPARE(empty.content(), QByteArray("[S]\r\nk=1\r\n"));
    }

    void writeString_textsThatWouldNotReadBackAreProtected_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("plain") << QStringLiteral("AT^ATD") << QByteArray("AT^ATD") << QStringLiteral("AT^ATD");
        QTest::newRow("blanks kept") << QStringLiteral(" a ") << QByteArray("\" a \"") << QStringLiteral(" a ");
        QTest::newRow("quoted kept") << QStringLiteral("'x'") << QByteArray("\"'x'\"") << QStringLiteral("'x'");
        QTest::newRow("inner quote") << QStringLiteral("a\"b") << QByteArray("a\"b") << QStringLiteral("a\"b");
        QTest::newRow("line break") << QStringLiteral("a\r\n[X]\nb=1") << QByteArray("a  [X] b=1")
                                    << QStringLiteral("a  [X] b=1");
        QTest::newRow("no CP1251 form") << QStringLiteral("日本") << QByteArray("??") << QStringLiteral("??");
    }

    void writeString_textsThatWouldNotReadBackAreProtected()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, written);
        QFETCH(QString, readBack);
        IniFile ini;
        ini.writeString("S", "K", text);
        QCOMPARE(ini.content(), "[S]\r\nK=" + written + "\r\n");
        QCOMPARE(IniFile(ini.content()).readString("S", "K"), readBack);
        QCOMPARE(IniFile(ini.content()).readString("X", "b", "none"), QStringLiteral("none"));
    }

    // COMPort=3 written into `section`; a CR alone ends a line (some editors leave one
    // at the end of the file), so it never reaches a value and never gets a second CR.
    void carriageReturnAlone_endsItsLine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<int>("rate"); // read back from the edited file
        QTest::newRow("key after a last line ending in CR")
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\r") << "DIR_CONN_PAR"
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\r\nCOMPort=3\r\n") << 9600;
        QTest::newRow("section after a last line ending in CR")
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\r") << "FON_CONN_PAR"
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\r\n\r\n[FON_CONN_PAR]\r\nCOMPort=3\r\n") << 9600;
        QTest::newRow("CR-only line ends")
            << QByteArray("[DIR_CONN_PAR]\rRate=9600\r; note\r") << "DIR_CONN_PAR"
            << QByteArray("[DIR_CONN_PAR]\rRate=9600\r\nCOMPort=3\r\n; note\r") << 9600;
        QTest::newRow("CR inside a line")
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\rCOMPort=1\r\n") << "DIR_CONN_PAR"
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\rCOMPort=3\r\n") << 9600;
        QTest::newRow("CR CR LF of an earlier write")
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\r\r\n") << "DIR_CONN_PAR"
            << QByteArray("[DIR_CONN_PAR]\r\nRate=9600\r\nCOMPort=3\r\n\r\n") << 9600;
    }

    void carriageReturnAlone_endsItsLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QByteArray, edited);
        QFETCH(int, rate);
        IniFile ini(file);
        QCOMPARE(ini.readInteger("DIR_CONN_PAR", "Rate", 38400), rate);
        ini.writeInteger(section, "COMPort", 3);
        QCOMPARE(ini.content(), edited);
        const IniFile again(edited);
        QCOMPARE(again.readInteger("DIR_CONN_PAR", "Rate", 38400), rate);
        QCOMPARE(again.readInteger(section, "COMPort", 1), 3);
    }

    // Edits in any order, added lines among them, keep every later lookup and edit on
    // its own line; a later section of a name already seen is never read or written.
    void editsInAnyOrder_stayOnTheirLines()
    {
        IniFile ini("; head\n"
                    "[A]\n"
                    "k=1\n"
                    "; end of A\n"
                    "[B]\n"
                    "[a]\n"
                    "k=2\n"
                    "z=9\n");
        QCOMPARE(ini.readInteger("A", "z", 0), 0);
        ini.writeInteger("A", "x", 1);
        ini.writeInteger("C", "c", 1);
        ini.writeInteger("A", "y", 2);
        ini.writeInteger("a", "X", 3);
        ini.writeInteger("C", "d", 4);
        ini.writeInteger("b", "b", 5);
        ini.writeInteger("A", "K", 6);
        const QByteArray expected = "; head\n"
                                    "[A]\n"
                                    "k=6\r\n"
                                    "x=3\r\n"
                                    "y=2\r\n"
                                    "; end of A\n"
                                    "[B]\n"
                                    "b=5\r\n"
                                    "[a]\n"
                                    "k=2\n"
                                    "z=9\n"
                                    "\r\n"
                                    "[C]\r\n"
                                    "c=1\r\n"
                                    "d=4\r\n";
        QCOMPARE(ini.content(), expected);
        for (const IniFile &file : {ini, IniFile(expected)}) {
            QCOMPARE(file.readInteger("a", "K", 0), 6);
            QCOMPARE(file.readInteger("A", "x", 0), 3);
            QCOMPARE(file.readInteger("A", "z", 0), 0);
            QCOMPARE(file.readInteger("B", "b", 0), 5);
            QCOMPARE(file.readInteger("c", "D", 0), 4);
        }
    }

    // Sections are taken apart only when asked for: whatever was asked, the untouched
    // parts of the file come out as they went in, and an edit lands on its own line
    // however many sections lie around it.
    void lookupsAndEdits_amongUntouchedSections_data()
    {
        QTest::addColumn<QByteArray>("head");   // before the section edited
        QTest::addColumn<QByteArray>("tail");   // after it
        QTest::addColumn<QString>("asked");     // a section looked up first, then "k" in it
        QTest::addColumn<int>("askedValue");    // what "k" reads there, 0 when absent
        QByteArray many;
        for (int i = 0; i < 2000; ++i)
            many += "[S" + QByteArray::number(i) + "]\r\nk=" + QByteArray::number(i) + "\r\n";
        QTest::newRow("many sections around") << many << many << "s1999" << 1999;
        QTest::newRow("one name repeated") << QByteArray("[R]\nk=1\n").repeated(500)
                                           << QByteArray("[r]\nk=2\n").repeated(500) << "R" << 1;
        QTest::newRow("CR-only ends, no end at the last line")
            << QByteArray("; head\r[A]\rk=5\r\r") << QByteArray("[B]\rx=1\r[A]\rk=6") << "a" << 5;
        QTest::newRow("keys before any section") << QByteArray("k=9\n") << QByteArray("") << "none" << 0;
        QTest::newRow("unknown keys by the thousand")
            << QByteArray("[U]\n") + QByteArray("u=1\n").repeated(3000) + "k=4\n" << QByteArray("[V]\n") << "U"
            << 4;
    }

    void lookupsAndEdits_amongUntouchedSections()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, tail);
        QFETCH(QString, asked);
        QFETCH(int, askedValue);
        const QByteArray file = head + "[EDITED]\r\nk=1\r\n" + tail;
        IniFile ini(file);
        QCOMPARE(ini.readInteger(asked, "k", 0), askedValue);
        QCOMPARE(ini.content(), file);
        ini.writeInteger("edited", "K", 2);
        ini.writeInteger("edited", "added", 3);
        ini.writeInteger("NEW", "n", 4);
        const QByteArray edited = head + "[EDITED]\r\nk=2\r\nadded=3\r\n" + tail;
        QVERIFY(ini.content().startsWith(edited));
        QCOMPARE(ini.readInteger(asked, "k", 0), askedValue);
        QCOMPARE(ini.readInteger("EDITED", "k", 0), 2);
        QCOMPARE(ini.readInteger("new", "N", 0), 4);
        const IniFile reread(ini.content());
        QCOMPARE(reread.readInteger("edited", "added", 0), 3);
        QCOMPARE(reread.readInteger("new", "n", 0), 4);
        QCOMPARE(reread.readInteger(asked, "k", 0), askedValue);
    }

    void fileText_utf8WithMarkBecomesCp1251_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF[S]\r\nK=\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0 \xD1\x91\r\n")
                                         << QByteArray("[S]\r\nK=\xC0\xED\xED\xE0 \xB8\r\n");
        QTest::newRow("mark alone") << QByteArray("\xEF\xBB\xBF") << QByteArray("");
        QTest::newRow("no CP1251 form") << QByteArray("\xEF\xBB\xBFK=\xE2\x82\xAC\xF0\x9F\x93\x9E\r\n")
                                        << QByteArray("K=\x88?\r\n");
        QTest::newRow("mark before CP1251 bytes") << QByteArray("\xEF\xBB\xBFK=\xC0\xED\xED\xE0\r\n")
                                                  << QByteArray("K=\xC0\xED\xED\xE0\r\n");
        QTest::newRow("mark before a cut UTF-8 letter") << QByteArray("\xEF\xBB\xBFK=\xD0")
                                                        << QByteArray("K=\xD0");
        QTest::newRow("UTF-8 without mark, as it is") << QByteArray("K=\xD0\x90\r\n") << QByteArray("K=\xD0\x90\r\n");
        QTest::newRow("mark not at the start") << QByteArray("\r\n\xEF\xBB\xBF[S]\r\n")
                                               << QByteArray("\r\n\xEF\xBB\xBF[S]\r\n");
    }

    void fileText_utf8WithMarkBecomesCp1251()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, text);
        QCOMPARE(IniFile::fileText(bytes), text);
    }

    void loadAndSave_missingFileIsEmptyAndFailureIsReported()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto missing = IniFile::load(dir.filePath("none.ini"));
        QVERIFY(missing.has_value());
        QVERIFY(missing->content().isEmpty());
        IniLoadFailure failure;
        failure.kind = IniLoadFailure::Kind::TooLarge;
        QVERIFY(!IniFile::load(dir.path(), &failure).has_value()); // a folder is no file
        QCOMPARE(failure.kind, IniLoadFailure::Kind::Unreadable);

        IniFile ini("[S]\r\nk=1\r\n");
        QString error;
        QVERIFY(ini.save(dir.filePath("a.ini"), &error));
        QCOMPARE(IniFile::load(dir.filePath("a.ini"))->content(), ini.content());
        QVERIFY(!ini.save(dir.filePath("no-folder/a.ini"), &error));
        QVERIFY(!error.isEmpty());

        // A folder where the file should be: the write fails and leaves nothing behind.
        QVERIFY(QDir(dir.path()).mkpath("b.ini/inside"));
        error.clear();
        QVERIFY(!ini.save(dir.filePath("b.ini"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"a.ini", "b.ini"}));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
