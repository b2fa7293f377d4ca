// tavrin-screenshots [--font-points N] OUTDIR: the program's main window, started in a program folder of
// its own against the simulated module (COM1) and the simulated modem with a module
// behind it (COM2), walked through every window as a user would; each window is saved
// in OUTDIR as a PNG of the screen with the window manager's frame. Needs an X display
// with a window manager: scripts/screenshots runs it under Xvfb with openbox. Exits
// with status 1, naming the window, when one does not appear. --font-points sets the
// application font's size, to see the windows grow with a larger font.
#include "scenario.h"
#include "walk.h"

#include "app/formmain.h"
#include "app/tavrinapplication.h"
#include "support/devsim.h"

#include <QFile>
#include <QFont>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace tavrin;
using namespace tavrin::screenshots;

namespace {

// The whole walk takes well under a minute; a walk still going after this has hung.
constexpr int kWalkLimitMs = 180000;

void StartSimulator(test::DevSim &simulator, int port, bool modem, const QStringList &extraArgs = {})
{
    test::DevSimOptions options;
    options.port = port;
    options.modem = modem;
    options.extraArgs = extraArgs;
    if (!simulator.start(options))
        Walk::Fail(QStringLiteral("the simulator did not start: ") + simulator.errorString());
}

} // namespace

int main(int argc, char *argv[])
{
    TavrinApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 3 && arguments[0] == QLatin1String("--font-points")) {
        bool ok = false;
        const int points = arguments[1].toInt(&ok);
        if (!ok || points < 4 || points > 72) {
            std::fprintf(stderr, "tavrin-screenshots: --font-points needs a size from 4 to 72\n");
            return 2;
        }
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
        arguments = arguments.mid(2);
    }
    if (arguments.size() != 1) {
        std::fprintf(stderr, "Usage: tavrin-screenshots [--font-points N] OUTDIR\n");
        return 2;
    }
    // The INI files and the simulated ports live in folders of the walk's own, never
    // beside the build's program.
    QTemporaryDir program;
    QTemporaryDir ports;
    if (!program.isValid() || !ports.isValid())
        Walk::Fail(QStringLiteral("cannot make a temporary folder"));
    qputenv("TAVRIN_COM_DIR", QFile::encodeName(ports.path()));

    test::DevSim cable(ports.path());
    test::DevSim modem(ports.path());
    test::DevSim secondModem(ports.path()); // the survey's second modem
    StartSimulator(cable, 1, false);
    StartSimulator(modem, 2, true, SurveySites());
    StartSimulator(secondModem, 3, true, SurveySites());
    // A site the survey reads over the network: the simulator's own TCP line.
    test::DevSim networkSite(ports.path());
    if (!networkSite.start({.port = 4, .listen = true, .extraArgs = {"--state", "paired", "--module-version", "1.08"}}))
        Walk::Fail(QStringLiteral("the network site's simulator did not start: ") + networkSite.errorString());

    TFormMain window(program.path());
    Walk walk(window, arguments[0]);
    const WalkPlan plan(walk, window, cable, QStringLiteral("127.0.0.1:%1").arg(networkSite.tcpPort()));
    QObject::connect(&window, &TFormMain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QTimer::singleShot(kWalkLimitMs, [] { Walk::Fail(QStringLiteral("the walk did not end within three minutes")); });
    window.show();
    walk.start();
    app.exec();
    if (walk.remaining() > 0)
        Walk::Fail(QStringLiteral("the window closed with %1 steps of the walk left").arg(walk.remaining()));
    std::printf("saved: %s\n", walk.saved().join(QLatin1Char(' ')).toLocal8Bit().constData());
    return 0;
}
