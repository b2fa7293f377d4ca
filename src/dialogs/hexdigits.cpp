#include "dialogs/hexdigits.h"

#include <QKeyEvent>

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

HexKey FilterHexKey(const QKeyEvent &event, QChar &replacement)
{
    const QString text = event.text();
    if (event.key() == Qt::Key_Backspace || text.isEmpty())
        return HexKey::Pass;
    // Shortcuts such as Ctrl+V carry a control character; they go on to the field,
    // whose validator sees what they insert.
    if (text.size() == 1 && text.at(0).category() == QChar::Other_Control)
        return HexKey::Pass;
    if (text.size() != 1)
        return HexKey::Discard;
    const QChar c = text.at(0);
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')))
        return HexKey::Pass;
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f')) {
        replacement = c.toUpper();
        return HexKey::Replace;
    }
    return HexKey::Discard;
}

} // namespace tavrin
