#pragma once

class QWidget;

namespace tavrin {

// Enter presses the button that has the focus, as Space does, and nothing else: no
// button is made a dialog's default, so Enter in a list or a field presses none. Call
// once all of the buttons inside container (a dialog, a view) exist.
void PressFocusedButtonOnEnter(QWidget &container);

} // namespace tavrin
