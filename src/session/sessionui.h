#pragma once

#include "link/linkui.h"
#include "protocol/executecommand.h"

namespace tavrin {

class Session;

// The window as the device link and the module operations see it during a session: the
// window's own status texts, log, cursor, event loop and messages, with the session's
// rules added. The running loop is told to end while a close waits (except during a
// hang-up, which must finish), and nobody is shown a message or asked a question once
// the window is closing.
class SessionUi final : public LinkUi, public CommandHost {
public:
    SessionUi(const Session &session, LinkUi &ui, CommandHost &commands);

    void setActivityText(const QString &text) override { m_ui.setActivityText(text); }
    void setResultText(const QString &text) override { m_ui.setResultText(text); }
    TraceLog &log() override { return m_ui.log(); }
    void setBusyCursor(bool busy) override { m_ui.setBusyCursor(busy); }
    // No without asking while a close waits; No when a close arrived while it was asked.
    bool askYesNo(const QString &text) override;
    void processEvents() override { m_ui.processEvents(); }
    void waitForEvents() override { m_ui.waitForEvents(); }
    void watchKeyboard(bool on) override { m_ui.watchKeyboard(on); }
    bool takeEscape() override { return m_ui.takeEscape(); }
    bool cancelRequested() const override;

    // Nothing is shown while a close waits.
    void showMessage(const QString &text) override;
    void scrollLogToEnd() override { m_commands.scrollLogToEnd(); }

private:
    const Session &m_session;
    LinkUi &m_ui;
    CommandHost &m_commands;
};

} // namespace tavrin
