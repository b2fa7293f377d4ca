#include "support/devsim.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace tavrin::test {

namespace {

const int kStartTimeoutMs = 10000;
const int kCommandTimeoutMs = 10000;

// "764.935501" -> 764935501
qint64 ParseMicros(const QByteArray &text)
{
    const int dot = text.indexOf('.');
    if (dot < 0)
        return text.toLongLong() * 1000000;
    return text.left(dot).toLongLong() * 1000000 + text.mid(dot + 1).leftJustified(6, '0').left(6).toLongLong();
}

} // namespace

QString DevSim::Program()
{
    // ctest sets TAVRIN_DEVSIM; a test started by hand finds the simulator beside it.
    QString program = QProcessEnvironment::systemEnvironment().value("TAVRIN_DEVSIM");
    if (program.isEmpty() && QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + "/tavrin-devsim";
        if (QFileInfo(beside).isExecutable())
            program = beside;
    }
    return program;
}

DevSim::DevSim(const QString &comDir) : m_comDir(comDir)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

DevSim::~DevSim()
{
    stop();
}

bool DevSim::start(const DevSimOptions &options)
{
    stop();
    m_port = options.port;
    m_log.clear();
    m_notes.clear();
    m_acks.clear();
    m_partial.clear();
    m_ready = false;
    const QString program = Program();
    if (program.isEmpty()) {
        m_error = "TAVRIN_DEVSIM is not set and no tavrin-devsim is beside the test";
        return false;
    }
    QStringList args{"--com-dir", m_comDir, "--port", QString::number(options.port)};
    if (options.modem)
        args << "--modem";
    if (options.pace)
        args << "--pace";
    if (options.listen)
        args << "--listen" << "0";
    m_tcpPort = 0;
    args << options.extraArgs;
    m_process.start(program, args);
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = "cannot start " + program + ": " + m_process.errorString();
        return false;
    }
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!m_ready) {
        if (!readLines(int(deadline.remainingTime())) || deadline.hasExpired()) {
            m_error = "the simulator did not publish " + devicePath();
            stop();
            return false;
        }
    }
    return true;
}

void DevSim::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Closing stdin is the simulator's signal to remove its link and exit.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(3000)) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    m_ready = false;
}

bool DevSim::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString DevSim::devicePath() const
{
    return m_comDir + "/COM" + QString::number(m_port);
}

bool DevSim::command(const QString &line)
{
    m_lastReply.clear();
    if (!isRunning()) {
        m_error = "the simulator is not running";
        return false;
    }
    m_acks.clear();
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(kCommandTimeoutMs);
    QDeadlineTimer deadline(kCommandTimeoutMs);
    while (m_acks.isEmpty()) {
        if (deadline.hasExpired() || !readLines(int(deadline.remainingTime()))) {
            m_error = "no acknowledgement of: " + line;
            return false;
        }
    }
    m_lastReply = m_acks.takeFirst();
    if (!m_lastReply.startsWith("ok ")) {
        m_error = m_lastReply;
        return false;
    }
    return true;
}

bool DevSim::sync()
{
    return command("sync");
}

bool DevSim::readLines(int timeoutMs)
{
    // Take what is already there before waiting: the event loop may have buffered it.
    QByteArray data = m_process.readAllStandardOutput();
    if (data.isEmpty()) {
        if (!m_process.waitForReadyRead(qMax(timeoutMs, 0)))
            return false;
        data = m_process.readAllStandardOutput();
    }
    m_partial += data;
    int end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        takeLine(m_partial.left(end));
        m_partial.remove(0, end + 1);
    }
    return true;
}

void DevSim::takeLine(const QByteArray &line)
{
    if (line.startsWith("recv ") || line.startsWith("sent ")) {
        // recv <seconds.micros> <hex bytes> "<text>"
        const int timeEnd = line.indexOf(' ', 5);
        const int textStart = line.indexOf(" \"", timeEnd);
        if (timeEnd < 0 || textStart < 0)
            return;
        DevSimLogEntry entry;
        entry.fromProgram = line.startsWith("recv ");
        entry.micros = ParseMicros(line.mid(5, timeEnd - 5));
        entry.bytes = QByteArray::fromHex(line.mid(timeEnd + 1, textStart - timeEnd - 1));
        m_log.append(entry);
    } else if (line.startsWith("note ")) {
        const int timeEnd = line.indexOf(' ', 5);
        m_notes.append(QString::fromUtf8(line.mid(timeEnd + 1)));
    } else if (line.startsWith("ok ") || line.startsWith("error ")) {
        m_acks.append(QString::fromUtf8(line));
    } else if (line.startsWith("ready ")) {
        m_ready = true;
        // "ready tcp 127.0.0.1:<port>" with --listen.
        if (line.startsWith("ready tcp "))
            m_tcpPort = line.mid(line.lastIndexOf(':') + 1).trimmed().toInt();
    }
}

QByteArray DevSim::joined(bool fromProgram) const
{
    QByteArray out;
    for (const DevSimLogEntry &e : m_log)
        if (e.fromProgram == fromProgram)
            out += e.bytes;
    return out;
}

QByteArray DevSim::received()
{
    sync();
    return joined(true);
}

QList<DevSimLogEntry> DevSim::log()
{
    sync();
    return m_log;
}

QStringList DevSim::notes()
{
    sync();
    return m_notes;
}

void DevSim::clearLog()
{
    sync();
    m_log.clear();
    m_notes.clear();
}

bool DevSim::waitFor(bool fromProgram, const QByteArray &bytes, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (joined(fromProgram).contains(bytes))
            return true;
        if (deadline.hasExpired() || !isRunning())
            return false;
        readLines(int(qMin<qint64>(deadline.remainingTime(), 50)));
    }
}

bool DevSim::waitForReceived(const QByteArray &bytes, int timeoutMs)
{
    return waitFor(true, bytes, timeoutMs);
}

bool DevSim::waitForSent(const QByteArray &bytes, int timeoutMs)
{
    return waitFor(false, bytes, timeoutMs);
}

} // namespace tavrin::test
