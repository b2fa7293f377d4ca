#include "survey/surveyrelay.h"

namespace tavrin {

void SurveyRelay::siteFinished(int index, const SurveyRow &row)
{
    QString error;
    if (m_report.add(row, &error))
        error.clear();
    emit finished(index, row, error);
}

} // namespace tavrin
