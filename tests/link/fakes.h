#pragma once

#include "link/linkui.h"
#include "link/serialport.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

namespace tavrin::test {

// The exchange log as a list of lines.
class FakeLog : public TraceLog {
public:
    QStringList lines;
    int refreshes = 0;

    int lineCount() const override { return int(lines.size()); }
    int lastLineLength() const override { return lines.isEmpty() ? 0 : int(lines.last().size()); }
    void addLine(const QString &text) override { lines.append(text); }
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

// Passes everything to a real port and records what was written.
class TapPort : public SerialPort {
public:
    explicit TapPort(SerialPort &inner) : m_inner(inner) {}
    QList<QByteArray> writes;

    qint64 write(const char *data, qint64 size) override
    {
        writes.append(QByteArray(data, size));
        return m_inner.write(data, size);
    }
    int readByte(char *byte) override { return m_inner.readByte(byte); }
    qint64 bytesAvailable() const override { return m_inner.bytesAvailable(); }
    void purge() override { m_inner.purge(); }
    bool clearError() override { return m_inner.clearError(); }
    bool setReadTimeouts(quint32 a, quint32 b, quint32 c) override { return m_inner.setReadTimeouts(a, b, c); }
    QObject *notifier() override { return m_inner.notifier(); }

private:
    SerialPort &m_inner;
};

// A serial port whose replies the test scripts: each write of a command (anything but
// the lone wake-up byte) starts the next scripted reply, delivered by precise timers
// so that a waiting loop is woken as by a real port.
class ScriptedPort : public QObject, public SerialPort {
public:
    struct Chunk {
        int afterMs; // from the write
        QByteArray bytes;
    };
    using Reply = QList<Chunk>;

    QList<Reply> replies;      // one per command write, in order
    QList<QByteArray> writes;  // every write, wake-up bytes included
    QList<QByteArray> journal; // "write <hex>" and "purge", in order
    int purges = 0;
    int errorClears = 0;
    bool failWrites = false;
    bool failNextRead = false; // the next read reports an error (a port that vanished)

    // A reply of bytes sent one by one, gapMs apart, the first at firstMs.
    static Reply trickle(const QByteArray &bytes, int firstMs, int gapMs);

    qint64 write(const char *data, qint64 size) override;
    int readByte(char *byte) override;
    qint64 bytesAvailable() const override { return m_buffer.size(); }
    void purge() override;
    bool clearError() override;
    bool setReadTimeouts(quint32, quint32, quint32) override { return true; }
    QObject *notifier() override { return this; }

private:
    QByteArray m_buffer;
};

} // namespace tavrin::test
