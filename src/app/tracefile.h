#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace tavrin {

// Where an exchange begins in the trace: its first line and when it started.
struct ExchangeStart {
    int line = 0;
    QDateTime startedAt;
};

// The trace as a file keeps it: one line per trace line, each exchange headed by a
// line with its local date and time ("dd.MM.yyyy HH:mm:ss").
QString TraceFileText(const QStringList &lines, const std::vector<ExchangeStart> &starts);

// Writes text to path in UTF-8 with the system's line ends, whole or not at all: a
// failure, a full disk included, leaves an existing file as it was. Empty on success,
// otherwise the system's reason.
QString WriteTraceFile(const QString &path, const QString &text);

// The name offered for a saved trace: tavrin-YYYYMMDD-HHMMSS.log for the time given.
QString TraceFileName(const QDateTime &at);

} // namespace tavrin
