#include "wmframe.h"

#include <QWidget>

#include <X11/Xlib.h>

namespace tavrin::screenshots {

namespace {

Display *Connection()
{
    static Display *display = XOpenDisplay(nullptr);
    return display;
}

// The window's ancestor that is a child of the root: the window manager's frame once
// it has taken the window in, else the window itself.
Window TopLevelOf(Display *display, Window window)
{
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            return window;
        window = parent;
    }
}

} // namespace

std::optional<QRect> WindowManagerFrame(const QWidget &widget)
{
    Display *display = Connection();
    if (!display)
        return std::nullopt;
    const Window client = Window(widget.winId());
    const Window frame = TopLevelOf(display, client);
    XWindowAttributes attributes{};
    if (frame == 0 || frame == client || !XGetWindowAttributes(display, frame, &attributes))
        return std::nullopt;
    const int border = attributes.border_width;
    const QRect area(attributes.x, attributes.y, attributes.width + 2 * border, attributes.height + 2 * border);
    // A frame no taller than the window (in the server's pixels) has no title bar.
    if (area.height() <= qRound(widget.height() * widget.devicePixelRatioF()))
        return std::nullopt;
    return area;
}

} // namespace tavrin::screenshots
