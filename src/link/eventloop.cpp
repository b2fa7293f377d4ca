#include "link/eventloop.h"

#include <QCoreApplication>

namespace tavrin {

void processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void waitForAnyEvent()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace tavrin
