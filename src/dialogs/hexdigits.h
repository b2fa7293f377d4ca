#pragma once

#include "dialogs/filtervalidator.h"

class QKeyEvent;

namespace tavrin {

// text with everything but hexadecimal digits left out, a to f raised to upper case.
QString HexDigitsOnly(const QString &text);

// The "%x" reading of a field: empty or unreadable text is 0; the low 8 bits are kept.
quint8 HexFieldByte(const QString &text);

// A key typed into an address byte field passes as typed, is discarded, or is replaced
// by the character put in replacement (a to f become upper case). Backspace, cursor
// keys and shortcuts pass unchanged.
enum class HexKey { Pass, Discard, Replace };
HexKey FilterHexKey(const QKeyEvent &event, QChar &replacement);

// Keeps a field to hexadecimal digits, upper case, typed or pasted.
class HexDigitsValidator : public FilterValidator {
    Q_OBJECT
public:
    explicit HexDigitsValidator(QObject *parent) : FilterValidator(HexDigitsOnly, parent) {}
};

} // namespace tavrin
