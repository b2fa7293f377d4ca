// tavrin-bench-log: what the exchange log costs as it grows, in the real main window
// (offscreen unless QT_QPA_PLATFORM says otherwise) linked to the simulated module.
//   1. CPU per PING pressed in the command view, the log drawn after each, with an
//      empty log and with 100,000 lines in it; the ratio of the two.
//   2. Memory per logged byte: the resident size before and after 100,000 trace lines
//      are logged, over the bytes they show.
#include "app/formmain.h"
#include "app/tavrinapplication.h"
#include "dialogs/formconnect.h"
#include "support/devsim.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavrin;
using tavrin::test::DevSim;

namespace {

constexpr int kPings = 300;
constexpr int kFullLogLines = 100000;

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

// Lets the window process its events for a while: collected text reaches the log.
void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Accepts the connect dialog as it stands once it shows.
void acceptConnectDialog()
{
    auto *accept = new QTimer;
    QObject::connect(accept, &QTimer::timeout, [accept] {
        if (auto *dialog = qobject_cast<TFormConnect *>(QApplication::activeModalWidget())) {
            dialog->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click(); // "Принять"
            accept->deleteLater();
        }
    });
    accept->start(10);
}

bool linkWindow(TFormMain &window)
{
    Settings &s = window.session().store().CurrentSettings;
    s.Conn_Prz = Direct;
    s.direct.COMPort = 1;
    s.direct.Rate = 115200;
    s.direct.WaitTime = 2;
    s.direct.TimeOut = 100;
    s.direct.Repeat = 1;
    s.direct.First_Zero_Need = false;
    window.session().store().SavedSettings = s;
    window.show();
    window.findChild<QTimer *>(QStringLiteral("TimerStart"))->stop();
    acceptConnectDialog();
    window.findChild<QAction *>(QStringLiteral("Nconn"))->trigger();
    if (!window.session().link().LinkOpen)
        return false;
    window.findChild<QAction *>(QStringLiteral("Ncommand"))->trigger();
    return true;
}

struct PingCost {
    double medianMs;
    double meanMs;
};

// Presses "PING" count times; each press is counted until the log has been drawn.
PingCost measurePings(TFormMain &window, DevSim &sim, int count)
{
    QPushButton *ping = window.findChild<QPushButton *>(QStringLiteral("bt3"));
    std::vector<double> costs;
    for (int k = 0; k < count; ++k) {
        const double start = cpuMs();
        ping->click();
        QCoreApplication::processEvents();
        costs.push_back(cpuMs() - start);
        if (window.session().channel().result != ExchangeOk)
            std::fprintf(stderr, "PING %d failed: %d\n", k, window.session().channel().result);
        if (k % 100 == 99)
            sim.clearLog();
    }
    double total = 0;
    for (double cost : costs)
        total += cost;
    return {median(costs), total / double(costs.size())};
}

// Lines as PING exchanges leave them; returns the bytes they show.
qint64 fillLog(TraceLog &log, int lines)
{
    const QString command = QStringLiteral(" PING") + QChar(0x240D);
    const QString reply = QStringLiteral(" {\"PING\":\"NoConnection\"}");
    qint64 bytes = 0;
    for (int i = 0; i < lines; ++i) {
        const QString &line = i % 3 == 0 ? QStringLiteral(" ") : i % 3 == 1 ? command : reply;
        if (i % 3 == 0)
            log.beginExchange();
        log.addLine(line);
        bytes += line.size() - 1; // the leading blank is the log's own
    }
    log.refresh();
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TavrinApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("TAVRIN_DEVSIM"))
        qputenv("TAVRIN_DEVSIM", QFile::encodeName(QCoreApplication::applicationDirPath() + "/tavrin-devsim"));
    QTemporaryDir comDir;
    QTemporaryDir programDir;
    qputenv("TAVRIN_COM_DIR", QFile::encodeName(comDir.path()));

    DevSim sim(comDir.path());
    if (!sim.start()) {
        std::fprintf(stderr, "cannot start the simulator: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    TFormMain window(programDir.path());
    if (!linkWindow(window)) {
        std::fprintf(stderr, "cannot link to the simulated module on COM1\n");
        return 1;
    }

    measurePings(window, sim, 50); // warm up
    window.ClearLog();
    const PingCost empty = measurePings(window, sim, kPings);

    window.ClearLog();
    settle(200);
    const double before = residentBytes();
    const qint64 logged = fillLog(window.log(), kFullLogLines);
    window.scrollLogToEnd();
    settle(200);
    const double after = residentBytes();
    const int lines = window.log().lineCount();
    const PingCost full = measurePings(window, sim, kPings);

    std::printf("1. CPU per PING (115200 bit/s, the log drawn after each; %d PINGs each)\n", kPings);
    std::printf("   log from empty:        median %.3f ms, mean %.3f ms\n", empty.medianMs, empty.meanMs);
    std::printf("   log from %d lines: median %.3f ms, mean %.3f ms\n", lines, full.medianMs, full.meanMs);
    std::printf("   ratio full/empty: median %.2f, mean %.2f  (goal <= 1.2)\n", full.medianMs / empty.medianMs,
                full.meanMs / empty.meanMs);
    std::printf("2. memory: %d lines showing %lld bytes took %.1f MB resident = %.1f bytes per logged byte\n",
                kFullLogLines, qint64(logged), (after - before) / 1e6, (after - before) / double(logged));
    return 0;
}
