#pragma once

#include "dialogs/filtervalidator.h"

namespace tavrin {

// text with everything but hexadecimal digits left out, a to f raised to upper case.
QString HexDigitsOnly(const QString &text);

// The "%x" reading of a field: empty or unreadable text is 0; the low 8 bits are kept.
quint8 HexFieldByte(const QString &text);

// Keeps a field to hexadecimal digits, upper case, typed or pasted.
class HexDigitsValidator : public FilterValidator {
    Q_OBJECT
public:
    explicit HexDigitsValidator(QObject *parent) : FilterValidator(HexDigitsOnly, parent) {}
};

} // namespace tavrin
