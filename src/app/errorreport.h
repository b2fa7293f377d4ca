#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace tavrin {

// The standard error box for an exception that escaped a handler: the exception's
// message (a settings file that cannot be written names the file), and the program
// goes on. Tests replace the box to see the message.
void ReportException(const std::exception &error);
void SetExceptionReporter(std::function<void(const QString &message)> reporter);

} // namespace tavrin
