#pragma once

#include "dialogs/hexdigits.h"

class QKeyEvent;
class QLineEdit;

namespace tavrin {

// An address byte field takes hexadecimal digits only, upper case: typed keys pass the
// key filter below, pasted or dropped text passes HexDigitsValidator.
//
// The key filter: a key passes as typed, is discarded, or is replaced by the character
// put in replacement (a to f become upper case). Backspace, cursor keys and shortcuts
// pass unchanged.
enum class HexKey { Pass, Discard, Replace };
HexKey FilterHexKey(const QKeyEvent &event, QChar &replacement);

} // namespace tavrin
