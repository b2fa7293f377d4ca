#include "session/sessionui.h"

#include "session/session.h"

namespace tavrin {

SessionUi::SessionUi(const Session &session, LinkUi &ui, CommandHost &commands)
    : m_session(session), m_ui(ui), m_commands(commands)
{
}

bool SessionUi::askYesNo(const QString &text)
{
    if (m_session.closeRequested())
        return false;
    const bool yes = m_ui.askYesNo(text);
    return yes && !m_session.closeRequested();
}

bool SessionUi::cancelRequested() const
{
    return m_session.cancelRequested();
}

void SessionUi::showMessage(const QString &text)
{
    if (!m_session.closeRequested())
        m_commands.showMessage(text);
}

} // namespace tavrin
