#pragma once

#include <QObject>

class QKeyEvent;

namespace tavrin {

// While a blocking loop runs, key presses must not reach the window (they would start
// other handlers in the middle of the loop), and an Esc press must be seen by the
// loop. Installed on the application, so every window of the program is covered.
class EscapeKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit EscapeKeyFilter(QObject *parent = nullptr);
    ~EscapeKeyFilter() override;

    // Counted: every start is paired with a stop.
    void start();
    void stop();
    bool watching() const { return m_depth > 0; }

    // True once for each Esc seen while watching; consumes it.
    bool takeEscape();

    // A modal question asked from inside a loop must take its own keys: the watch is
    // lifted while it is open and put back afterwards.
    int suspend();
    void resume(int depth);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_depth = 0;
    // A flag, not a count: one press may reach the filter once per receiver it
    // travels through, and must still abort only once.
    bool m_escape = false;
};

} // namespace tavrin
