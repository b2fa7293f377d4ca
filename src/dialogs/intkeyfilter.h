#pragma once

#include "dialogs/filtervalidator.h"

namespace tavrin {

// text with everything but the digits 0 to 9 left out.
QString DecimalDigitsOnly(const QString &text);

// Keeps a number field to the digits 0 to 9, typed or pasted; backspace, deletion and
// the cursor keys work as in any field.
class IntKeyFilter : public FilterValidator {
    Q_OBJECT
public:
    explicit IntKeyFilter(QObject *parent) : FilterValidator(DecimalDigitsOnly, parent) {}
};

} // namespace tavrin
