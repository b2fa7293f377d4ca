#pragma once

#include "survey/surveyrow.h"

#include <QFuture>
#include <QList>
#include <QString>

namespace tavrin {

// The survey a new round is compared with: the newest report of the folder, read.
struct PreviousSurvey {
    QString path;          // empty when there is none, or it was not read
    QList<SurveyRow> rows;
    QString refusal;       // why the newest report was not read, naming it; empty if it was
};

// Finds and reads the previous survey of folder on a thread of the global pool, so that
// a large report never holds up the window that asks.
QFuture<PreviousSurvey> ReadPreviousSurvey(const QString &folder);

} // namespace tavrin
