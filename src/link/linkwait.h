#pragma once

namespace tavrin {

class LinkUi;

// The event-loop side of a blocking link loop. A loop processes the window's events
// once per pass and sleeps in the event loop when no byte is buffered; without a
// window (ui null) it uses the application's event loop directly.
namespace linkwait {

void pump(LinkUi *ui);
void sleep(LinkUi *ui);
bool escapePressed(LinkUi *ui);
bool closing(LinkUi *ui);

} // namespace linkwait

// Watches the keyboard for Esc for as long as it lives; suspended while a question
// is on screen so that the question's own keys reach it.
class KeyboardWatch {
public:
    explicit KeyboardWatch(LinkUi *ui);
    ~KeyboardWatch();
    KeyboardWatch(const KeyboardWatch &) = delete;
    KeyboardWatch &operator=(const KeyboardWatch &) = delete;

    void suspend();
    void resume();

private:
    LinkUi *m_ui;
    bool m_on = false;
};

// Shows the busy cursor for as long as it lives.
class BusyCursor {
public:
    explicit BusyCursor(LinkUi *ui);
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    LinkUi *m_ui;
};

} // namespace tavrin
