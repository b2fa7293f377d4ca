#include "link/linkwait.h"

#include "link/eventloop.h"
#include "link/linkui.h"

namespace tavrin {

namespace linkwait {

void pump(LinkUi *ui)
{
    if (ui)
        ui->processEvents();
    else
        processPendingEvents();
}

void sleep(LinkUi *ui)
{
    if (ui)
        ui->waitForEvents();
    else
        waitForAnyEvent();
}

bool escapePressed(LinkUi *ui)
{
    return ui && ui->takeEscape();
}

bool closing(LinkUi *ui)
{
    return ui && ui->cancelRequested();
}

} // namespace linkwait

KeyboardWatch::KeyboardWatch(LinkUi *ui) : m_ui(ui)
{
    resume();
}

KeyboardWatch::~KeyboardWatch()
{
    suspend();
}

void KeyboardWatch::suspend()
{
    if (m_ui && m_on)
        m_ui->watchKeyboard(false);
    m_on = false;
}

void KeyboardWatch::resume()
{
    if (m_ui && !m_on)
        m_ui->watchKeyboard(true);
    m_on = true;
}

BusyCursor::BusyCursor(LinkUi *ui) : m_ui(ui)
{
    if (m_ui)
        m_ui->setBusyCursor(true);
}

BusyCursor::~BusyCursor()
{
    if (m_ui)
        m_ui->setBusyCursor(false);
}

} // namespace tavrin
