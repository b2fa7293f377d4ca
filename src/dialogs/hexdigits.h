#pragma once

#include <QValidator>

namespace tavrin {

// text with everything but hexadecimal digits left out, a to f raised to upper case.
QString HexDigitsOnly(const QString &text);

// The "%x" reading of a field: empty or unreadable text is 0; the low 8 bits are kept.
quint8 HexFieldByte(const QString &text);

// Keeps a field to hexadecimal digits, upper case. It sees typed keys and pasted or
// dropped text alike, so the field never holds anything else; the cursor stays after
// the digits that stood before it.
class HexDigitsValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace tavrin
