#include "dialogs/hexdigits.h"

namespace tavrin {

QString HexDigitsOnly(const QString &text)
{
    QString kept;
    for (QChar c : text) {
        if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'))
            kept.append(c.toUpper());
    }
    return kept;
}

quint8 HexFieldByte(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    return ok ? quint8(value & 0xFF) : 0;
}

} // namespace tavrin
