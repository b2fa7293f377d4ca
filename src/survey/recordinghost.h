#pragma once

#include "link/linkui.h"
#include "protocol/executecommand.h"
#include "protocol/moduleoperationhost.h"

#include <QString>

#include <atomic>
#include <optional>

namespace tavrin {

// The survey keeps no trace of the bytes: the report holds what was read.
class DroppedTrace : public TraceLog {
public:
    int lineCount() const override { return m_lines; }
    int lastLineLength() const override { return m_lastLength; }
    void addLine(const QString &text) override;
    void appendToLastLine(const QString &text) override;
    void refresh() override {}

private:
    int m_lines = 0;
    int m_lastLength = 0;
};

// The window as the dialling and the state reading see it during a survey: it shows
// nothing and records what the reading would have shown. A question is answered No;
// a stop of the round counts as the window closing, so a running exchange ends at
// once and the reading sends nothing more. The hang-up stops hearing the stop: it is
// what the stop asks for, and must run to its end.
class RecordingHost : public LinkUi, public CommandHost, public ModuleOperationHost {
public:
    explicit RecordingHost(const std::atomic<bool> &stop) : m_stop(stop) {}

    std::optional<DeviceState> state; // set when the reading ended with the state view
    QString firstMessage;             // the first message the reading would have shown
    bool asked = false;               // a question came (the restore question)

    // LinkUi
    void setActivityText(const QString &) override {}
    void setResultText(const QString &) override {}
    TraceLog &log() override { return m_trace; }
    // Both hosts have a busy cursor; a survey shows none.
    void setBusyCursor(bool) override {}
    bool askYesNo(const QString &) override;
    void processEvents() override;
    void waitForEvents() override;
    void watchKeyboard(bool) override {}
    bool takeEscape() override { return false; }
    bool cancelRequested() const override { return m_hearStop && m_stop.load(); }
    void hearStop(bool on) { m_hearStop = on; }

    // CommandHost
    void showMessage(const QString &text) override;
    void scrollLogToEnd() override {}

    // ModuleOperationHost: the state reading never asks; the pair operations are not run.
    bool askConfirmation(const QString &, const QString &) override { return false; }
    std::optional<MacAddress> askPeerAddress() override { return std::nullopt; }
    void openWaitWindow(WaitWindowKind, int) override {}
    void advanceWaitWindow() override {}
    void completeWaitWindow() override {}
    void closeWaitWindow() override {}
    void setOperationText(const QString &) override {}
    void hideStateView() override { state.reset(); }
    void showState(const DeviceState &shown) override { state = shown; }
    void leaveView() override { state.reset(); }

private:
    const std::atomic<bool> &m_stop;
    bool m_hearStop = true;
    DroppedTrace m_trace;
};

} // namespace tavrin
