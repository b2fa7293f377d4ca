#include "app/tavrinapplication.h"

#include "app/errorreport.h"

namespace tavrin {

TavrinApplication::TavrinApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("tavrin"));
}

bool TavrinApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ReportException(error);
    }
    return false;
}

} // namespace tavrin
