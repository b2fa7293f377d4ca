#pragma once

class QDialog;

namespace tavrin {

// Enter presses the button that has the focus, as Space does, and nothing else: no
// button is made the dialog's default, so Enter in a list or a field presses none.
// Call once all of the dialog's buttons exist.
void PressFocusedButtonOnEnter(QDialog &dialog);

} // namespace tavrin
