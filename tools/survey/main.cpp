// tavrin-survey: the survey of the sites without a window, for a scheduled job.
#include "surveycommand.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    tavrin::SurveyCommandContext context(out, err);
    context.terminal = ::isatty(STDERR_FILENO) == 1;
    context.executableDir = QCoreApplication::applicationDirPath();

    // SIGINT and SIGTERM end the round through the event loop: a pipe wakes it, and the
    // round hangs up the call in progress and writes what was read.
    std::unique_ptr<QSocketNotifier> stopNotifier;
    if (::pipe(g_signalPipe) == 0) {
        context.onRunning = [&stopNotifier](std::function<void()> stop) {
            stopNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
            QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, [stop] {
                char byte = 0;
                [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
                stop();
            });
            struct sigaction action {};
            action.sa_handler = OnStopSignal;
            sigemptyset(&action.sa_mask);
            sigaction(SIGINT, &action, nullptr);
            sigaction(SIGTERM, &action, nullptr);
        };
    }
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return tavrin::RunSurveyCommand(arguments, context);
}
