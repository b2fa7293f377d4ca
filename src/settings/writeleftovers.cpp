#include "settings/writeleftovers.h"

#include "settings/settingslog.h"

#include <QDir>
#include <QFile>

namespace tavrin {

namespace {

constexpr int kRandomLetters = 6;

bool isLeftoverOf(const QString &name, const QString &fileName)
{
    if (name.size() != fileName.size() + 1 + kRandomLetters
        || !name.startsWith(fileName + QLatin1Char('.')))
        return false;
    bool lower = false;
    bool upper = false;
    for (const QChar letter : QStringView(name).right(kRandomLetters)) {
        lower |= letter >= QLatin1Char('a') && letter <= QLatin1Char('z');
        upper |= letter >= QLatin1Char('A') && letter <= QLatin1Char('Z');
        if (letter.unicode() > 0x7F || !letter.isLetter())
            return false;
    }
    return lower && upper;
}

} // namespace

QStringList removeWriteLeftovers(const QString &folder, const QStringList &fileNames)
{
    QStringList removed;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::NoSymLinks | QDir::Hidden)) {
        for (const QString &fileName : fileNames) {
            if (!isLeftoverOf(name, fileName))
                continue;
            const QString path = dir.filePath(name);
            QFile leftover(path);
            if (leftover.remove()) {
                qCInfo(settingsLog) << "removed" << path << "left by an interrupted write";
                removed << name;
            } else {
                qCWarning(settingsLog) << "cannot remove" << path << ":" << leftover.errorString();
            }
        }
    }
    return removed;
}

} // namespace tavrin
