#include "dialogs/intkeyfilter.h"

namespace tavrin {

QString DecimalDigitsOnly(const QString &text)
{
    QString kept;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            kept.append(c);
    }
    return kept;
}

} // namespace tavrin
