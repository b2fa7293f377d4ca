#include "support/linkfakes.h"

#include "link/eventloop.h"

namespace tavrin::test {

void FakeLog::addLine(const QString &text)
{
    if (keepAtMost > 0 && lines.size() > keepAtMost)
        lines.clear();
    lines.append(text);
}

void FakeLog::appendToLastLine(const QString &text)
{
    if (lines.isEmpty())
        lines.append(QString());
    lines.last() += text;
}

bool FakeUi::askYesNo(const QString &text)
{
    questions.append(text);
    if (onQuestion)
        onQuestion();
    return answers.isEmpty() ? false : answers.takeFirst();
}

void FakeUi::processEvents()
{
    ++passes;
    if (passes == escapeAtPass && watching > 0)
        m_escape = true;
    if (passes == closeAtPass)
        closing = true;
    if (onPass)
        onPass();
    processPendingEvents();
}

void FakeUi::waitForEvents()
{
    ++waits;
    waitForAnyEvent();
}

bool FakeUi::takeEscape()
{
    const bool pressed = m_escape;
    m_escape = false;
    return pressed;
}

} // namespace tavrin::test
