#include "mapwatch.h"

#include <X11/Xatom.h>

#include <poll.h>
#include <sys/wait.h>

#include <chrono>

MapWatch::MapWatch() : m_display(XOpenDisplay(nullptr))
{
    if (!m_display)
        return;
    m_pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    XSync(m_display, False);
}

MapWatch::~MapWatch()
{
    if (m_display)
        XCloseDisplay(m_display);
}

void MapWatch::discardPending()
{
    XSync(m_display, False);
    XEvent event;
    while (XPending(m_display))
        XNextEvent(m_display, &event);
}

bool MapWatch::belongsTo(Window window, pid_t pid)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(m_display, window, m_pidAtom, 0, 1, False,
                                          XA_CARDINAL, &type, &format, &count, &after, &data);
    bool mine = false;
    if (status == Success && data && format == 32 && count == 1)
        mine = pid_t(*reinterpret_cast<unsigned long *>(data)) == pid;
    if (data)
        XFree(data);
    return mine;
}

MapWatch::Outcome MapWatch::waitForWindowOf(pid_t pid, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
    for (;;) {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect
                && belongsTo(event.xmap.window, pid))
                return Outcome::Mapped;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return Outcome::Exited;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return Outcome::TimedOut;
        // Wakes for the server's next report, or now and then to see the process end.
        poll(&connection, 1, int(std::min<long long>(left.count(), 50)));
    }
}
