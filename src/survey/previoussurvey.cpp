#include "survey/previoussurvey.h"

#include "survey/surveyreport.h"

#include <QPromise>
#include <QThreadPool>

#include <memory>

namespace tavrin {

namespace {

PreviousSurvey FindAndRead(const QString &folder)
{
    PreviousSurvey previous;
    const QString path = LatestReport(folder);
    if (path.isEmpty())
        return previous;
    if (const std::optional<QList<SurveyRow>> rows = ReadSurveyReport(path, &previous.refusal)) {
        previous.path = path;
        previous.rows = *rows;
    }
    return previous;
}

} // namespace

QFuture<PreviousSurvey> ReadPreviousSurvey(const QString &folder)
{
    // Shared: the promise lives until the pool's thread has kept its word, whoever
    // still watches.
    auto promise = std::make_shared<QPromise<PreviousSurvey>>();
    QFuture<PreviousSurvey> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, folder] {
        promise->addResult(FindAndRead(folder));
        promise->finish();
    });
    return future;
}

} // namespace tavrin
