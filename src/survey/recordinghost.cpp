#include "survey/recordinghost.h"

#include "link/eventloop.h"

namespace tavrin {

void DroppedTrace::addLine(const QString &text)
{
    ++m_lines;
    m_lastLength = int(text.size());
}

void DroppedTrace::appendToLastLine(const QString &text)
{
    if (m_lines == 0)
        ++m_lines;
    m_lastLength += int(text.size());
}

bool RecordingHost::askYesNo(const QString &)
{
    asked = true;
    return false;
}

void RecordingHost::processEvents()
{
    processPendingEvents();
}

void RecordingHost::waitForEvents()
{
    waitForAnyEvent();
}

void RecordingHost::showMessage(const QString &text)
{
    // A report's cell holds one line: the message's line breaks become blanks.
    if (firstMessage.isEmpty())
        firstMessage = QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified();
}

} // namespace tavrin
