#include "app/errorreport.h"

#include "app/applog.h"

#include <QApplication>
#include <QMessageBox>

namespace tavrin {

Q_LOGGING_CATEGORY(lcApp, "tavrin.app", QtWarningMsg)

namespace {

std::function<void(const QString &)> &reporterSlot()
{
    static std::function<void(const QString &)> reporter;
    return reporter;
}

} // namespace

void SetExceptionReporter(std::function<void(const QString &message)> reporter)
{
    reporterSlot() = std::move(reporter);
}

void ReportException(const std::exception &error)
{
    const QString message = QString::fromUtf8(error.what());
    qCInfo(lcApp) << "error reported:" << message;
    if (reporterSlot()) {
        reporterSlot()(message);
        return;
    }
    // Whatever the failed handler left behind, the box gets a normal cursor.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace tavrin
