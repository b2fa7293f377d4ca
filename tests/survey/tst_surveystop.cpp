// A stop of a survey round at every moment of a call, against the simulated modem: each
// leaves the modem on hook in command mode (or says, naming the port, that it may not
// be), keeps a site read before the stop, and ends the round soon after.
#include "survey/surveyengine.h"
#include "support/devsim.h"
#include "support/fasttiming.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tavrin;
using tavrin::test::DevSim;

namespace {

constexpr int kPort = 7;
// The hang-up's guard time here, and the modem's: close enough that "+++" sent too
// soon after a CONNECT is data, not an escape.
constexpr int kGuardMs = 400;
constexpr int kModemGuardMs = 350;
constexpr int kDialMs = 250;
// A stop ends the round within this, besides the guard times of two hang-up rounds.
constexpr int kStopToEndMs = 5000;

// Rows as they come; the first site's row may stop the round.
class StopObserver : public SurveyObserver {
public:
    std::function<void()> afterFirstSite;
    QList<SurveyRow> rows;

    void siteFinished(int index, const SurveyRow &row) override
    {
        {
            QMutexLocker lock(&m_mutex);
            rows.resize(qMax(int(rows.size()), index + 1));
            rows[index] = row;
        }
        if (index == 0 && afterFirstSite)
            afterFirstSite();
    }

private:
    QMutex m_mutex;
};

Settings PhoneSettings()
{
    Settings settings;
    settings.phone.portNumber = kPort;
    settings.phone.replyWaitSeconds = 1;
    settings.phone.byteWaitMs = 300;
    settings.phone.exchangeAttempts = 1;
    settings.modemCommands = QStringLiteral("ATS0=0");
    settings.connectWaitSeconds = 5;
    settings.dialRounds = 1;
    return settings;
}

SurveyTiming StopTiming()
{
    SurveyTiming timing;
    timing.link = test::FastTiming();
    timing.link.hangUpGuardMs = kGuardMs;
    timing.settleAfterOpenMs = 5;
    timing.pause = [](int ms) { Pause(ms / 50); };
    return timing;
}

} // namespace

class SurveyStopTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void stopAtEveryMoment_data();
    void stopAtEveryMoment();
    void severalPortsStoppedFromAnotherThread_data();
    void severalPortsStoppedFromAnotherThread();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DevSim> m_sim;
};

void SurveyStopTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TAVRIN_COM_DIR", m_dir->path().toLocal8Bit());
    m_sim = std::make_unique<DevSim>(m_dir->path());
    const QStringList args = {"--guard-ms", QString::number(kModemGuardMs), "--dial-ms", QString::number(kDialMs),
                              "--reply-ms", "60", "--site", "101 paired version=2.10", "--site", "102 waiting"};
    QVERIFY2(m_sim->start({.port = kPort, .modem = true, .extraArgs = args}), qPrintable(m_sim->errorString()));
}

void SurveyStopTest::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

void SurveyStopTest::stopAtEveryMoment_data()
{
    QTest::addColumn<QByteArray>("received"); // the stop once the program has sent this
    QTest::addColumn<QByteArray>("sent");     // ... and then the modem has sent this
    QTest::addColumn<int>("delayMs");         // ... and then this much later
    QTest::addColumn<bool>("betweenSites");   // the stop once the first site's row is in
    QTest::addColumn<bool>("athIgnored");     // the modem neither answers nor obeys ATH
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QByteArray>("wireEnd");  // how the first call ends on the wire

    const QString stopped = "Опрос остановлен пользователем";
    const QString read = "Прочитано";
    const QByteArray hangUp = "+++ath\r";
    QTest::newRow("before the dial") << QByteArray("ATE0\r") << QByteArray() << 0 << false << false
                                     << QStringList{stopped, stopped} << hangUp;
    QTest::newRow("during the init commands") << QByteArray("ATS0=0\r") << QByteArray() << 0 << false << false
                                              << QStringList{stopped, stopped} << hangUp;
    // The dial is abandoned by a character at once, before the call can connect.
    QTest::newRow("during ATD") << QByteArray("ATD101\r") << QByteArray() << 0 << false << false
                                << QStringList{stopped, stopped} << QByteArray("ATD101\r\r");
    QTest::newRow("right after CONNECT") << QByteArray("ATD101\r") << QByteArray("CONNECT") << 0 << false << false
                                         << QStringList{stopped, stopped} << hangUp;
    QTest::newRow("mid-reading") << QByteArray("PEERADDR\r") << QByteArray() << 0 << false << false
                                 << QStringList{stopped, stopped} << hangUp;
    // Within the hang-up's guard time, before "+++".
    QTest::newRow("after the last reply") << QByteArray("VER\r") << QByteArray("\"VER\"") << 100 << false << false
                                          << QStringList{read, stopped} << QByteArray("VER\r" + hangUp);
    QTest::newRow("during +++") << QByteArray("VER\r+++") << QByteArray() << 0 << false << false
                                << QStringList{read, stopped} << QByteArray("VER\r" + hangUp);
    QTest::newRow("during ATH") << QByteArray("VER\r+++ath\r") << QByteArray() << 0 << false << false
                                << QStringList{read, stopped} << QByteArray("VER\r" + hangUp);
    QTest::newRow("between sites") << QByteArray() << QByteArray() << 0 << true << false
                                   << QStringList{read, stopped} << QByteArray("VER\r" + hangUp);
    // ATH unanswered: one more round, then the row says so and names the port.
    QTest::newRow("ATH ignored") << QByteArray("PEERADDR\r") << QByteArray() << 0 << false << true
                                 << QStringList{"Модем на порту СОМ7 не ответил на ATH и, возможно, остался на линии", stopped}
                                 << QByteArray(hangUp + hangUp);
    // A site read keeps "Прочитано" and says too that its modem may still be online.
    QTest::newRow("ATH ignored after the last reply")
        << QByteArray("VER\r") << QByteArray("\"VER\"") << 100 << false << true
        << QStringList{"Прочитано. Модем на порту СОМ7 не ответил на ATH и, возможно, остался на линии", stopped}
        << QByteArray("VER\r" + hangUp + hangUp);
}

void SurveyStopTest::stopAtEveryMoment()
{
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, sent);
    QFETCH(int, delayMs);
    QFETCH(bool, betweenSites);
    QFETCH(bool, athIgnored);
    QFETCH(QStringList, results);
    QFETCH(QByteArray, wireEnd);
    if (athIgnored)
        QVERIFY(m_sim->command("ath ignored"));

    StopObserver observer;
    SurveyPool pool(PhoneSettings(), {kPort}, observer, StopTiming());
    QElapsedTimer sinceStop;
    if (betweenSites)
        observer.afterFirstSite = [&pool] { pool.stop(); };
    std::unique_ptr<QThread> round(QThread::create([&pool] {
        pool.run({{1, "Котельная", "101"}, {2, "Насосная", "102"}});
    }));
    round->start();
    if (!betweenSites) {
        QVERIFY(m_sim->waitForReceived(received, 20000));
        if (!sent.isEmpty())
            QVERIFY(m_sim->waitForSent(sent, 20000));
        QTest::qSleep(delayMs);
        pool.stop();
        sinceStop.start();
    }
    QVERIFY(round->wait(30000));
    if (sinceStop.isValid())
        QVERIFY2(sinceStop.elapsed() < kStopToEndMs + 2 * kGuardMs, qPrintable(QString::number(sinceStop.elapsed())));

    QStringList shown;
    for (const SurveyRow &row : observer.rows)
        shown << row.result;
    QCOMPARE(shown, results);
    QCOMPARE(observer.rows[0].read, results[0].startsWith("Прочитано"));
    QCOMPARE(observer.rows[0].leftOnlinePort, athIgnored ? kPort : 0);
    // The second site is never called.
    QVERIFY(m_sim->command("status"));
    const QString status = m_sim->lastReply();
    // On hook in command mode, unless the modem ignored ATH.
    QVERIFY2(status.contains(athIgnored ? "modem=online-command" : "modem=command") && !status.contains("dialling"),
             qPrintable(status));
    const QByteArray wire = m_sim->received();
    QCOMPARE(wire.count("ATD102"), 0);
    QVERIFY2(wire.endsWith(wireEnd), wire.right(60).constData());
}

void SurveyStopTest::severalPortsStoppedFromAnotherThread_data()
{
    QTest::addColumn<int>("ports");
    QTest::addColumn<int>("delayMs"); // from the start of the round to the stop
    for (int ports : {2, 4})
        for (int delayMs : {0, 15, 40, 90, 160, 250, 400, 650})
            QTest::addRow("%d ports, stop after %d ms", ports, delayMs) << ports << delayMs;
}

void SurveyStopTest::severalPortsStoppedFromAnotherThread()
{
    QFETCH(int, ports);
    QFETCH(int, delayMs);
    // Every port's modem reaches the same eight sites; the first port's is the one of init().
    QList<int> numbers{kPort};
    std::vector<std::unique_ptr<DevSim>> others;
    QStringList args = test::FastModemArgs();
    QList<SurveySubscriber> sites;
    for (int site = 1; site <= 8; ++site) {
        args << "--site" << QString("%1 paired").arg(200 + site);
        sites.append({site, QString("Объект %1").arg(site), QString::number(200 + site)});
    }
    QVERIFY(m_sim->command("guard 50"));
    QVERIFY(m_sim->command("dial-ms 100"));
    for (int site = 1; site <= 8; ++site)
        QVERIFY(m_sim->command(QString("site %1 paired").arg(200 + site)));
    for (int port = 1; port < ports; ++port) {
        others.push_back(std::make_unique<DevSim>(m_dir->path()));
        QVERIFY2(others.back()->start({.port = kPort + port, .modem = true, .extraArgs = args}),
                 qPrintable(others.back()->errorString()));
        numbers << kPort + port;
    }

    StopObserver observer;
    SurveyTiming timing = StopTiming();
    timing.link = test::FastTiming();
    SurveyPool pool(PhoneSettings(), numbers, observer, timing);
    std::unique_ptr<QThread> round(QThread::create([&pool, &sites] { pool.run(sites); }));
    round->start();
    QTest::qSleep(delayMs);
    pool.stop();
    QElapsedTimer sinceStop;
    sinceStop.start();
    QVERIFY(round->wait(30000));
    QVERIFY2(sinceStop.elapsed() < kStopToEndMs + 2 * timing.link.hangUpGuardMs,
             qPrintable(QString::number(sinceStop.elapsed())));

    // A row for every site, and every modem on hook in command mode.
    QCOMPARE(observer.rows.size(), sites.size());
    for (const SurveyRow &row : observer.rows)
        QVERIFY2(row.result == "Прочитано" || row.result == "Опрос остановлен пользователем", qPrintable(row.result));
    QList<DevSim *> modems{m_sim.get()};
    for (const auto &other : others)
        modems << other.get();
    for (DevSim *modem : modems) {
        QVERIFY(modem->command("status"));
        QVERIFY2(modem->lastReply().contains("modem=command") && !modem->lastReply().contains("dialling"),
                 qPrintable(modem->lastReply()));
    }
}

QTEST_GUILESS_MAIN(SurveyStopTest)
#include "tst_surveystop.moc"
