#pragma once

#include <QValidator>

class QKeyEvent;
class QLineEdit;

namespace tavrin {

// An address byte field takes hexadecimal digits only, upper case. Typed keys pass the
// key filter; pasted or dropped text passes the validator, which applies the same rule
// to every character, so the field never holds anything but hexadecimal digits.
class HexDigitsValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// The key filter: a key passes as typed, is discarded, or is replaced by the character
// put in replacement (a to f become upper case). Backspace, cursor keys and shortcuts
// pass unchanged.
enum class HexKey { Pass, Discard, Replace };
HexKey FilterHexKey(const QKeyEvent &event, QChar &replacement);

// text with every character the key filter would discard left out, a to f upper case.
QString HexDigitsOnly(const QString &text);

// The "%x" reading of a field: empty or unreadable text is 0; the low 8 bits are kept.
quint8 HexFieldByte(const QString &text);

} // namespace tavrin
