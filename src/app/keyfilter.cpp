#include "app/keyfilter.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace tavrin {

EscapeKeyFilter::EscapeKeyFilter(QObject *parent) : QObject(parent)
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

EscapeKeyFilter::~EscapeKeyFilter()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void EscapeKeyFilter::start()
{
    // A press left over from an earlier loop is not this loop's abort.
    if (m_depth++ == 0)
        m_escape = false;
}

void EscapeKeyFilter::stop()
{
    if (m_depth > 0 && --m_depth == 0)
        m_escape = false;
}

bool EscapeKeyFilter::takeEscape()
{
    const bool seen = m_escape;
    m_escape = false;
    return seen;
}

int EscapeKeyFilter::suspend()
{
    const int depth = m_depth;
    m_depth = 0;
    return depth;
}

void EscapeKeyFilter::resume(int depth)
{
    m_depth = depth;
}

bool EscapeKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (m_depth == 0)
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride && type != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);

    auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyPress && key->key() == Qt::Key_Escape)
        m_escape = true;
    // Accepting the override keeps the key from firing a shortcut; returning true keeps
    // it from every widget.
    event->accept();
    return true;
}

} // namespace tavrin
