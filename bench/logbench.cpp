// tavrin-bench-log: what the exchange log costs as it grows, in the real main window
// (offscreen unless QT_QPA_PLATFORM says otherwise) linked to the simulated module,
// with 100,000 and then 1,000,000 trace lines in the log:
//   1. CPU per PING pressed in the command view, the log drawn after each: one window
//      whose log holds that many lines, one whose log is kept near empty, each on a
//      simulator of its own, their PINGs alternating so that the load of a shared
//      machine falls on both alike; the ratio of the two (goal: at most 1.2).
//   2. Memory per logged byte: the resident size before and after the lines are
//      logged, as the engine logs them, over the bytes sent and received (goal: at
//      most 4).
// With --accessible both logs speak to assistive technology as with its bridge on: each
// flush's insertion is taken, with its text, and the log's text length asked for, as a
// screen reader that follows the log does.
#include "benchsim.h"

#include "app/exchangelogaccessible.h"
#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/tavrinapplication.h"
#include "dialogs/formconnect.h"
#include "support/devsim.h"

#include <QAccessible>
#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace tavrin;
using tavrin::test::DevSim;

namespace {

constexpr int kPings = 400;
constexpr int kFullLogLines[] = {100000, 1000000};
constexpr int kEmptyLogPings = 50; // the near-empty log is cleared after so many PINGs

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

// Lets the windows process their events for a while: collected text reaches the log.
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

double mean(const std::vector<double> &values)
{
    double total = 0;
    for (double value : values)
        total += value;
    return total / double(values.size());
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

// A shown window linked at 115200 bit/s to the simulator on COM<port>, in the command
// view.
struct LinkedWindow {
    DevSim sim;
    QTemporaryDir programDir;
    std::unique_ptr<TFormMain> window;

    explicit LinkedWindow(const QString &ports) : sim(ports) {}

    bool open(int port)
    {
        test::DevSimOptions options;
        options.port = port;
        if (!sim.start(options))
            return false;
        window = std::make_unique<TFormMain>(programDir.path());
        Settings &s = window->session().store().CurrentSettings;
        s.connectionKind = Direct;
        s.direct = ConnectionParameters{.portNumber = quint8(port), .bitRate = 115200, .exchangeAttempts = 1, .replyWaitSeconds = 2, .byteWaitMs = 100};
        window->session().store().SavedSettings = s;
        window->show();
        window->findChild<QTimer *>(QStringLiteral("TimerStart"))->stop();
        acceptConnectDialog();
        window->findChild<QAction *>(QStringLiteral("Nconn"))->trigger();
        if (!window->session().link().LinkOpen)
            return false;
        window->findChild<QAction *>(QStringLiteral("Ncommand"))->trigger();
        return true;
    }

    // Presses "PING"; its CPU until the log has been drawn.
    double ping()
    {
        const double start = cpuMs();
        window->findChild<QPushButton *>(QStringLiteral("bt3"))->click();
        QCoreApplication::processEvents();
        const double cost = cpuMs() - start;
        if (window->session().channel().result != ExchangeOk)
            std::fprintf(stderr, "PING failed: %d\n", window->session().channel().result);
        return cost;
    }
};

// Lines as PING exchanges leave them, traced as the engine traces them; returns the
// bytes sent and received.
qint64 fillLog(TraceLog &log, int lines)
{
    const QByteArray command = "PING\r";
    const QByteArray reply = "{\"PING\":\"NoConnection\"}";
    qint64 bytes = 0;
    for (int i = 0; i < lines; i += 3) {
        log.beginExchange();
        log.addLine(QStringLiteral(" "));
        log.addLine(QStringLiteral(" "));
        log.traceBytes(command.constData(), int(command.size()), TraceDirection::Sent);
        log.addLine(QStringLiteral(" "));
        log.traceBytes(reply.constData(), int(reply.size()), TraceDirection::Received);
        bytes += command.size() + reply.size();
    }
    log.refresh();
    return bytes;
}

// Listens to the log as assistive technology's bridge does.
void listenAsABridge(ExchangeLogView *log)
{
    log->announcer().setListener([log](QAccessibleEvent *event) {
        static qint64 heard = 0;
        if (event->type() == QAccessible::TextInserted)
            heard += static_cast<QAccessibleTextInsertEvent *>(event)->textInserted().size();
        if (QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(log))
            heard += reader->textInterface()->characterCount();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    const bool accessible = argc > 1 && qstrcmp(argv[1], "--accessible") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TavrinApplication app(argc, argv);
    const bench::SimulatorFolder ports;
    LinkedWindow empty(ports.path());
    LinkedWindow full(ports.path());
    if (!empty.open(1) || !full.open(2)) {
        std::fprintf(stderr, "cannot link to the simulated modules on COM1 and COM2\n");
        return 1;
    }
    if (accessible) {
        for (LinkedWindow *linked : {&empty, &full})
            listenAsABridge(linked->window->findChild<ExchangeLogView *>(QStringLiteral("Memo1")));
        std::printf("with assistive technology listening\n");
    }
    for (int k = 0; k < 50; ++k) { // warm up
        empty.ping();
        full.ping();
    }
    for (const int fullLines : kFullLogLines) {
        empty.window->ClearLog();
        full.window->ClearLog();
        settle(200);

        const double before = residentBytes();
        auto *fullLog = full.window->findChild<ExchangeLogView *>(QStringLiteral("Memo1"));
        const qint64 logged = fillLog(*fullLog, fullLines);
        fullLog->scrollToEnd();
        settle(200);
        const double after = residentBytes();
        const int lines = fullLog->lineCount();

        std::vector<double> emptyCosts;
        std::vector<double> fullCosts;
        for (int k = 0; k < kPings; ++k) {
            if (k % 2 == 0) {
                emptyCosts.push_back(empty.ping());
                fullCosts.push_back(full.ping());
            } else {
                fullCosts.push_back(full.ping());
                emptyCosts.push_back(empty.ping());
            }
            if (k % kEmptyLogPings == kEmptyLogPings - 1) {
                empty.window->ClearLog();
                empty.sim.clearLog();
                full.sim.clearLog();
            }
        }

        std::printf("%d lines in the log\n", fullLines);
        std::printf("1. CPU per PING (115200 bit/s, the log drawn after each; %d PINGs each, alternating)\n", kPings);
        std::printf("   log near empty (at most %d lines): median %.3f ms, mean %.3f ms\n", 3 * kEmptyLogPings,
                    median(emptyCosts), mean(emptyCosts));
        std::printf("   log from %d lines:             median %.3f ms, mean %.3f ms\n", lines, median(fullCosts),
                    mean(fullCosts));
        std::printf("   ratio full/empty: median %.2f, mean %.2f  (goal <= 1.2)\n",
                    median(fullCosts) / median(emptyCosts), mean(fullCosts) / mean(emptyCosts));
        std::printf("2. memory: %d lines logging %lld bytes took %.1f MB resident = %.2f bytes per logged byte"
                    "  (goal <= 4)\n",
                    fullLines, qint64(logged), (after - before) / 1e6, (after - before) / double(logged));
        std::fflush(stdout);
    }
    return 0;
}
