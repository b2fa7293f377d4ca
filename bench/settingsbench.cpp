// tavrin-bench-settings: how long the start-up read of the settings files takes for
// files of every shape up to the 1 MB a file may have, and for the hostile files that
// were slow before (many sections, tens of megabytes). Each case runs in a process of
// its own, so its peak memory is its own too. Beside the wall-clock median each case
// shows the median of the process's CPU time, which other programs on a busy machine
// disturb far less; the last line names the slowest of the 1 MB shapes.
//   tavrin-bench-settings           all cases, one line each, then the worst 1 MB shape
//   tavrin-bench-settings <case>    one case
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavrin;

namespace {

constexpr qsizetype kMegabyte = 1024 * 1024;

// The real directory: its header and 100 subscribers.
QByteArray directoryText()
{
    QByteArray text = "[FON_CONN_PAR]\r\nusers_num=100\r\nuser_index=7\r\nsort_prz=0\r\n";
    for (int i = 1; i <= 100; ++i) {
        text += "\r\n[FON_ABONENT_" + QByteArray::number(i) + "]\r\nuser_name=\xCA\xEE\xF2\xE5\xEB "
                + QByteArray::number(101 - i) + "\r\ncontr_adr=1\r\nadr_modbus=1\r\nphone_code=+7 900 "
                + QByteArray::number(1000 + i) + "\r\n";
    }
    return text;
}

// `head`, then numbered lines made by `line` until the text reaches `size` bytes.
QByteArray filled(QByteArray head, qsizetype size, QByteArray (*line)(int))
{
    for (int n = 0;; ++n) {
        const QByteArray next = line(n);
        if (head.size() + next.size() > size)
            return head;
        head += next;
    }
}

QByteArray sectionLine(int n)
{
    return "[S" + QByteArray::number(n) + "]\r\n";
}

QByteArray sameSectionLine(int)
{
    return "[S]\r\n";
}

QByteArray commentLine(int)
{
    return "; " + QByteArray(60, '-') + "\r\n";
}

QByteArray unknownKeyLine(int n)
{
    return "k" + QByteArray::number(n) + "=1\r\n";
}

// Lines before the directory, so every lookup of the old line-by-line search went
// through all of them.
QByteArray beforeDirectory(QByteArray (*line)(int))
{
    return filled({}, kMegabyte - directoryText().size(), line) + directoryText();
}

struct Case {
    const char *name;
    const char *what;
    QByteArray (*abonentsIni)();
    int runs;
    bool largestRead; // a file of the largest size still read, counted for the worst
};

const Case kCases[] = {
    {"directory", "abonents.ini of 100 subscribers", directoryText, 20, false},
    {"comments-1mb", "the directory, then comment lines up to 1 MB",
     [] { return filled(directoryText(), kMegabyte, commentLine); }, 21, true},
    {"sections-1mb", "sections without keys up to 1 MB, then the directory",
     [] { return beforeDirectory(sectionLine); }, 21, true},
    {"repeated-1mb", "one section name repeated up to 1 MB, then the directory",
     [] { return beforeDirectory(sameSectionLine); }, 21, true},
    {"keys-1mb", "one subscriber's section with unknown keys up to 1 MB",
     [] { return filled("[FON_ABONENT_1]\r\n", kMegabyte, unknownKeyLine); }, 21, true},
    {"sections-1e6", "sections without keys up to 14 MB (1.3 million)",
     [] { return filled({}, 14 * kMegabyte, sectionLine); }, 1, false},
    {"sections-50mb", "sections without keys up to 50 MB",
     [] { return filled({}, 50 * kMegabyte, sectionLine); }, 1, false},
};

// The line a case's process ends its output with, for the parent to read its figure.
constexpr char kFigureTag[] = "figure ";

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

int runCase(const Case &c)
{
    QTemporaryDir exe;
    if (!exe.isValid() || !QDir(exe.path()).mkpath(QStringLiteral("INI")))
        return 1;
    const QByteArray content = c.abonentsIni();
    QFile file(exe.filePath(QStringLiteral("INI/abonents.ini")));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return 1;
    file.close();

    const double memoryBefore = peakMegabytes();
    std::vector<double> loadMs;
    std::vector<double> cpuMs;
    int subscribers = 0;
    for (int run = 0; run < c.runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = cpuMilliseconds();
        {
            SettingsStore store;
            store.LoadSettings(exe.path());
            subscribers = store.CurrentSettings.directory.count;
        }
        cpuMs.push_back(cpuMilliseconds() - cpuBefore);
        loadMs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const auto [fastest, slowest] = std::minmax_element(loadMs.begin(), loadMs.end());
    std::printf("%-14s %-55s %6.2f MB  load median %7.2f ms (%.2f..%.2f)  CPU %7.2f ms  "
                "peak memory +%6.1f MB  (%d subscribers read)\n",
                c.name, c.what, double(content.size()) / double(kMegabyte), medianOf(loadMs),
                *fastest, *slowest, medianOf(cpuMs), peakMegabytes() - memoryBefore, subscribers);
    std::printf("%s%f\n", kFigureTag, medianOf(loadMs));
    return 0;
}

// Runs one case in a process of its own, passes its report on and returns its median,
// or a negative number when it failed.
double runInProcess(const QString &program, const Case &c)
{
    QProcess one;
    one.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    one.start(program, {QString::fromLatin1(c.name)});
    if (!one.waitForFinished(-1) || one.exitCode() != 0)
        return -1;
    double figure = -1;
    for (const QByteArray &line : one.readAllStandardOutput().split('\n')) {
        if (line.startsWith(kFigureTag))
            figure = line.mid(sizeof kFigureTag - 1).toDouble();
        else if (!line.isEmpty())
            std::printf("%s\n", line.constData());
    }
    std::fflush(stdout);
    return figure;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2) {
        for (const Case &c : kCases) {
            if (args[1] == QLatin1String(c.name))
                return runCase(c);
        }
        std::fprintf(stderr, "no case %s\n", qPrintable(args[1]));
        return 2;
    }
    std::printf("Start-up read of abonents.ini (bluetooth.ini absent), %s\n",
                "each case in its own process");
    std::fflush(stdout);
    int failures = 0;
    const Case *worst = nullptr;
    double worstMs = 0;
    for (const Case &c : kCases) {
        const double ms = runInProcess(app.applicationFilePath(), c);
        if (ms < 0)
            ++failures;
        if (c.largestRead && ms > worstMs) {
            worst = &c;
            worstMs = ms;
        }
    }
    if (worst)
        std::printf("worst 1 MB shape: %s, load median %.2f ms\n", worst->name, worstMs);
    return failures;
}
