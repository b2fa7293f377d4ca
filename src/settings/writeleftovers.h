#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

namespace tavrin {

// Removes from `folder` the temporary files that writes of the files `fileNames` left
// behind when the program was killed in the middle of one. The atomic writer names its
// temporary file after the file, a dot and six random letters of both cases
// ("bluetooth.ini.UzBGDf"); only regular files named so are removed. A name whose six
// letters are all of one case ("abonents.ini.backup") is a name someone chose, and
// stays. Returns the names removed.
QStringList removeWriteLeftovers(const QString &folder, const QStringList &fileNames);

// The same for the files whose names match one of namePatterns (wildcards:
// "survey-*.csv"), sparing a temporary file modified less than minimumAge ago: another
// program may be writing it at this moment.
QStringList removeStaleWriteLeftovers(const QString &folder, const QStringList &namePatterns,
                                      std::chrono::seconds minimumAge);

} // namespace tavrin
