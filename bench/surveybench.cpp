// tavrin-bench-survey: a survey round of 20 sites through the simulated modem sending at
// 38400 bit/s, with a dial delay of 2 s, the real pauses and the real modem timing:
//
//   ratio = total time / (sum over sites of the unavoidable time)          (goal <= 1.02)
//
// A site's unavoidable time: the simulator's dial delay; the fixed pauses the program
// takes (the settling after the port opens, the pause before dialling and the one after
// CONNECT, the gap before each modem command, the state reading's pauses, the hang-up's
// guard before "+++"); the modem's own guard time after "+++", which its OK waits for;
// and the wire time of every byte both ways, 10 bits a byte at the line rate (counted
// from the simulators' logs; a strict ratio counts the simulator's bytes alone). Then the same 20 sites over four simulated modems, one
// call per modem at a time: wall time against the one-modem round (goal <= 0.3). Last,
// a round of five sites in the survey window: the longest stall of the window's event
// loop, as a 10 ms timer measures its own lateness (goal <= 50 ms).
#include "benchsim.h"
#include "link/linktiming.h"
#include "link/serialport.h"
#include "survey/surveyengine.h"

#include "dialogs/formsurvey.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

using namespace tavrin;
using tavrin::test::DevSim;

namespace {

constexpr qint32 kRate = 38400;
constexpr int kSites = 20;
constexpr int kModems = 4;
constexpr int kDialMs = 2000;
constexpr int kModemGuardMs = 1000;

class Rows : public SurveyObserver {
public:
    void siteFinished(int, const SurveyRow &row) override
    {
        QMutexLocker lock(&m_mutex);
        ++done;
        read += row.read ? 1 : 0;
    }
    int done = 0;
    int read = 0;

private:
    QMutex m_mutex;
};

struct Pauses {
    QMutex mutex;
    double ms = 0;
};

Settings BenchSettings()
{
    Settings settings;
    settings.phone.portNumber = 1;
    settings.phone.bitRate = kRate;
    settings.connectWaitSeconds = 10;
    return settings;
}

QList<SurveySubscriber> Subscribers()
{
    QList<SurveySubscriber> subscribers;
    for (int site = 1; site <= kSites; ++site)
        subscribers.append({site, QStringLiteral("Объект %1").arg(site), QString::number(200 + site)});
    return subscribers;
}

// Wire time of what the simulators logged: both ways, or only what they sent (on a
// pseudo-terminal the program's own bytes arrive at once, so their share of the wire
// time is never spent).
double WireMs(std::vector<std::unique_ptr<DevSim>> &sims, bool sentOnly)
{
    qint64 bytes = 0;
    for (auto &sim : sims) {
        for (const test::DevSimLogEntry &entry : sim->log())
            bytes += !sentOnly || !entry.fromProgram ? entry.bytes.size() : 0;
    }
    return double(bytes) * 10 * 1000.0 / kRate;
}

struct Result {
    double totalMs = 0;
    double unavoidableMs = 0;
    double strictMs = 0; // with the simulators' own bytes as the wire time
    int read = 0;
};

Result RunRound(std::vector<std::unique_ptr<DevSim>> &sims, int modems)
{
    for (auto &sim : sims)
        sim->clearLog();
    Rows rows;
    auto pauses = std::make_shared<Pauses>();
    SurveyTiming timing;
    timing.pause = [pauses](int ms) {
        Pause(ms);
        QMutexLocker lock(&pauses->mutex);
        pauses->ms += ms;
    };
    QList<int> ports;
    for (int port = 1; port <= modems; ++port)
        ports << port;
    SurveyPool pool(BenchSettings(), ports, rows, timing);
    const double start = bench::NowMs();
    pool.run(Subscribers());
    Result result;
    result.totalMs = bench::NowMs() - start;
    result.read = rows.read;

    const LinkTiming link;
    // Per site: the pause before dialling, the pause after CONNECT, the gap before
    // each of the six modem commands (ATE0, ATV1, AT+CPAS, ATD, +++, ATH), the hang-up's
    // guard, the modem's guard after "+++", and the dial delay.
    // The settling after the port opens goes through timing.pause, counted there.
    const double perSite = link.dialPauseMs + link.acceptedCommandPauseMs +
                           6 * link.commandGapMs + link.hangUpGuardMs + kModemGuardMs + kDialMs;
    result.unavoidableMs = kSites * perSite + pauses->ms + WireMs(sims, false);
    result.strictMs = kSites * perSite + pauses->ms + WireMs(sims, true);
    return result;
}

// The survey window's round over the first five sites through the first modem: the
// longest time the window's thread took to come back to a timer due every 10 ms.
double GuiStallMs()
{
    constexpr int kTickMs = 10;
    QTemporaryDir reports;
    TFormSurvey window(BenchSettings(), Subscribers().first(5), reports.path(), nullptr);
    window.showMessage = [](const QString &) {};
    window.show();
    double longest = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6 - kTickMs);
        sinceTick.restart();
    });
    QEventLoop loop;
    QTimer done;
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (!window.running())
            loop.quit();
    });
    window.startRound();
    sinceTick.start();
    tick.start(kTickMs);
    done.start(50);
    loop.exec();
    return longest;
}

} // namespace

int main(int argc, char **argv)
{
    // A window without a display is drawn off screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::SimulatorFolder folder;
    QStringList sites;
    for (int site = 1; site <= kSites; ++site)
        sites << "--site" << QStringLiteral("%1 %2").arg(200 + site).arg(site % 2 ? "paired" : "none");
    std::vector<std::unique_ptr<DevSim>> sims;
    for (int port = 1; port <= kModems; ++port) {
        sims.push_back(std::make_unique<DevSim>(folder.path()));
        QStringList args = sites;
        args << "--dial-ms" << QString::number(kDialMs) << "--guard-ms" << QString::number(kModemGuardMs);
        if (!sims.back()->start({.port = port, .modem = true, .pace = true, .extraArgs = args})) {
            std::fprintf(stderr, "cannot start the simulator: %s\n", qPrintable(sims.back()->errorString()));
            return 1;
        }
    }

    const Result one = RunRound(sims, 1);
    const double ratio = one.totalMs / one.unavoidableMs;
    const double strict = one.totalMs / one.strictMs;
    std::printf("one modem:   %d sites, %d read, %.0f ms; unavoidable %.0f ms; ratio %.4f (goal <= 1.02) %s\n", kSites,
                one.read, one.totalMs, one.unavoidableMs, ratio, ratio <= 1.02 ? "ok" : "MISSED");
    std::printf("             strict ratio, the simulator's bytes alone as wire time: %.4f (goal <= 1.02) %s\n", strict,
                strict <= 1.02 ? "ok" : "MISSED");
    std::fflush(stdout);
    const Result four = RunRound(sims, kModems);
    const double share = four.totalMs / one.totalMs;
    std::printf("four modems: %d sites, %d read, %.0f ms; %.3f of the one-modem round (goal <= 0.3) %s\n", kSites,
                four.read, four.totalMs, share, share <= 0.3 ? "ok" : "MISSED");
    std::fflush(stdout);
    const double stall = GuiStallMs();
    std::printf("window:      5 sites; the GUI thread's longest stall %.1f ms (goal <= 50) %s\n", stall,
                stall <= 50 ? "ok" : "MISSED");
    return ratio <= 1.02 && strict <= 1.02 && share <= 0.3 && one.read == kSites && four.read == kSites && stall <= 50
               ? 0
               : 1;
}
