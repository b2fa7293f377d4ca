#include "tracelog/tracefile.h"

#include <QSaveFile>

namespace tavrin {

QString TraceFileText(const QStringList &lines, const std::vector<ExchangeStart> &starts)
{
    QString text;
    auto start = starts.begin();
    for (int i = 0; i < int(lines.size()); ++i) {
        for (; start != starts.end() && start->line <= i; ++start) {
            if (start->line == i)
                text += start->startedAt.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + u'\n';
        }
        text += lines[i] + u'\n';
    }
    return text;
}

QString WriteTraceFile(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

QString TraceFileName(const QDateTime &at)
{
    return at.toString(QStringLiteral("'tavrin-'yyyyMMdd-HHmmss'.log'"));
}

} // namespace tavrin
