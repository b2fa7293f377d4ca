#include "tst_devsim.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <memory>

using tavrin::test::DevSim;
using tavrin::test::DevSimLogEntry;
using tavrin::test::DevSimOptions;

namespace {

qint64 NowMicros()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

const QByteArray kEnd = "\"}";

} // namespace

bool TestDevSim::up(const QStringList &args, bool modem, bool pace, int rate)
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sim = std::make_unique<DevSim>(m_dir->path());
    DevSimOptions options;
    options.modem = modem;
    options.pace = pace;
    options.extraArgs = args;
    if (!m_sim->start(options)) {
        qWarning() << m_sim->errorString();
        return false;
    }
    return m_port.open(m_sim->devicePath(), rate);
}

QByteArray TestDevSim::ask(const QByteArray &command, const QByteArray &end, int timeoutMs)
{
    m_port.write(command);
    return m_port.readUntil(end, timeoutMs);
}

bool TestDevSim::connectCall()
{
    return ask("ATE0\r", "OK\r\n").endsWith("\r\nOK\r\n") &&
           ask("ATD5551234\r", "9600\r\n") == "\r\nCONNECT 9600\r\n";
}

void TestDevSim::cleanup()
{
    m_port.close();
    m_sim.reset();
    m_dir.reset();
}

void TestDevSim::reply_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("PING, no peripheral") << "none" << QByteArray("PING\r") << QByteArray(R"({"PING":"NoConnection"})");
    QTest::newRow("PING, waiting for KEEP") << "waiting" << QByteArray("PING\r")
                                            << QByteArray(R"({"PING":"WaitForKEEP","Val":"0A:1B:2C:3D:4E:5F"})");
    QTest::newRow("PING, paired and connected") << "connected" << QByteArray("PING\r") << QByteArray(R"({"PING":"Connected"})");
    QTest::newRow("PING, paired, peripheral away") << "paired" << QByteArray("PING\r") << QByteArray(R"({"PING":"NoConnection"})");
    QTest::newRow("PING after the wake-up byte") << "connected" << QByteArray("\0PING\r", 6) << QByteArray(R"({"PING":"Connected"})");
    QTest::newRow("PEERADDR, no pair") << "waiting" << QByteArray("PEERADDR\r") << QByteArray(R"({"PEERADDR":"No Peer"})");
    QTest::newRow("PEERADDR, paired") << "paired" << QByteArray("PEERADDR\r")
                                      << QByteArray(R"({"PEERADDR":"OK","Val":"0A:1B:2C:3D:4E:5F"})");
    QTest::newRow("DEVADDR") << "none" << QByteArray("DEVADDR\r") << QByteArray(R"({"DEVADDR":"OK","Val":"00:1A:7D:DA:71:13"})");
    QTest::newRow("VER") << "none" << QByteArray("VER\r") << QByteArray(R"({"VER":"OK","Val":"1.07"})");
    QTest::newRow("KEEP, no peripheral") << "none" << QByteArray("KEEP\r") << QByteArray(R"({"KEEP":"NoConnection"})");
    QTest::newRow("KEEP, waiting") << "waiting" << QByteArray("KEEP\r") << QByteArray(R"({"KEEP":"OK","Val":"0A:1B:2C:3D:4E:5F"})");
    QTest::newRow("KILL, paired") << "connected" << QByteArray("KILL\r") << QByteArray(R"({"KILL":"Peer Deleted"})");
    QTest::newRow("KILL, no pair") << "none" << QByteArray("KILL\r") << QByteArray(R"({"KILL":"No Peer"})");
    QTest::newRow("SLEEP") << "none" << QByteArray("SLEEP\r") << QByteArray(R"({"SLEEP":"OK"})");
    QTest::newRow("RESET") << "none" << QByteArray("RESET\r") << QByteArray(R"({"RESET":"OK"})");
    QTest::newRow("PEERADDR(address), lower-case hex")
        << "none" << QByteArray("PEERADDR(0a:1b:2c:3d:4e:5f)\r") << QByteArray(R"({"PEERADDR(":"OK","Val":"0A:1B:2C:3D:4E:5F"})");
    QTest::newRow("PEERADDR(short address)") << "none" << QByteArray("PEERADDR(0A:1B)\r") << QByteArray(R"({"PEERADDR(":"BadAddress"})");
    QTest::newRow("HELP") << "none" << QByteArray("HELP\r")
                          << QByteArray(R"({"HELP":"OK","Val":"HELP VER PING RESET SLEEP DEVADDR PEERADDR PEERADDR(XX-XX-XX-XX-XX-XX) KEEP KILL"})");
    QTest::newRow("lower-case command is unknown") << "none" << QByteArray("ping\r") << QByteArray(R"({"ERROR":"Unknown command"})");
}

void TestDevSim::reply()
{
    QFETCH(QString, state);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QVERIFY(up({"--state", state}));
    QCOMPARE(ask(command), reply);
}

void TestDevSim::quirks_keepTheModuleConsistent_data()
{
    QTest::addColumn<QString>("state"); // and any further start options
    QTest::addColumn<QStringList>("controls");
    // Each command with the reply it draws; an empty reply: none at all.
    QTest::addColumn<QByteArrayList>("commands");
    QTest::addColumn<QByteArrayList>("replies");

    QTest::newRow("KEEP pairs the waiting peripheral, KILL deletes the pair")
        << "waiting --peripheral 12:34:56:78:9a:bc" << QStringList()
        << QByteArrayList{"KEEP\r", "PING\r", "PEERADDR\r", "KILL\r", "PING\r"}
        << QByteArrayList{R"({"KEEP":"OK","Val":"12:34:56:78:9A:BC"})", R"({"PING":"Connected"})",
                          R"({"PEERADDR":"OK","Val":"12:34:56:78:9A:BC"})", R"({"KILL":"Peer Deleted"})",
                          R"({"PING":"WaitForKEEP","Val":"12:34:56:78:9A:BC"})"};
    QTest::newRow("KEEP without an address still stores the pair")
        << "waiting" << QStringList{"keep-address off"}
        << QByteArrayList{"KEEP\r", "PING\r", "PEERADDR\r"}
        << QByteArrayList{R"({"KEEP":"OK"})", R"({"PING":"Connected"})",
                          R"({"PEERADDR":"OK","Val":"0A:1B:2C:3D:4E:5F"})"};
    QTest::newRow("PEERADDR(address) writes another address, in force after RESET")
        << "none" << QStringList{"peer-written 66:55:44:33:22:1f"}
        << QByteArrayList{"PEERADDR(0A:1B:2C:3D:4E:5F)\r", "PEERADDR\r", "RESET\r", "PEERADDR\r"}
        << QByteArrayList{R"({"PEERADDR(":"OK","Val":"66:55:44:33:22:1F"})", R"({"PEERADDR":"No Peer"})",
                          R"({"RESET":"OK"})", R"({"PEERADDR":"OK","Val":"66:55:44:33:22:1F"})"};
    QTest::newRow("MemError the first two times, then the pair is written")
        << "none" << QStringList{"memerror 2"}
        << QByteArrayList{"PEERADDR(0A:1B:2C:3D:4E:5F)\r", "PEERADDR(0A:1B:2C:3D:4E:5F)\r",
                          "PEERADDR(0A:1B:2C:3D:4E:5F)\r", "RESET\r", "PEERADDR\r"}
        << QByteArrayList{R"({"PEERADDR(":"MemError"})", R"({"PEERADDR(":"MemError"})",
                          R"({"PEERADDR(":"OK","Val":"0A:1B:2C:3D:4E:5F"})", R"({"RESET":"OK"})",
                          R"({"PEERADDR":"OK","Val":"0A:1B:2C:3D:4E:5F"})"};
    QTest::newRow("a MemError to KEEP counts too and stores nothing")
        << "waiting" << QStringList{"memerror 1"}
        << QByteArrayList{"KEEP\r", "PING\r", "KEEP\r", "PEERADDR(11:22:33:44:55:66)\r"}
        << QByteArrayList{R"({"KEEP":"MemError"})", R"({"PING":"WaitForKEEP","Val":"0A:1B:2C:3D:4E:5F"})",
                          R"({"KEEP":"OK","Val":"0A:1B:2C:3D:4E:5F"})",
                          R"({"PEERADDR(":"OK","Val":"11:22:33:44:55:66"})"};
    QTest::newRow("KILL answers OK and forgets the pair")
        << "paired" << QStringList{"kill-mode forgets"}
        << QByteArrayList{"KILL\r", "PEERADDR\r", "KILL\r"}
        << QByteArrayList{R"({"KILL":"OK"})", R"({"PEERADDR":"No Peer"})", R"({"KILL":"No Peer"})"};
    QTest::newRow("KILL answers OK and keeps the pair")
        << "connected" << QStringList{"kill-mode keeps"}
        << QByteArrayList{"KILL\r", "PEERADDR\r", "PING\r"}
        << QByteArrayList{R"({"KILL":"OK"})", R"({"PEERADDR":"OK","Val":"0A:1B:2C:3D:4E:5F"})",
                          R"({"PING":"Connected"})"};
    QTest::newRow("KILL forgets a pair written but not yet in force")
        << "none" << QStringList{"kill-mode forgets"}
        << QByteArrayList{"PEERADDR(0A:1B:2C:3D:4E:5F)\r", "KILL\r", "RESET\r", "PEERADDR\r"}
        << QByteArrayList{R"({"PEERADDR(":"OK","Val":"0A:1B:2C:3D:4E:5F"})", R"({"KILL":"OK"})",
                          R"({"RESET":"OK"})", R"({"PEERADDR":"No Peer"})"};
    QTest::newRow("answers set aside go in order, then the usual one")
        << "none" << QStringList{"once RESET normal", "once RESET lost", R"(once RESET {"ERROR":"Unknown command"})"}
        << QByteArrayList{"RESET\r", "RESET\r", "RESET\r", "RESET\r"}
        << QByteArrayList{R"({"RESET":"OK"})", "", R"({"ERROR":"Unknown command"})", R"({"RESET":"OK"})"};
    QTest::newRow("a KILL not heard or answered by a set-aside text keeps the pair")
        << "paired" << QStringList{"once KILL lost", R"(once KILL {"KILL":"Peer Deleted"})"}
        << QByteArrayList{"KILL\r", "KILL\r", "PEERADDR\r", "KILL\r", "PEERADDR\r"}
        << QByteArrayList{"", R"({"KILL":"Peer Deleted"})", R"({"PEERADDR":"OK","Val":"0A:1B:2C:3D:4E:5F"})",
                          R"({"KILL":"Peer Deleted"})", R"({"PEERADDR":"No Peer"})"};
    QTest::newRow("a PEERADDR(address) not heard writes nothing")
        << "none" << QStringList{"once PEERADDR( lost"}
        << QByteArrayList{"PEERADDR(11:22:33:44:55:66)\r", "RESET\r", "PEERADDR\r"}
        << QByteArrayList{"", R"({"RESET":"OK"})", R"({"PEERADDR":"No Peer"})"};
    QTest::newRow("a set-aside answer comes before a fixed reply")
        << "none" << QStringList{R"(reply PING {"PING":"Fixed"})", R"(once PING {"PING":"Once"}\r\n)", "once PING normal"}
        << QByteArrayList{"PING\r", "PING\r", "PING\r"}
        << QByteArrayList{"{\"PING\":\"Once\"}\r\n", R"({"PING":"Fixed"})", R"({"PING":"Fixed"})"};
}

void TestDevSim::quirks_keepTheModuleConsistent()
{
    QFETCH(QString, state);
    QFETCH(QStringList, controls);
    QFETCH(QByteArrayList, commands);
    QFETCH(QByteArrayList, replies);
    QVERIFY(up(QStringList{"--state"} + state.split(' ') + QStringList{"--reset-ms", "0"}));
    for (const QString &c : controls)
        QVERIFY2(m_sim->command(c), qPrintable(m_sim->errorString()));
    for (int i = 0; i < commands.size(); ++i)
        QCOMPARE(ask(commands[i], replies[i].isEmpty() ? kEnd : replies[i].right(2), replies[i].isEmpty() ? 150 : 2000),
                 replies[i]);
}

void TestDevSim::controlOption_setsTheModuleUpBeforeThePortAppears()
{
    QVERIFY(up({"--state", "paired", "--module-version", "2.5b", "--control", "kill-mode keeps", "--control",
                "memerror 1"}));
    QVERIFY(m_sim->command("status"));
    QVERIFY2(m_sim->lastReply().contains(" memerror=1 kill-mode=keeps"), qPrintable(m_sim->lastReply()));
    QCOMPARE(ask("VER\r"), QByteArray(R"({"VER":"OK","Val":"2.5b"})"));
    QCOMPARE(ask("KILL\r"), QByteArray(R"({"KILL":"OK"})"));
    QCOMPARE(ask("PEERADDR(11:22:33:44:55:66)\r"), QByteArray(R"({"PEERADDR(":"MemError"})"));

    // A line it refuses ends the simulator before anything is published.
    QProcess sim;
    sim.start(DevSim::Program(), {"--com-dir", m_dir->path(), "--port", "8", "--control", "kill-mode sometimes"});
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardError().contains("kill-mode sometimes -- expected deleted, forgets or keeps"));
    QVERIFY(!QFileInfo::exists(m_dir->path() + "/COM8"));

    // --version is the simulator's own, and publishes nothing.
    sim.start(DevSim::Program(), {"--com-dir", m_dir->path(), "--port", "8", "--version"});
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    QCOMPARE(sim.readAllStandardOutput(), QByteArray("tavrin-devsim 1.0\n"));
    QVERIFY(!QFileInfo::exists(m_dir->path() + "/COM8"));
}

void TestDevSim::peerAddress_takesEffectAfterResetAndResetIsDeafForAWhile()
{
    QVERIFY(up({"--reset-ms", "300"}));
    QCOMPARE(ask("PEERADDR(11:22:33:44:55:66)\r"), QByteArray(R"({"PEERADDR(":"OK","Val":"11:22:33:44:55:66"})"));
    QCOMPARE(ask("PEERADDR\r"), QByteArray(R"({"PEERADDR":"No Peer"})"));
    QCOMPARE(ask("RESET\r"), QByteArray(R"({"RESET":"OK"})"));
    QCOMPARE(ask("PING\r", kEnd, 150), QByteArray()); // restarting: lost
    QTest::qSleep(200);
    QCOMPARE(ask("PEERADDR\r"), QByteArray(R"({"PEERADDR":"OK","Val":"11:22:33:44:55:66"})"));
    QVERIFY(m_sim->command("status"));
    QVERIFY2(m_sim->lastReply().contains("pair=11:22:33:44:55:66"), qPrintable(m_sim->lastReply()));
}

void TestDevSim::fault_data()
{
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("line"); // everything that arrives within 250 ms

    QTest::newRow("silent") << QStringList{"silent on"} << QByteArray("PING\r") << QByteArray();
    QTest::newRow("garbage before the frame") << QStringList{"garbage on"} << QByteArray("VER\r")
                                              << QByteArray("x\r\n" R"({"VER":"OK","Val":"1.07"})");
    QTest::newRow("garbage, own bytes") << QStringList{"garbage 00 FF 7B"} << QByteArray("PING\r")
                                        << QByteArray("\x00\xFF\x7B" R"({"PING":"NoConnection"})", 26);
    QTest::newRow("no end mark") << QStringList{"no-end on"} << QByteArray("PING\r") << QByteArray(R"({"PING":"NoConnection)");
    QTest::newRow("lower-case echo") << QStringList{"lower-echo on"} << QByteArray("PEERADDR(0A:1B:2C:3D:4E:5F)\r")
                                     << QByteArray(R"({"peeraddr(":"OK","Val":"0A:1B:2C:3D:4E:5F"})");
    QTest::newRow("MemError to KEEP") << QStringList{"state waiting", "memerror on"} << QByteArray("KEEP\r")
                                      << QByteArray(R"({"KEEP":"MemError"})");
    QTest::newRow("MemError to PEERADDR(address)") << QStringList{"memerror on"} << QByteArray("PEERADDR(0A:1B:2C:3D:4E:5F)\r")
                                                   << QByteArray(R"({"PEERADDR(":"MemError"})");
    QTest::newRow("fixed reply") << QStringList{R"(reply VER {"VER":"OK","Val":"2.00"}\r\n)"} << QByteArray("VER\r")
                                 << QByteArray("{\"VER\":\"OK\",\"Val\":\"2.00\"}\r\n");
    QTest::newRow("faults off") << QStringList{"silent on", "no-end on", "reply PING x", "faults off"}
                                << QByteArray("PING\r") << QByteArray(R"({"PING":"NoConnection"})");
    QTest::newRow("faults off: PEERADDR(address) as usual again")
        << QStringList{"memerror 3", "peer-written 66:55:44:33:22:11", "once PEERADDR( lost", "faults off"}
        << QByteArray("PEERADDR(0A:1B:2C:3D:4E:5F)\r") << QByteArray(R"({"PEERADDR(":"OK","Val":"0A:1B:2C:3D:4E:5F"})");
    QTest::newRow("faults off: KEEP as usual again") << QStringList{"state waiting", "keep-address off", "faults off"}
                                                     << QByteArray("KEEP\r") << QByteArray(R"({"KEEP":"OK","Val":"0A:1B:2C:3D:4E:5F"})");
    QTest::newRow("faults off: KILL as usual again") << QStringList{"state paired", "kill-mode keeps", "faults off"}
                                                     << QByteArray("KILL\r") << QByteArray(R"({"KILL":"Peer Deleted"})");
    QTest::newRow("unsolicited bytes") << QStringList{"silent on", "send 4F 4B"} << QByteArray("PING\r") << QByteArray("OK");
}

void TestDevSim::fault()
{
    QFETCH(QStringList, controls);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, line);
    QVERIFY(up());
    for (const QString &c : controls)
        QVERIFY2(m_sim->command(c), qPrintable(m_sim->errorString()));
    m_port.write(command);
    QCOMPARE(m_port.readFor(250), line);
}

void TestDevSim::fault_rawIsOnceAndOverlongNeverEnds()
{
    QVERIFY(up());
    QVERIFY(m_sim->command("raw 7B 22 7D"));
    QCOMPARE(ask("VER\r"), QByteArray("{\"}"));
    QCOMPARE(ask("VER\r"), QByteArray(R"({"VER":"OK","Val":"1.07"})"));
    QVERIFY(m_sim->command("overlong on"));
    m_port.write("PING\r");
    const QByteArray got = m_port.readFor(300);
    QVERIFY(got.startsWith(R"({"PING":")"));
    QVERIFY(got.size() > 500);
    QVERIFY(!got.contains(kEnd));
}

void TestDevSim::control_refusesWhatItCannotDo_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("unknown control") << "explode";
    QTest::newRow("state name") << "state sleeping";
    QTest::newRow("address") << "devaddr 0A:1B:2C";
    QTest::newRow("hex") << "raw 7B 2";
    QTest::newRow("on/off") << "silent maybe";
    QTest::newRow("modem control without modem") << "drop";
    QTest::newRow("site without modem") << "site 101 paired";
    QTest::newRow("MemError count") << "memerror some";
    QTest::newRow("KILL mode") << "kill-mode sometimes";
    QTest::newRow("written address") << "peer-written 66:55:44";
    QTest::newRow("KEEP address switch") << "keep-address maybe";
    QTest::newRow("answer set aside without its text") << "once PING";
}

void TestDevSim::control_refusesWhatItCannotDo()
{
    QFETCH(QString, line);
    QVERIFY(up());
    QVERIFY(!m_sim->command(line));
    QVERIFY(m_sim->lastReply().startsWith("error " + line + " -- "));
    QVERIFY(m_sim->command("sync")); // still listening
}

void TestDevSim::trickle_keepsEveryGap()
{
    QVERIFY(up());
    QVERIFY(m_sim->command("trickle 15"));
    QCOMPARE(ask("VER\r"), QByteArray(R"({"VER":"OK","Val":"1.07"})"));
    QList<qint64> times;
    for (const DevSimLogEntry &e : m_sim->log())
        if (!e.fromProgram) {
            QCOMPARE(e.bytes.size(), 1);
            times << e.micros;
        }
    QCOMPARE(times.size(), 25);
    for (int i = 1; i < times.size(); ++i)
        QVERIFY2(times[i] - times[i - 1] >= 15000, qPrintable(QString::number(times[i] - times[i - 1])));
}

void TestDevSim::pace_sendsNoFasterThanTheRateTheProgramSet()
{
    QVERIFY(up({}, false, true, 1200)); // 8333 us a byte
    QVERIFY(m_sim->command("status"));
    QVERIFY2(m_sim->lastReply().contains("rate=1200"), qPrintable(m_sim->lastReply()));
    QCOMPARE(ask("PING\r"), QByteArray(R"({"PING":"NoConnection"})"));
    const qint64 wrote = m_sim->log().first().micros;
    QList<qint64> times;
    for (const DevSimLogEntry &e : m_sim->log())
        if (!e.fromProgram)
            times << e.micros;
    QCOMPARE(times.size(), 23);
    QVERIFY(times.first() - wrote >= 8333); // even the first byte takes its time on the wire
    // Each byte keeps its slot on the line: a late byte may be followed closely by the
    // next, but no byte leaves before the line rate allows it.
    for (int i = 1; i < times.size(); ++i)
        QVERIFY2(times[i] - wrote >= (i + 1) * 8333,
                 qPrintable(QString::number(times[i] - wrote)));
}

void TestDevSim::log_recordsBothWaysOnTheMonotonicClock()
{
    QVERIFY(up());
    const qint64 before = NowMicros();
    QCOMPARE(ask(QByteArray("\0VER\r", 5)), QByteArray(R"({"VER":"OK","Val":"1.07"})"));
    const qint64 after = NowMicros();
    const QList<DevSimLogEntry> log = m_sim->log();
    QCOMPARE(log.size(), 2);
    QVERIFY(log[0].fromProgram);
    QCOMPARE(log[0].bytes, QByteArray("\0VER\r", 5));
    QVERIFY(!log[1].fromProgram);
    QCOMPARE(log[1].bytes, QByteArray(R"({"VER":"OK","Val":"1.07"})"));
    QVERIFY(before <= log[0].micros && log[0].micros <= log[1].micros && log[1].micros <= after);
    QCOMPARE(m_sim->received(), QByteArray("\0VER\r", 5));
    m_sim->clearLog();
    QVERIFY(m_sim->log().isEmpty());
    m_port.write("PING\r");
    QVERIFY(m_sim->waitForReceived("PING\r", 2000));
    QVERIFY(m_sim->waitForSent("NoConnection", 2000));
}

void TestDevSim::modem_dialsCarriesEscapesAndHangsUp()
{
    QVERIFY(up({"--dial-ms", "50", "--guard-ms", "200"}, true));
    // Echo is on at first: the command comes back before the reply.
    QCOMPARE(ask("ATE0\r", "OK\r\n"), QByteArray("ATE0\r\r\nOK\r\n"));
    QCOMPARE(ask("ATV0\r", "\r"), QByteArray("0\r"));
    QCOMPARE(ask("ATV1\r", "OK\r\n"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("AT+CBST=7,0,1\r", "OK\r\n"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("AT+CPAS\r", "OK\r\n"), QByteArray("\r\n+CPAS: 0\r\n\r\nOK\r\n"));
    QCOMPARE(ask("PING\r", kEnd, 150), QByteArray()); // no call: nothing reaches the module
    QCOMPARE(ask("ATD+7 (555) 123\r", "9600\r\n", 1000), QByteArray("\r\nCONNECT 9600\r\n"));
    QCOMPARE(ask("PING\r"), QByteArray(R"({"PING":"NoConnection"})"));
    QCOMPARE(ask("+++", "\r\n", 100), QByteArray()); // within the guard time after data: no escape
    QCOMPARE(ask("\r"), QByteArray(R"({"ERROR":"Unknown command"})")); // the pluses were data
    QTest::qSleep(250);
    QCOMPARE(ask("+++", "OK\r\n", 1000), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("ath\r", "OK\r\n"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("ATD1\r", "9600\r\n", 1000), QByteArray("\r\nCONNECT 9600\r\n"));
    QVERIFY(m_sim->command("drop"));
    QCOMPARE(m_port.readUntil("\r\n\r\n", 500), QByteArray("\r\nNO CARRIER\r\n"));
    QVERIFY(!m_sim->command("drop"));
}

void TestDevSim::modem_escapeKeepsTheRealGuardTimeBeforeAndAfter()
{
    QVERIFY(up({"--dial-ms", "20"}, true)); // the guard time is the modem's own 1 s
    QVERIFY(connectCall());
    QTest::qSleep(600);
    QCOMPARE(ask("+++", "OK\r\n", 1500), QByteArray()); // 0.6 s of silence is not enough
    QTest::qSleep(1100);
    m_sim->clearLog();
    QCOMPARE(ask("+++", "OK\r\n", 2500), QByteArray("\r\nOK\r\n"));
    const QList<DevSimLogEntry> log = m_sim->log();
    QVERIFY(log.first().fromProgram && log.last().bytes == "\r\nOK\r\n");
    QVERIFY(log.last().micros - log.first().micros >= 1000000);
}

void TestDevSim::modem_guard_data()
{
    // With a guard time of 300 ms; each write follows the one before after its pause.
    QTest::addColumn<QList<int>>("pausesMs");
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QByteArray>("answer");   // what the modem says within the guard time after
    QTest::addColumn<QByteArray>("toCR");     // the reply to a CR sent then
    const QByteArray unknown = R"({"ERROR":"Unknown command"})"; // the pluses reached the module

    QTest::newRow("silence before and after") << QList<int>{400} << QByteArrayList{"+++"}
                                              << QByteArray("\r\nOK\r\n") << QByteArray();
    QTest::newRow("pluses in three writes") << QList<int>{400, 0, 0} << QByteArrayList{"+", "+", "+"}
                                            << QByteArray("\r\nOK\r\n") << QByteArray();
    QTest::newRow("data just before") << QList<int>{400, 0} << QByteArrayList{"x", "+++"} << QByteArray() << unknown;
    QTest::newRow("data just after") << QList<int>{400, 0} << QByteArrayList{"+++", "x"} << QByteArray() << unknown;
    QTest::newRow("pluses a guard time apart") << QList<int>{400, 400} << QByteArrayList{"+", "++"}
                                               << QByteArray() << unknown;
}

void TestDevSim::modem_guard()
{
    QFETCH(QList<int>, pausesMs);
    QFETCH(QByteArrayList, writes);
    QVERIFY(up({"--dial-ms", "20", "--guard-ms", "300"}, true));
    QVERIFY(connectCall());
    for (int i = 0; i < writes.size(); ++i) {
        QTest::qSleep(pausesMs[i]);
        QVERIFY(m_port.write(writes[i]));
    }
    QTEST(m_port.readFor(600), "answer");
    QTEST(ask("\r", kEnd, 300), "toCR");
}

void TestDevSim::modem_failures_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("busy") << "dial busy" << QByteArray("ATD1\r") << QByteArray("\r\nBUSY\r\n");
    QTest::newRow("no answer") << "dial no-answer" << QByteArray("ATD1\r") << QByteArray("\r\nNO ANSWER\r\n");
    QTest::newRow("no dial tone") << "dial no-dialtone" << QByteArray("ATD1\r") << QByteArray("\r\nNO DIALTONE\r\n");
    QTest::newRow("error") << "dial error" << QByteArray("ATD1\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("silent dial") << "dial silent" << QByteArray("ATD1\r") << QByteArray();
    // A character while it dials ends the attempt: no call, and no echo of it.
    QTest::newRow("dial abandoned by a character") << "dial connect" << QByteArray("ATD1\r\r") << QByteArray("\r\nNO CARRIER\r\n");
    QTest::newRow("silent dial abandoned") << "dial silent" << QByteArray("ATD1\rx") << QByteArray("\r\nNO CARRIER\r\n");
    QTest::newRow("dial that goes on whatever is sent") << "dial-abandon off" << QByteArray("ATD1\r\r")
                                                         << QByteArray("\r\nCONNECT 9600\r\n");
    QTest::newRow("GSM not ready") << "cpas 3" << QByteArray("AT+CPAS\r") << QByteArray("\r\n+CPAS: 3\r\n\r\nOK\r\n");
    QTest::newRow("no CPAS") << "cpas error" << QByteArray("AT+CPAS\r") << QByteArray("\r\nERROR\r\n");
}

void TestDevSim::modem_failures()
{
    QFETCH(QString, control);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QVERIFY(up({"--dial-ms", "20"}, true));
    QVERIFY(m_sim->command(control));
    QVERIFY(ask("ATE0\r", "OK\r\n").endsWith("OK\r\n"));
    m_port.write(command);
    QCOMPARE(m_port.readFor(250), reply);
}

void TestDevSim::modem_carrierLostInTheMiddleOfAFrame()
{
    QVERIFY(up({"--dial-ms", "20"}, true));
    QVERIFY(connectCall());
    QVERIFY(m_sim->command("drop-midframe 5"));
    m_port.write("PING\r");
    QCOMPARE(m_port.readFor(250), QByteArray("{\"PIN\r\nNO CARRIER\r\n"));
    QCOMPARE(ask("ATE0\r", "OK\r\n"), QByteArray("\r\nOK\r\n")); // command mode again
}

// A silent site's module must not stay silent for a number that is no site, nor ATH be
// refused once the modem is told to obey it again.
void TestDevSim::modem_siteFaultsEndWithTheSiteAndAthIgnoredKeepsTheCall()
{
    QVERIFY(up({"--dial-ms", "20", "--guard-ms", "50"}, true));
    QVERIFY(m_sim->command("site 5551234 silent"));
    QVERIFY(m_sim->command("ath ignored"));
    QVERIFY(connectCall());
    QCOMPARE(ask("PING\r", "}", 300), QByteArray());
    QTest::qSleep(80);
    QCOMPARE(ask("+++", "OK\r\n", 400), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("ATH\r", "OK\r\n", 300), QByteArray()); // ignored: no answer, the call stays
    QVERIFY(m_sim->command("status") && m_sim->lastReply().contains("modem=online-command"));
    QVERIFY(m_sim->command("ath obeyed"));
    QCOMPARE(ask("ATH\r", "OK\r\n", 300), QByteArray("\r\nOK\r\n"));
    QVERIFY(m_sim->command("site 5551234 off"));
    QVERIFY(connectCall());
    QCOMPARE(ask("PING\r", "}", 500), QByteArray(R"({"PING":"NoConnection"})"));
}

void TestDevSim::vanish_failsThePortAndRestorePublishesAgain()
{
    QVERIFY(up());
    QVERIFY(m_sim->command("vanish"));
    QVERIFY(!QFileInfo::exists(m_sim->devicePath()));
    QVERIFY(m_port.failsWithin(1000));
    QVERIFY(m_sim->command("restore"));
    QVERIFY(m_port.open(m_sim->devicePath()));
    QCOMPARE(ask("VER\r"), QByteArray(R"({"VER":"OK","Val":"1.07"})"));
}

void TestDevSim::exit_removesTheLinkOnEndOfInputAndOnSigterm()
{
    QVERIFY(up());
    const QString link = m_sim->devicePath();
    m_sim->stop();
    QVERIFY(!QFileInfo::exists(link));

    QProcess sim;
    sim.start(DevSim::Program(), {"--com-dir", m_dir->path(), "--port", "7"});
    QVERIFY(sim.waitForReadyRead(5000));
    QVERIFY(sim.readLine().startsWith("ready "));
    QVERIFY(QFileInfo::exists(m_dir->path() + "/COM7"));
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QVERIFY(!QFileInfo::exists(m_dir->path() + "/COM7"));
}

QTEST_GUILESS_MAIN(TestDevSim)
