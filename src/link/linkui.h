#pragma once

#include <QString>

namespace tavrin {

// Which way traced bytes went on the line.
enum class TraceDirection : unsigned char { Sent, Received };

// The exchange log as the engine sees it. The window implements it with its log
// control; tests implement it with a list of strings.
class TraceLog {
public:
    virtual ~TraceLog() = default;
    virtual int lineCount() const = 0;
    virtual int lastLineLength() const = 0; // 0 when the log is empty
    virtual void addLine(const QString &text) = 0;
    virtual void appendToLastLine(const QString &text) = 0; // adds a line first when empty
    // Schedule a redraw of what was added.
    virtual void refresh() = 0;
    // The lines added from now on belong to a new exchange (a saved trace heads each
    // exchange with its date and time).
    virtual void beginExchange() {}
    // Bytes sent to or received from the device, continuing the last line. This shows
    // them as text on lines of at most 100 characters (TraceCharacter); a log that keeps
    // the bytes themselves, with their direction and time, takes them here instead.
    virtual void traceBytes(const char *bytes, int count, TraceDirection direction);
};

// Everything the device link needs from the window: status texts, the log, the
// busy cursor, Yes/No questions, and the event loop. The link never creates a
// widget; the main window implements this and tests script it.
class LinkUi {
public:
    virtual ~LinkUi() = default;

    virtual void setActivityText(const QString &text) = 0; // status panel 3
    virtual void setResultText(const QString &text) = 0;   // status panel 2
    virtual TraceLog &log() = 0;
    virtual void setBusyCursor(bool busy) = 0;             // hourglass on / normal cursor
    // Modal Yes/No question with an empty title; a line break in text is "\r".
    virtual bool askYesNo(const QString &text) = 0;

    // Process the pending window events once, without waiting.
    virtual void processEvents() = 0;
    // Sleep in the event loop until some event (a byte on the port, a window event,
    // a timer) arrives, then process it. Never spins.
    virtual void waitForEvents() = 0;

    // While watching (counted: every watchKeyboard(true) is paired with a false), key
    // presses do not reach the window and an Esc press is remembered.
    virtual void watchKeyboard(bool on) = 0;
    // True once for each Esc pressed while watching; consumes it.
    virtual bool takeEscape() = 0;
    // True while the window is closing: a running loop ends at once, as on Esc,
    // and retries no further.
    virtual bool cancelRequested() const = 0;
};

} // namespace tavrin
