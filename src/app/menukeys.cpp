#include "app/menukeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QShortcut>
#include <QStyleOptionMenuItem>

#include <memory>

namespace tavrin {

MenuBarKeysStyle::MenuBarKeysStyle(QStyle *base) : QProxyStyle(base) {}

int MenuBarKeysStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                                QStyleHintReturn *returnData) const
{
    if (hint == SH_MenuBar_AltKeyNavigation)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void MenuBarKeysStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuBarItem && item && widget && widget->hasFocus() && item->state.testFlag(State_Selected)) {
        // The bar has the keyboard: its chosen title looks as an open one does.
        QStyleOptionMenuItem shown(*item);
        shown.state |= State_Sunken;
        QProxyStyle::drawControl(element, &shown, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

namespace {

// Alt going down, as the menu bar sees it before the key press: the key with Alt held.
std::unique_ptr<QKeyEvent> AltGoingDown()
{
    auto event = std::make_unique<QKeyEvent>(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
    // Qt 6 reports a modifier key's own event with that modifier flipped.
    if (event->modifiers() != Qt::AltModifier)
        event = std::make_unique<QKeyEvent>(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    return event;
}

} // namespace

void AddMenuBarKey(QMainWindow &window)
{
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    f10->setObjectName(QStringLiteral("MenuBarKey"));
    f10->setContext(Qt::WindowShortcut);
    QObject::connect(f10, &QShortcut::activated, &window, [&window] {
        // Qt offers no call that puts the menu bar into its keyboard mode; it enters it
        // on a lone Alt, seen as Alt's shortcut check followed by Alt's release.
        QCoreApplication::sendEvent(&window, AltGoingDown().get());
        QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &altUp);
    });
}

} // namespace tavrin
