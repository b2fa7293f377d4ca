#pragma once

#include "protocol/executecommand.h"
#include "protocol/moduleoperationhost.h"

namespace tavrin {

// The operations of the state view, each run as the session's one module operation.
// Commands go through ExecuteCommand; a command that fails has told the user, and the
// operation adds no message of its own for it. When the window starts closing, the
// running exchange ends and the operation sends, pauses and tells nothing more.

// Asks PING, PEERADDR (unless PING answered it), DEVADDR and VER, and shows the state
// view with the values read, or, when a command fails or a reply is not understood,
// leaves the view.
void ReadDeviceState(ProtocolContext &context, ModuleOperationHost &host);

// Pairs the module with the peripheral waiting for KEEP after the user confirms, or,
// when none is connected, with an address typed in the address dialog; reads the pair
// back, tells the outcome and ends with a state reading.
void CreatePair(ProtocolContext &context, ModuleOperationHost &host);

// Makes sure a pair exists, sends KILL, confirms that the pair is gone, tells the
// outcome and ends with a state reading (not when the first PEERADDR fails).
void BreakPair(ProtocolContext &context, ModuleOperationHost &host);

} // namespace tavrin
