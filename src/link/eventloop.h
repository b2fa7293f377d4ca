#pragma once

namespace tavrin {

// The two event-loop calls of LinkUi, shared by the window and the test fakes.

// Processes the pending events once and returns without waiting.
void processPendingEvents();
// Sleeps in the event loop until an event arrives (a byte on a port, a window
// event, a timer), then processes it.
void waitForAnyEvent();

} // namespace tavrin
