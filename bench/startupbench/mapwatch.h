#pragma once

#include <X11/Xlib.h>

#include <sys/types.h>

// Sees top-level windows being mapped on an X display with no window manager: the
// server reports every map of a child of the root window as it carries it out, so the
// moment a program's first window is shown is known without polling.
class MapWatch {
public:
    // Opens the display in $DISPLAY; ok() tells whether that worked.
    MapWatch();
    ~MapWatch();
    MapWatch(const MapWatch &) = delete;
    MapWatch &operator=(const MapWatch &) = delete;

    bool ok() const { return m_display != nullptr; }
    // Drops the reports of earlier runs.
    void discardPending();
    // Waits until a top-level window of process `pid` is mapped, the process ends or
    // `timeoutMs` pass. A window is the process's by its _NET_WM_PID; popups that
    // bypass the window manager (tooltips, menus) do not count.
    enum class Outcome { Mapped, Exited, TimedOut };
    Outcome waitForWindowOf(pid_t pid, int timeoutMs);

private:
    bool belongsTo(Window window, pid_t pid);

    Display *m_display = nullptr;
    Atom m_pidAtom = 0;
};
