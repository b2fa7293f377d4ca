#pragma once

#include "session/activity.h"

#include <exception>

namespace tavrin {

// What the connection flow and the close sequence need from the window besides its
// texts, log, questions and event loop (LinkUi) and its messages (CommandHost). The
// main window implements it; tests script it.
class SessionHost {
public:
    virtual ~SessionHost() = default;

    // Shows the connect dialog modally on the session's settings store. True when the
    // user accepted: the store's current settings then hold the chosen kind, line
    // parameters and subscriber.
    virtual bool runConnectDialog() = 0;
    // The "Настройки" submenu, from which the views are reached: shown only while linked.
    virtual void setSettingsMenuVisible(bool visible) = 0;
    // Leaves the open view, if any, as its "Выход" button does.
    virtual void leaveOpenView() = 0;
    // The call panel: shown in front with a zero duration and its clock running; the
    // clock stopped; the panel hidden.
    virtual void showCallPanel() = 0;
    virtual void stopCallClock() = 0;
    virtual void hideCallPanel() = 0;
    // Closes the dialog or question the window has open, as if it were cancelled.
    virtual void closeDialogs() = 0;
    // Destroys the wait window a module operation left open, if there is one.
    virtual void destroyWaitWindow() = 0;
    // Shows an error no operation handles (a settings file that cannot be written).
    virtual void reportError(const std::exception &error) = 0;
    // Closes the window again: a close that waited for the running activity to unwind.
    virtual void closeWindow() = 0;
    // The session's activity changed. While it is not Idle the window refuses every
    // action that would start something (menu, view buttons, "Выход"): this is the one
    // place where it learns that; Esc still reaches the running loop.
    virtual void activityChanged(Activity activity) = 0;
};

} // namespace tavrin
