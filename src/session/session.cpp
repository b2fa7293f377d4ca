#include "session/session.h"

#include "link/serialport.h"
#include "protocol/commandtable.h"
#include "session/activityscope.h"
#include "session/sessionhost.h"
#include "session/sessionlog.h"

namespace tavrin {

Q_LOGGING_CATEGORY(lcSession, "tavrin.session", QtWarningMsg)

const char *ActivityName(Activity activity)
{
    switch (activity) {
    case Activity::Idle: return "idle";
    case Activity::Connecting: return "connecting";
    case Activity::Exchanging: return "exchanging";
    case Activity::HangingUp: return "hanging up";
    case Activity::ModuleOperation: return "module operation";
    case Activity::Closing: return "closing";
    case Activity::Closed: return "closed";
    }
    return "?";
}

Session::Session(const QString &executableDir, LinkUi &ui, CommandHost &commands, SessionHost &host,
                 const LinkTiming &timing)
    : m_ui(ui), m_host(host), m_sessionUi(*this, ui, commands), m_timing(timing)
{
    // The channel reports into the status panels and the log, and asks its questions,
    // through the session's view of the window.
    m_channel.ui = &m_sessionUi;
    m_channel.settings = &m_store.CurrentSettings;
    m_channel.linkState = &m_link;
    m_channel.callRestored = [this] { m_host.showCallPanel(); };
    m_channel.timing = m_timing;
    m_store.LoadSettings(executableDir);

    m_closeLater.setSingleShot(true);
    m_closeLater.setInterval(0);
    QObject::connect(&m_closeLater, &QTimer::timeout, [this] { closeIfStillWanted(); });
}

Session::~Session()
{
    if (m_port)
        ClosePort(m_port);
    m_channel.port = nullptr;
}

Session::ActivityScope::ActivityScope(Session &session, Activity activity)
    : m_session(session), m_previous(session.m_activity)
{
    qCDebug(lcSession, "%s -> %s", ActivityName(m_previous), ActivityName(activity));
    m_session.setActivity(activity);
}

Session::ActivityScope::~ActivityScope()
{
    qCDebug(lcSession, "%s -> %s", ActivityName(m_session.m_activity), ActivityName(m_previous));
    m_session.setActivity(m_previous);
    if (m_previous == Activity::Idle)
        m_session.activityEnded();
}

void Session::setActivity(Activity activity)
{
    const bool changed = activity != m_activity;
    m_activity = activity;
    if (changed)
        m_host.activityChanged(activity);
}

bool Session::mayStart(const char *what) const
{
    if (canStartOperation())
        return true;
    qCDebug(lcSession, "%s refused: %s%s", what, ActivityName(m_activity),
            m_closeRequested ? ", a close waits" : "");
    return false;
}

bool Session::sendCommand(int row)
{
    if (row < 0 || row >= kCommandRows)
        return false;
    return runOperation(Activity::Exchanging, [this, row](ProtocolContext &context) {
        context.fields.CurrentRow = row;
        const QByteArray command = CommandText(row, m_store.CurrentSettings.storedPeerAddress);
        RunExchange(context.channel, command.constData(), int(command.size()));
        context.host.scrollLogToEnd();
    });
}

bool Session::runModuleOperation(const std::function<void(ProtocolContext &)> &operation)
{
    return runOperation(Activity::ModuleOperation, operation);
}

bool Session::runOperation(Activity activity, const std::function<void(ProtocolContext &)> &operation)
{
    if (!mayStart(ActivityName(activity)))
        return false;
    ActivityScope running(*this, activity);
    ProtocolContext context{m_channel, m_sessionUi, m_fields};
    operation(context);
    return true;
}

} // namespace tavrin
