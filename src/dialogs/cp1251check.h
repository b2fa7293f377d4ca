#pragma once

#include <QString>

namespace tavrin {

// The first character of text that code page 1251 cannot hold (a character outside the
// basic plane counts as one), or an empty text when every character has a CP1251 form.
// The settings files are CP1251, where such a character would be written as '?'.
QString FirstCharWithoutCp1251(const QString &text);

} // namespace tavrin
