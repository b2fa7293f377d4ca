#include "dialogs/filtervalidator.h"

namespace tavrin {

FilterValidator::FilterValidator(Filter filter, QObject *parent) : QValidator(parent), m_filter(filter)
{
}

QValidator::State FilterValidator::validate(QString &input, int &pos) const
{
    pos = int(m_filter(input.left(pos)).size());
    input = m_filter(input);
    return Acceptable;
}

} // namespace tavrin
