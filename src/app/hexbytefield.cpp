#include "app/hexbytefield.h"

#include <QKeyEvent>

namespace tavrin {

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
