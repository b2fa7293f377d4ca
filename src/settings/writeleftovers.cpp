#include "settings/writeleftovers.h"

#include "settings/settingslog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

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

// Removes the regular files of folder whose names isLeftover accepts.
QStringList removeFiles(const QString &folder, const std::function<bool(const QFileInfo &)> &isLeftover)
{
    QStringList removed;
    const QDir dir(folder);
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden)) {
        if (!isLeftover(entry))
            continue;
        QFile leftover(entry.filePath());
        if (leftover.remove()) {
            qCInfo(settingsLog) << "removed" << entry.filePath() << "left by an interrupted write";
            removed << entry.fileName();
        } else {
            qCWarning(settingsLog) << "cannot remove" << entry.filePath() << ":" << leftover.errorString();
        }
    }
    return removed;
}

} // namespace

QStringList removeWriteLeftovers(const QString &folder, const QStringList &fileNames)
{
    return removeFiles(folder, [&fileNames](const QFileInfo &entry) {
        return std::any_of(fileNames.begin(), fileNames.end(),
                           [&entry](const QString &fileName) { return isLeftoverOf(entry.fileName(), fileName); });
    });
}

QStringList removeStaleWriteLeftovers(const QString &folder, const QStringList &namePatterns,
                                      std::chrono::seconds minimumAge)
{
    QList<QRegularExpression> patterns;
    for (const QString &pattern : namePatterns)
        patterns << QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern));
    const QDateTime youngest = QDateTime::currentDateTime().addSecs(-minimumAge.count());
    return removeFiles(folder, [&patterns, &youngest](const QFileInfo &entry) {
        const QString name = entry.fileName();
        const QString fileName = name.left(name.size() - 1 - kRandomLetters);
        return entry.lastModified() <= youngest && isLeftoverOf(name, fileName)
            && std::any_of(patterns.begin(), patterns.end(),
                           [&fileName](const QRegularExpression &pattern) { return pattern.match(fileName).hasMatch(); });
    });
}

} // namespace tavrin
