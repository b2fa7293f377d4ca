#pragma once

#include <optional>

namespace tavrin {

// `--help` and `--version` (also `-h`, `-V`) print their text on standard output and
// end the program with 0, before the application object or any window exists, so
// they work without a display. The first of them counts; any other argument is
// ignored, as the program reads none. nullopt when neither is given.
std::optional<int> AnswerInformationOptions(int argc, char *argv[]);

} // namespace tavrin
