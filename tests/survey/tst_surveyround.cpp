// A survey round against the simulated modem with several sites behind it: every kind
// of row, the literal bytes each call puts on the line, and a stop in the middle.
#include "survey/surveyengine.h"
#include "survey/surveytexts.h"
#include "support/devsim.h"
#include "support/fasttiming.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tavrin;
using tavrin::test::DevSim;

namespace {

constexpr int kPort = 5;

// Collects the rows; runs a step when a chosen site is being called.
class RowCollector : public SurveyObserver {
public:
    QList<int> started;
    QList<SurveyRow> rows;
    std::function<void(int index)> onStarted;

    void siteStarted(int index) override
    {
        started << index;
        if (onStarted)
            onStarted(index);
    }
    void siteFinished(int index, const SurveyRow &row) override
    {
        QCOMPARE(index, rows.size());
        rows << row;
    }
};

Settings PhoneSettings()
{
    Settings settings;
    settings.phone.COMPort = kPort;
    settings.phone.WaitTime = 1;
    settings.phone.TimeOut = 300;
    settings.phone.Repeat = 1;
    settings.ConnectWaitTime = 5;
    settings.Conn_Repeat = 1;
    return settings;
}

SurveyTiming FastSurvey(QList<int> *pauses = nullptr)
{
    SurveyTiming timing;
    timing.link = test::FastTiming();
    timing.settleAfterOpenMs = 5;
    timing.pause = [pauses](int ms) {
        if (pauses)
            pauses->append(ms);
        Pause(ms / 50);
    };
    return timing;
}

// The bytes of each call: from one presence check ("ATE0" CR) to the next.
QList<QByteArray> Calls(const QByteArray &wire)
{
    QList<QByteArray> calls;
    qsizetype start = wire.indexOf("ATE0\r");
    while (start >= 0) {
        qsizetype next = wire.indexOf("ATE0\r", start + 5);
        // The presence check may repeat its ATE0 within one call.
        while (next >= 0 && wire.mid(start, next - start).indexOf("ATD") < 0)
            next = wire.indexOf("ATE0\r", next + 5);
        calls << wire.mid(start, next < 0 ? -1 : next - start);
        start = next;
    }
    return calls;
}

} // namespace

class SurveyRoundTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void roundWithEveryKindOfRow_rowsAndWireOfEachCall();
    void stopBeforeAnySite_nothingDialled();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DevSim> m_sim;
};

void SurveyRoundTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TAVRIN_COM_DIR", m_dir->path().toLocal8Bit());
    m_sim = std::make_unique<DevSim>(m_dir->path());
    QStringList args = test::FastModemArgs();
    args << "--site" << "101 paired peripheral=0A:0B:0C:0D:0E:01 devaddr=00:1A:7D:00:00:01 version=2.10"
         << "--site" << "102 no-answer"
         << "--site" << "103 busy"
         << "--site" << "104 silent"
         << "--site" << "105 undefined"
         << "--site" << "106 connected drop=2"
         << "--site" << "107 waiting peripheral=0A:0B:0C:0D:0E:07"
         << "--site" << "108 silent";
    QVERIFY2(m_sim->start({.port = kPort, .modem = true, .extraArgs = args}), qPrintable(m_sim->errorString()));
}

void SurveyRoundTest::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

void SurveyRoundTest::roundWithEveryKindOfRow_rowsAndWireOfEachCall()
{
    const QList<SurveySubscriber> subscribers = {
        {1, "Котельная №1", "101"},   {2, "Насосная", "102"}, {3, "Склад", "1-03"},
        {4, "Гараж", "104"},          {5, "Мастерская", "105"}, {6, "Щитовая", "(106)"},
        {7, "Проходная", "107"},      {8, "Ангар", "108"},     {9, "Вышка", "109"},
    };
    RowCollector collector;
    QList<int> pauses;
    SurveyEngine engine(PhoneSettings(), collector, 0, FastSurvey(&pauses));
    // The eighth site's module is silent: the stop lands while its PING waits.
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (m_sim->received().contains("ATD108\rPING\r")) {
            watch.stop();
            engine.stop();
        }
    });
    collector.onStarted = [&watch](int index) {
        if (index == 7)
            watch.start(20);
    };
    engine.run(subscribers);

    QCOMPARE(collector.started, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(collector.rows.size(), 9);
    QStringList results;
    for (const SurveyRow &row : collector.rows)
        results << row.result;
    QCOMPARE(results, (QStringList{
                          "Прочитано",
                          "Абонент не отвечает",
                          "Номер абонента занят",
                          "Сбой операции. Не выполнена команда \"PING\".",
                          "Неопределенный ответ на команду \"PING\"",
                          "Потеря несущей",
                          "Прочитано",
                          "Опрос остановлен пользователем",
                          "Опрос остановлен пользователем",
                      }));

    const SurveyRow &paired = collector.rows[0];
    QVERIFY(paired.read);
    QCOMPARE(paired.state.connection, "Нет");
    QCOMPARE(paired.state.pair, "Есть");
    QCOMPARE(paired.state.peerAddress, "0A:0B:0C:0D:0E:01");
    QCOMPARE(paired.state.ownAddress, "00:1A:7D:00:00:01");
    QCOMPARE(paired.state.version, "2.10");
    QCOMPARE(paired.state.mode, "Эксплуатационный");
    const SurveyRow &waiting = collector.rows[6];
    QCOMPARE(waiting.state.connection, "Есть");
    QCOMPARE(waiting.state.pair, "Нет");
    QCOMPARE(waiting.state.peerAddress, "0A:0B:0C:0D:0E:07");
    QCOMPARE(waiting.state.mode, "Пусконаладочный");
    // A failed site keeps no value of its reading; the unreached one has no time.
    for (int index : {1, 2, 3, 4, 5, 7, 8})
        QVERIFY2(!collector.rows[index].read && collector.rows[index].state.version.isEmpty() &&
                     collector.rows[index].state.connection.isEmpty(),
                 qPrintable(QString::number(index)));
    QVERIFY(collector.rows[7].started.isValid());
    QVERIFY(!collector.rows[8].started.isValid());

    // Each road on the wire, literally: the modem's dialogue, to the module only the
    // state reading's commands, and the hang-up at the end of every call made.
    const QByteArray dial = "ATE0\rATV1\rAT+CPAS\r";
    const QByteArray hangUp = "+++ath\r";
    QList<QByteArray> calls = Calls(m_sim->received());
    QCOMPARE(calls.size(), 8);
    // The stop came while the silent module's PING waited: PING was sent once or twice.
    const QByteArray stopped = calls.takeLast();
    QVERIFY2(stopped == dial + "ATD108\rPING\r" + hangUp || stopped == dial + "ATD108\rPING\rPING\r" + hangUp,
             stopped.constData());
    // The silent module: PING's three attempts, each a free repeat after its first
    // time-out on a phone link and one that costs the attempt.
    QCOMPARE(calls, (QList<QByteArray>{
                        dial + "ATD101\rPING\rPEERADDR\rDEVADDR\rVER\r" + hangUp,
                        dial + "ATD102\r",
                        dial + "ATD103\r",
                        dial + "ATD104\rPING\rPING\rPING\rPING\rPING\rPING\r" + hangUp,
                        dial + "ATD105\rPING\r" + hangUp,
                        dial + "ATD106\rPING\rPEERADDR\r" + hangUp,
                        dial + "ATD107\rPING\rDEVADDR\rVER\r" + hangUp,
                    }));
    // The reading's pauses: 500 ms between its commands and between PING's attempts.
    QVERIFY(!pauses.isEmpty());
    for (int ms : pauses)
        QVERIFY(ms == 500 || ms == 5);
}

void SurveyRoundTest::stopBeforeAnySite_nothingDialled()
{
    RowCollector collector;
    SurveyEngine engine(PhoneSettings(), collector, 0, FastSurvey());
    engine.stop();
    engine.run({{1, "Котельная", "101"}, {2, "Насосная", "102"}});
    QCOMPARE(collector.started, QList<int>{});
    QCOMPARE(collector.rows.size(), 2);
    QCOMPARE(collector.rows[1].result, "Опрос остановлен пользователем");
    QCOMPARE(m_sim->received(), QByteArray());
}

QTEST_GUILESS_MAIN(SurveyRoundTest)
#include "tst_surveyround.moc"
