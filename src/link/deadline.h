#pragma once

#include <QObject>
#include <QTimer>

namespace tavrin {

// A deadline that can be waited for in the event loop. It expires by its own precise
// single-shot timer, so a loop that sleeps until "some event" is always woken by it;
// it also expires when the counter is strictly past the end, so bytes that keep a
// loop busy cannot hold it open beyond its time.
class Deadline : public QObject {
    Q_OBJECT
public:
    Deadline();
    // (Re)starts the deadline ms milliseconds from now.
    void start(int ms);
    bool expired() const;

private:
    QTimer m_timer;
    quint64 m_end = 0;
    bool m_fired = false;
};

} // namespace tavrin
