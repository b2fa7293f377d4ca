#pragma once

#include "survey/surveyengine.h"

#include <QStringList>
#include <QTextStream>

#include <functional>

namespace tavrin {

enum SurveyExit : int { AllRead = 0, SomeNotRead = 1, CouldNotStart = 2 };

// Where tavrin-survey writes and how it waits; main passes the real ones, tests their own.
struct SurveyCommandContext {
    SurveyCommandContext(QTextStream &outStream, QTextStream &errStream) : out(outStream), err(errStream) {}

    QTextStream &out; // --help and --version
    QTextStream &err;                 // messages, and the progress line on a terminal
    bool terminal = false;            // err is a terminal: show the progress line
    QString executableDir;            // where the INI folder is chosen from without --ini
    SurveyTiming timing{};
    // Called once the round runs, with what stops it (SIGINT/SIGTERM in main).
    std::function<void(std::function<void()> stop)> onRunning;
};

// tavrin-survey with its arguments (without the program name). Returns the exit status.
int RunSurveyCommand(const QStringList &arguments, SurveyCommandContext &context);

} // namespace tavrin
