#pragma once

// The window as the device link sees it, kept as lists the tests read: shared by
// the link, protocol and benchmark programs.
#include "link/linkui.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace tavrin::test {

// The exchange log as a list of lines.
class FakeLog : public TraceLog {
public:
    QStringList lines;
    int refreshes = 0;
    int keepAtMost = 0; // above 0: a long run starts the list over past this many lines

    int lineCount() const override { return int(lines.size()); }
    int lastLineLength() const override { return lines.isEmpty() ? 0 : int(lines.last().size()); }
    void addLine(const QString &text) override;
    void appendToLastLine(const QString &text) override;
    void refresh() override { ++refreshes; }
};

// A window as the link sees it, scripted by the test: Esc or the window closing at a
// chosen pass of the event loop, answers to the Yes/No questions, and a record of
// what was shown.
class FakeUi : public LinkUi {
public:
    FakeLog trace;
    QStringList activityTexts;
    QStringList resultTexts;
    QStringList questions;
    QList<bool> answers;      // taken in order; No when none is left
    int passes = 0;           // processEvents calls
    int waits = 0;            // waitForEvents calls
    int escapeAtPass = -1;    // an Esc is pressed during this pass
    int closeAtPass = -1;     // the window starts closing during this pass
    bool closing = false;
    int watching = 0;
    int busyCursor = 0;
    std::function<void()> onQuestion; // runs inside the question's own event loop
    std::function<void()> onPass;     // runs at every pass of the event loop

    // An Esc press, as the window's event filter records it (only while watched).
    void pressEscape() { m_escape = m_escape || watching > 0; }

    void setActivityText(const QString &text) override { activityTexts.append(text); }
    void setResultText(const QString &text) override { resultTexts.append(text); }
    TraceLog &log() override { return trace; }
    void setBusyCursor(bool busy) override { busyCursor += busy ? 1 : -1; }
    bool askYesNo(const QString &text) override;
    void processEvents() override;
    void waitForEvents() override;
    void watchKeyboard(bool on) override { watching += on ? 1 : -1; }
    bool takeEscape() override;
    bool cancelRequested() const override { return closing; }

private:
    bool m_escape = false;
};

} // namespace tavrin::test
