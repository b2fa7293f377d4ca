#pragma once

#include <QValidator>

namespace tavrin {

// Keeps a field to the characters that a filter lets through. It sees typed keys and
// pasted or dropped text alike, so the field never holds anything else; the cursor
// stays after the characters that stood before it.
class FilterValidator : public QValidator {
    Q_OBJECT
public:
    // filter: the text with the characters it does not let through left out.
    using Filter = QString (*)(const QString &text);
    FilterValidator(Filter filter, QObject *parent);
    State validate(QString &input, int &pos) const override;

private:
    Filter m_filter;
};

} // namespace tavrin
