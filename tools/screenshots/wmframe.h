#pragma once

// The frame a window manager puts around a window, read from the X server: Qt learns
// the frame's size only from a later move of the window, so a dialog that is shown and
// never moved can keep the size it had before the frame came.

#include <QRect>

#include <optional>

class QWidget;

namespace tavrin::screenshots {

// The window with its frame, title bar included, in screen coordinates; nothing while
// the window manager has not framed it (or there is no X display).
std::optional<QRect> WindowManagerFrame(const QWidget &window);

} // namespace tavrin::screenshots
