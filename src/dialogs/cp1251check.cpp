#include "dialogs/cp1251check.h"

#include "settings/cp1251.h"

namespace tavrin {

QString FirstCharWithoutCp1251(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        if (cp1251::decode(cp1251::encode(character)) != character)
            return character;
        if (pair)
            ++i;
    }
    return {};
}

} // namespace tavrin
