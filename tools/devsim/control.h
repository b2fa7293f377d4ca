#pragma once

#include <string>

namespace devsim {

class Simulator;

// Carries out one control line and returns its acknowledgement:
// "ok <line>[ -- <info>]" or "error <line> -- <reason>".
std::string HandleControl(Simulator &sim, const std::string &line);

// The control lines with their arguments and meaning, for `help` and --help.
std::string ControlHelp();

} // namespace devsim
