// Closing: a close that arrives during an activity waits for it; the close sequence drops
// the link and writes the changed settings.

#include "session/activityscope.h"
#include "session/session.h"
#include "session/sessionhost.h"
#include "session/sessionlog.h"

namespace tavrin {

Session::CloseOutcome Session::requestClose()
{
    switch (m_activity) {
    case Activity::Idle:
        return runCloseSequence();
    case Activity::Closed:
        return CloseOutcome::Closed;
    case Activity::Closing:
        return CloseOutcome::Refused;
    default:
        break;
    }
    // The running loop still uses the channel and the port: it is told to end, a dialog
    // or question open inside it is answered as if cancelled, and the close comes back
    // once the activity has unwound.
    qCDebug(lcSession, "close waits for: %s", ActivityName(m_activity));
    m_closeRequested = true;
    m_channel.abortRequested = true;
    m_host.closeDialogs();
    return CloseOutcome::Deferred;
}

void Session::activityEnded()
{
    // From the event loop, so the handler that ran the activity has returned completely
    // by the time the close sequence starts.
    if (m_closeRequested)
        m_closeLater.start();
}

void Session::closeIfStillWanted()
{
    if (m_closeRequested && m_activity == Activity::Idle)
        m_host.closeWindow();
}

Session::CloseOutcome Session::runCloseSequence()
{
    ActivityScope closing(*this, Activity::Closing);
    m_closeRequested = false; // the hang-up below must run to its end
    CloseConnection();
    m_ui.setBusyCursor(true);
    m_channel.disarm();
    const bool written = writeSettingsAtClose();
    m_ui.setBusyCursor(false);
    // The first failure keeps the window open, so that the settings are not lost:
    // the user has seen which file failed and can close again once it can be
    // written. A second failure lets the window close, or a file that never becomes
    // writable would leave no way out but killing the program.
    if (!written && !m_saveFailedAtClose) {
        m_saveFailedAtClose = true;
        // The link is already dropped: the window goes on as after "Отключить связь".
        m_host.leaveOpenView();
        m_host.setSettingsMenuVisible(false);
        return CloseOutcome::Refused;
    }
    closing.endIn(Activity::Closed);
    return CloseOutcome::Closed;
}

bool Session::writeSettingsAtClose()
{
    try {
        m_store.WriteBluetoothIni();
        return true;
    } catch (const std::exception &error) {
        qCInfo(lcSession) << "settings not written at close:" << error.what();
        m_ui.setBusyCursor(false);
        m_host.reportError(error);
        return false;
    }
}

} // namespace tavrin
