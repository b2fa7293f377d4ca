#include "surveycommand.h"

#include "clitexts.h"
#include "link/clocktext.h"
#include "settings/settingsstore.h"
#include "survey/surveyreport.h"
#include "survey/surveytexts.h"
#include "survey/timeleft.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace tavrin {

namespace {

struct Options {
    QString ini;
    QString subscribers;
    QString phones;
    QString report;
    QString resume;
    QString ports;
    QString parallel;
    bool help = false;
    bool version = false;
};

// "--name value" and "--name=value". False with the message in *error.
bool ParseOptions(const QStringList &arguments, Options &options, QString *error)
{
    const QList<std::pair<QString, QString *>> valued = {
        {QStringLiteral("--ini"), &options.ini},
        {QStringLiteral("--subscribers"), &options.subscribers},
        {QStringLiteral("--phones"), &options.phones},
        {QStringLiteral("--report"), &options.report},
        {QStringLiteral("--resume"), &options.resume},
        {QStringLiteral("--ports"), &options.ports},
        {QStringLiteral("--parallel"), &options.parallel},
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (argument == QLatin1String("--version") || argument == QLatin1String("-V")) {
            options.version = true;
            continue;
        }
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        bool known = false;
        for (const auto &[option, field] : valued) {
            if (name != option)
                continue;
            known = true;
            if (argument.contains(QLatin1Char('='))) {
                *field = argument.section(QLatin1Char('='), 1);
            } else if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1String("--"))) {
                *field = arguments[++i];
            } else {
                *error = clitext::MissingValue(option);
                return false;
            }
            if (field->isEmpty()) {
                *error = clitext::MissingValue(option);
                return false;
            }
        }
        if (!known) {
            *error = clitext::UnknownOption(argument);
            return false;
        }
    }
    return true;
}

// "COM3,COM4" or "3,4", each port once.
bool ParsePorts(const QString &text, QList<int> &ports)
{
    static const QRegularExpression item(QStringLiteral("^\\s*(?:COM|com)?(\\d{1,3})\\s*$"));
    std::set<int> seen;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QRegularExpressionMatch match = item.match(part);
        const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (number < 1 || number > 255 || !seen.insert(number).second)
            return false;
        ports << number;
    }
    return !ports.isEmpty();
}

// "--parallel N": how many network sites are read at once, 1..kMaxSurveyParallel.
bool ParseParallel(const QString &text, int &parallel)
{
    static const QRegularExpression number(QStringLiteral("^\\s*\\d{1,3}\\s*$"));
    if (text.isEmpty())
        return true;
    const int value = number.match(text).hasMatch() ? text.trimmed().toInt() : 0;
    if (value < 1 || value > kMaxSurveyParallel)
        return false;
    parallel = value;
    return true;
}

// Keeps every row in the report as it comes and shows the progress line.
class CommandObserver : public SurveyObserver {
public:
    CommandObserver(SurveyReportFile &report, SurveyCommandContext &context, const QList<SurveySubscriber> &toCall,
                    int ports, int parallel)
        : m_report(report), m_context(context), m_total(int(toCall.size())), m_timeLeft(toCall, ports, parallel)
    {
    }

    void siteStarted(int index) override
    {
        QMutexLocker lock(&m_mutex);
        m_timeLeft.siteStarted(index);
    }

    void siteFinished(int index, const SurveyRow &row) override
    {
        QString error;
        const bool written = m_report.add(row, &error);
        QMutexLocker lock(&m_mutex);
        m_timeLeft.siteFinished(index, row.started.isValid(), row.durationSeconds);
        // A site a stop left unreached is not done: the progress counts calls made.
        if (row.started.isValid())
            ++m_done;
        m_read += row.read ? 1 : 0;
        if (row.leftOnlinePort > 0 && !m_leftOnlinePorts.contains(row.leftOnlinePort))
            m_leftOnlinePorts << row.leftOnlinePort;
        if (!written)
            tellWriteFailure(error);
        showProgress();
    }

    // Once a round: every later site tries the write again, and the end lists what
    // never reached the file.
    void tellWriteFailure(const QString &error)
    {
        if (!m_writeFailureTold)
            message(error);
        m_writeFailureTold = true;
    }

    void showProgress()
    {
        if (!m_context.terminal)
            return;
        m_context.err << '\r' << clitext::Progress(m_done, m_total, m_read, ClockText(m_timeLeft.secondsLeft()))
                      << "\x1b[K";
        m_context.err.flush();
        m_lineShown = true;
    }

    // The ports whose modem never answered ATH this round, in the order met.
    QList<int> leftOnlinePorts()
    {
        QMutexLocker lock(&m_mutex);
        return m_leftOnlinePorts;
    }

    // A message on a line of its own, under the progress line.
    void message(const QString &text)
    {
        if (m_lineShown)
            m_context.err << '\n';
        m_lineShown = false;
        m_context.err << text << '\n';
        m_context.err.flush();
    }

    void endLine()
    {
        if (m_lineShown)
            m_context.err << '\n';
        m_lineShown = false;
    }

private:
    SurveyReportFile &m_report;
    SurveyCommandContext &m_context;
    const int m_total;
    QMutex m_mutex;
    RoundTimeLeft m_timeLeft;
    int m_done = 0;
    int m_read = 0;
    QList<int> m_leftOnlinePorts;
    bool m_lineShown = false;
    bool m_writeFailureTold = false;
};

// The CSV that --resume names: what is there under that name (a report of any name; the
// reading refuses what is not one), else the CSV of the pair the name stands for (NAME,
// NAME.csv or NAME.xlsx).
QString ResumedReportPath(const QString &given)
{
    const bool there = QFileInfo(given).exists() || QFileInfo(given).isSymLink();
    if (given.isEmpty() || (there && !given.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)))
        return given;
    return ReportPathFor(given);
}

// The spreadsheet's ports and the survey its changes are marked against: the newest
// other report in the reports folder. One that cannot be read only means no marks.
SurveyWorkbookContext WorkbookContext(const QList<int> &ports, const QString &reportsFolder, const QString &reportPath)
{
    SurveyWorkbookContext workbook;
    for (int port : ports)
        workbook.ports << QStringLiteral("COM%1").arg(port);
    const QString previous = LatestReport(reportsFolder, reportPath);
    if (previous.isEmpty())
        return workbook;
    if (const std::optional<QList<SurveyRow>> rows = ReadSurveyReport(previous, nullptr)) {
        workbook.previousName = QFileInfo(previous).fileName();
        workbook.previousRows = *rows;
    }
    return workbook;
}

int Refuse(SurveyCommandContext &context, const QString &text, bool withHelp = false)
{
    context.err << "tavrin-survey: " << text << '\n';
    if (withHelp)
        context.err << clitext::TryHelp << '\n';
    context.err.flush();
    return CouldNotStart;
}

// What the command line asked for, read and checked before anything is dialled.
struct Round {
    Settings settings;
    QString iniDirectory;
    QList<SurveySubscriber> chosen;
    QList<int> ports;
    int parallel = kDefaultSurveyParallel; // network sites read at once
    QList<SurveyRow> earlier; // the resumed report's rows
    QString reportPath;       // the CSV; the spreadsheet file is beside it
    int skipped = 0;          // directory entries with neither name nor phone number
    SurveyWorkbookContext workbook;
};

// The settings, from --ini or from tavrin's folder. False with the message in *error.
bool LoadSettings(const Options &options, const QString &executableDir, Round &round, QString *error)
{
    SettingsStore store;
    if (options.ini.isEmpty()) {
        store.LoadSettings(executableDir);
    } else {
        if (!QFileInfo(options.ini).isDir()) {
            *error = clitext::NoIniFolder(QDir::toNativeSeparators(options.ini));
            return false;
        }
        store.LoadSettingsFrom(QDir(options.ini).absolutePath());
    }
    if (!store.loadProblems().isEmpty()) {
        *error = store.loadProblems().join(QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        return false;
    }
    round.settings = store.CurrentSettings;
    round.iniDirectory = store.IniDirectory;
    return true;
}

// The subscribers, the ports, the resumed report and the report's path. False with the
// message in *error, and *withHelp when --help would tell more.
bool PrepareRound(const Options &options, Round &round, QString *error, bool *withHelp)
{
    const Settings &settings = round.settings;
    const QList<SurveySubscriber> all = DirectorySubscribers(settings.directory, &round.skipped);
    if (all.isEmpty()) {
        *error = clitext::NoSubscribers;
        return false;
    }
    round.chosen = all;
    if ((!options.subscribers.isEmpty() || !options.phones.isEmpty()) &&
        !ChooseSubscribers(all, options.subscribers, options.phones, round.chosen, error))
        return false;

    if (options.ports.isEmpty()) {
        round.ports << settings.phone.portNumber;
    } else if (!ParsePorts(options.ports, round.ports)) {
        *error = clitext::BadPortList(options.ports);
        *withHelp = true;
        return false;
    }
    if (!ParseParallel(options.parallel, round.parallel)) {
        *error = clitext::BadParallel(options.parallel, kMaxSurveyParallel);
        *withHelp = true;
        return false;
    }

    const QString resumed = ResumedReportPath(options.resume);
    if (!resumed.isEmpty()) {
        const std::optional<QList<SurveyRow>> rows = ReadSurveyReport(resumed, error);
        if (!rows)
            return false;
        round.earlier = *rows;
    }
    // A round of network sites alone needs no modem.
    const QList<SurveySubscriber> toCall = NotYetRead(round.chosen, round.earlier);
    const bool modemSites =
        std::any_of(toCall.begin(), toCall.end(), [](const SurveySubscriber &site) { return !site.overNetwork(); });
    for (int port : modemSites ? round.ports : QList<int>{}) {
        // Opened once to see that it is there; each call opens it again.
        QString failure;
        if (!OpenPort(port, PortSettings{.rate = settings.phone.bitRate}, &failure)) {
            *error = surveytext::PortUnavailable(port) + (failure.isEmpty() ? QString() : ": " + failure);
            return false;
        }
    }
    const QString reportsFolder = ReportsDirectory(round.iniDirectory);
    round.reportPath = options.report.isEmpty() ? resumed : ReportPathFor(options.report);
    if (round.reportPath.isEmpty())
        round.reportPath = NewReportPath(reportsFolder, QDateTime::currentDateTime());
    round.reportPath = QFileInfo(round.reportPath).absoluteFilePath();
    round.workbook = WorkbookContext(round.ports, reportsFolder, round.reportPath);
    return true;
}

struct RoundEnd {
    bool interrupted = false;
    bool written = false;
};

// Calls the sites not read yet on every port; the report is written after each.
RoundEnd RunRound(const Round &round, const QList<SurveySubscriber> &toCall, SurveyReportFile &report,
                  CommandObserver &observer, SurveyCommandContext &context)
{
    RoundEnd end;
    SurveyPool pool(round.settings, round.ports, observer, context.timing, round.parallel);
    if (context.onRunning)
        context.onRunning([&pool, &end] {
            end.interrupted = true;
            pool.stop();
        });
    observer.showProgress();
    pool.run(toCall);
    observer.endLine();

    // Written after every site already; once more so that a failure at the last one
    // is tried again. What never reached the file goes to stderr, to be kept from there.
    QString error;
    end.written = report.write(&error);
    if (!end.written) {
        observer.tellWriteFailure(error);
        observer.message(clitext::RowsNotWritten + u'\n' + SurveyReportText(report.unwrittenRows()).remove(u'\r').trimmed());
    }
    return end;
}

// The last word on stderr and the exit status.
int Summarise(const Round &round, const RoundEnd &end, const SurveyReportFile &report, CommandObserver &observer,
              const SurveyCommandContext &context)
{
    // A resumed report holds rows of subscribers not chosen now: they do not count.
    const QList<SurveyRow> rows = report.rows();
    int read = 0;
    for (const SurveySubscriber &subscriber : round.chosen) {
        const SurveyRow *row = SameSubscriber(rows, subscriber);
        read += row && row->read ? 1 : 0;
    }
    // Neither says the report holds what it lacks.
    const QString shownPath = QDir::toNativeSeparators(round.reportPath);
    if (end.interrupted)
        observer.message(end.written ? clitext::Interrupted(shownPath) : clitext::InterruptedUnwritten);
    else if (context.terminal && end.written)
        observer.message(clitext::Finished(read, int(round.chosen.size()), shownPath));
    // A job without a terminal (cron mails what it prints) gets one line that says it all.
    if (!context.terminal)
        observer.message(end.written ? clitext::Summary(read, int(round.chosen.size()), shownPath)
                                     : clitext::SummaryUnwritten(read, int(round.chosen.size())));
    if (round.skipped > 0)
        observer.message(clitext::Skipped(round.skipped));
    // A call that may still be up is billed until the far end drops it: the job's mail
    // says so, and the round is not done even when every site was read.
    const QList<int> leftOnline = observer.leftOnlinePorts();
    for (int port : leftOnline)
        observer.message(surveytext::ModemMayBeOnline(port));
    return end.written && !end.interrupted && read == round.chosen.size() && leftOnline.isEmpty() ? AllRead
                                                                                                  : SomeNotRead;
}

} // namespace

int RunSurveyCommand(const QStringList &arguments, SurveyCommandContext &context)
{
    Options options;
    QString error;
    if (!ParseOptions(arguments, options, &error))
        return Refuse(context, error, true);
    if (options.help || options.version) {
        context.out << (options.help ? clitext::Usage : clitext::Version(QStringLiteral(TAVRIN_VERSION)));
        context.out.flush();
        return AllRead;
    }

    Round round;
    bool withHelp = false;
    if (!LoadSettings(options, context.executableDir, round, &error) ||
        !PrepareRound(options, round, &error, &withHelp))
        return Refuse(context, error, withHelp);

    const QList<SurveySubscriber> toCall = NotYetRead(round.chosen, round.earlier);
    SurveyReportFile report(round.reportPath, round.chosen, round.earlier, round.workbook);
    // A report that cannot be written stops the round before the first call, not after.
    if (!report.write(&error))
        return Refuse(context, error);
    CommandObserver observer(report, context, toCall, int(round.ports.size()), round.parallel);
    if (toCall.isEmpty()) {
        if (context.terminal)
            observer.message(clitext::NothingLeft(QDir::toNativeSeparators(round.reportPath)));
        return AllRead;
    }
    const RoundEnd end = RunRound(round, toCall, report, observer, context);
    return Summarise(round, end, report, observer, context);
}

} // namespace tavrin
