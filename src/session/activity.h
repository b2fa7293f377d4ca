#pragma once

namespace tavrin {

// What the session is doing: one value at a time, and only Idle lets anything new start.
//
// Everything runs on one thread, but some steps wait in loops that process the window's
// events once per pass: an exchange with the module (Exchanging, and every exchange of a
// ModuleOperation, including the re-dial of a broken phone link), the modem dialogue
// (dialling in Connecting, the hang-up in HangingUp) and every modal dialog or question
// (the connect dialog in Connecting; a question inside any activity). So a menu item, a
// button or the window's close could run in the middle of one of them. The session
// reports each change (SessionHost::activityChanged), and the window disables its menu
// and buttons from there while the session is not Idle; the session's own entry points
// refuse as well (Session::canStartOperation()). The close alone is never
// refused outright: it raises the abort request, closes the dialog or question that is
// open, and the session carries it out once the running activity has unwound. Fixed
// pauses (the wake-up pause, the 300 ms after opening the port, the modem's guard times,
// the pauses between module commands) sleep without processing events: no handler runs
// during them.
enum class Activity {
    Idle,
    Connecting,      // the connect dialog, opening the port, dialling and its retry question
    Exchanging,      // one exchange sent from the command view
    HangingUp,       // dropping the link; its hang-up runs to its end even during a close
    ModuleOperation, // an operation on the module (state reading, pairing)
    Closing,         // the close sequence
    Closed,          // the close sequence has run to its end
};

// The activity's name as the session's log shows it.
const char *ActivityName(Activity activity);

} // namespace tavrin
