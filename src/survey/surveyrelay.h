#pragma once

#include "survey/surveyengine.h"
#include "survey/surveyreport.h"

#include <QObject>

namespace tavrin {

// Hands a round's sites from the engines' threads to the thread this object lives in,
// as queued signals; each row is written to the report first, on the engine's thread,
// so a window's thread neither waits for a call nor for the disk.
class SurveyRelay : public QObject, public SurveyObserver {
    Q_OBJECT
public:
    explicit SurveyRelay(SurveyReportFile &report) : m_report(report) {}

    void siteStarted(int index) override { emit started(index); }
    void siteFinished(int index, const SurveyRow &row) override;

signals:
    void started(int index);
    // writeError: why the report could not be written with this row; empty when it was.
    void finished(int index, const tavrin::SurveyRow &row, const QString &writeError);

private:
    SurveyReportFile &m_report;
};

} // namespace tavrin
