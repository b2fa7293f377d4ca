#include "app/tracefile.h"

#include "settings/safewrite.h"

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
    QString reason;
    return WriteFileSafely(path, text.toUtf8(), &reason, QIODevice::Text) ? QString() : reason;
}

QString TraceFileName(const QDateTime &at)
{
    return at.toString(QStringLiteral("'tavrin-'yyyyMMdd-HHmmss'.log'"));
}

} // namespace tavrin
