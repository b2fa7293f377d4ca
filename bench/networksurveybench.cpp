// tavrin-bench-network-survey: tavrin-survey over 20 network sites, each a paced
// simulator behind its own ser2net raw TCP accepter on a free loopback port, with
// --parallel 8 against --parallel 1, the two interleaved round by round:
//
//   ratio = median wall time with --parallel 8 / median wall time with --parallel 1
//                                                                       (goal <= 0.2)
//
// Each site has its own connection, so eight are read at once; a site's reading is
// mostly the state reading's fixed pauses, which overlap. The rounds run the installed
// program's own binary (tavrin-survey beside this one) on a directory of its own.
//   usage: tavrin-bench-network-survey [ROUNDS]   (rounds of each, default 2)
#include "benchsim.h"
#include "support/devsim.h"
#include "support/netservers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace tavrin;

namespace {

constexpr int kSites = 20;
constexpr int kWide = 8;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The INI folder: the network kind's line at 38400 bit/s, and one subscriber per site.
bool writeIniFolder(const QString &folder, const std::vector<int> &ports)
{
    QByteArray abonents = "[FON_CONN_PAR]\r\nusers_num=" + QByteArray::number(int(ports.size())) + "\r\nsort_prz=1\r\n";
    for (size_t index = 0; index < ports.size(); ++index) {
        const QByteArray number = QByteArray::number(int(index) + 1);
        abonents += "[FON_ABONENT_" + number + "]\r\nuser_name=Site " + number.rightJustified(2, '0') +
                    "\r\nphone_code=\r\nnet_address=127.0.0.1:" + QByteArray::number(ports[index]) +
                    "\r\nnet_protocol=0\r\n";
    }
    return QDir().mkpath(folder) &&
           writeFile(folder + "/bluetooth.ini",
                     "[NET_CONN_PAR]\r\nRate=38400\r\nWaitTime=3\r\nTimeOut=300\r\nRepeat=1\r\nConnectTime=10\r\n") &&
           writeFile(folder + "/abonents.ini", abonents);
}

// One round's wall time in ms; negative when the round did not read every site.
double timedRound(const QString &program, const QString &ini, const QString &report, int parallel)
{
    QFile::remove(report);
    QProcess survey;
    survey.setProcessChannelMode(QProcess::MergedChannels); // its summary line; shown when the round failed
    QElapsedTimer clock;
    clock.start();
    survey.start(program, {"--ini", ini, "--report", report, "--parallel", QString::number(parallel)});
    if (!survey.waitForFinished(600000) || survey.exitStatus() != QProcess::NormalExit || survey.exitCode() != 0) {
        std::fprintf(stderr, "--parallel %d: the round did not read every site (exit %d): %s\n", parallel,
                     survey.exitCode(), survey.readAll().constData());
        return -1;
    }
    return double(clock.elapsed());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 2;
    const QString program = QCoreApplication::applicationDirPath() + "/tavrin-survey";
    if (!QFile::exists(program)) {
        std::fprintf(stderr, "%s is not built (cmake --build build --target tavrin-survey)\n", qPrintable(program));
        return 2;
    }
    if (!test::Ser2Net::installed()) {
        std::fprintf(stderr, "ser2net is not installed (scripts/install-packages ser2net)\n");
        return 2;
    }
    const bench::SimulatorFolder comDir;
    std::vector<std::unique_ptr<test::DevSim>> sims;
    std::vector<std::unique_ptr<test::Ser2Net>> servers;
    std::vector<int> ports;
    for (int site = 1; site <= kSites; ++site) {
        auto &sim = sims.emplace_back(std::make_unique<test::DevSim>(comDir.path()));
        if (!sim->start({.port = site, .pace = true, .extraArgs = {"--state", "paired"}})) {
            std::fprintf(stderr, "cannot start simulator %d: %s\n", site, qPrintable(sim->errorString()));
            return 2;
        }
        auto &server = servers.emplace_back(std::make_unique<test::Ser2Net>());
        if (!server->start(sim->devicePath(), test::Ser2Net::Accepter::Raw)) {
            std::fprintf(stderr, "%s\n", qPrintable(server->error()));
            return 2;
        }
        ports.push_back(server->port());
    }
    QTemporaryDir work;
    const QString ini = work.filePath("INI");
    const QString report = work.filePath("round.csv");
    if (!writeIniFolder(ini, ports)) {
        std::fprintf(stderr, "cannot write the INI folder\n");
        return 2;
    }

    std::vector<double> narrow, wide;
    for (int round = 0; round < rounds; ++round) {
        const double one = timedRound(program, ini, report, 1);
        const double eight = timedRound(program, ini, report, kWide);
        if (one < 0 || eight < 0)
            return 1;
        std::printf("round %d: --parallel 1 %.2f s, --parallel %d %.2f s\n", round + 1, one / 1000, kWide, eight / 1000);
        std::fflush(stdout);
        narrow.push_back(one);
        wide.push_back(eight);
    }
    const double ratio = median(wide) / median(narrow);
    std::printf("%d network sites behind ser2net (raw TCP), %d rounds of each interleaved: --parallel 1 median %.2f s, "
                "--parallel %d median %.2f s, ratio %.3f  (goal <= 0.2)\n",
                kSites, rounds, median(narrow) / 1000, kWide, median(wide) / 1000, ratio);
    return ratio <= 0.2 ? 0 : 1;
}
