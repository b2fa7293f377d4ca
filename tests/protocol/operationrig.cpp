#include "operationrig.h"

#include "support/fasttiming.h"

#include <QFile>

namespace tavrin::test {

namespace {

constexpr int kPort = 5;

} // namespace

bool ScriptedWindow::askConfirmation(const QString &title, const QString &text)
{
    asked << title + QLatin1Char(' ') + text;
    if (whileAsked)
        whileAsked();
    return confirmations.isEmpty() ? false : confirmations.takeFirst();
}

std::optional<MacAddress> ScriptedWindow::askPeerAddress()
{
    asked << QStringLiteral("address dialog");
    if (whileAsked)
        whileAsked();
    return typedAddresses.isEmpty() ? std::nullopt : typedAddresses.takeFirst();
}

void ScriptedWindow::openWaitWindow(WaitWindowKind kind, int maximum)
{
    if (m_waitWindowOpen) {
        waitWindow << QStringLiteral("maximum %1").arg(maximum);
        return;
    }
    m_waitWindowOpen = true;
    waitWindow << QStringLiteral("open %1 %2").arg(int(kind)).arg(maximum);
}

void ScriptedWindow::closeWaitWindow()
{
    if (m_waitWindowOpen)
        waitWindow << QStringLiteral("close");
    m_waitWindowOpen = false;
}

void ScriptedWindow::leaveView()
{
    ++viewsLeft;
    state.reset();
}

OperationRig::OperationRig() : m_previousComDir(qgetenv("TAVRIN_COM_DIR")), sim(m_com.path())
{
    qputenv("TAVRIN_COM_DIR", QFile::encodeName(m_com.path()));
    session = std::make_unique<Session>(m_program.path(), window, window, window, FastTiming());
}

OperationRig::~OperationRig()
{
    session.reset();
    qputenv("TAVRIN_COM_DIR", m_previousComDir);
}

bool OperationRig::link(const QStringList &controls, ConnectionKind kind)
{
    DevSimOptions options;
    options.port = kPort;
    options.modem = kind == Phone;
    if (kind == Phone)
        options.extraArgs = FastModemArgs();
    if (!realPauses)
        options.extraArgs << QStringLiteral("--reset-ms") << QStringLiteral("20");
    if (!sim.start(options)) {
        qWarning("%s", qPrintable(sim.errorString()));
        return false;
    }
    for (const QString &line : controls) {
        if (!sim.command(line)) {
            qWarning("%s: %s", qPrintable(line), qPrintable(sim.lastReply()));
            return false;
        }
    }
    Settings &s = session->store().CurrentSettings;
    s.connectionKind = kind;
    for (ConnectionParameters *line : {&s.direct, &s.phone}) {
        *line = ConnectionParameters{.portNumber = kPort, .bitRate = 38400, .exchangeAttempts = 1, .replyWaitSeconds = 1, .byteWaitMs = 500};
    }
    s.directory.count = 1;
    s.directory.entries[0].phoneNumber = QStringLiteral("123");
    session->chooseConnection();
    window.viewsLeft = 0; // the connect flow leaves any open view; only the operations' count
    sim.clearLog();
    return session->link().LinkOpen;
}

bool OperationRig::run(void (*operation)(ProtocolContext &, ModuleOperationHost &))
{
    return session->runModuleOperation([this, operation](ProtocolContext &context) {
        context.pause = [this](int ms) {
            pauses << ms;
            Pause(realPauses ? ms : ms / 10);
        };
        operation(context, window);
    });
}

MacAddress Address(const QByteArray &bytes)
{
    MacAddress address{};
    for (int i = 0; i < 6 && i < bytes.size(); ++i)
        address[size_t(i)] = quint8(bytes[i]);
    return address;
}

} // namespace tavrin::test
