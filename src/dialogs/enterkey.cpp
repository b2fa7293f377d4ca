#include "dialogs/enterkey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace tavrin {

namespace {

class EnterPressesButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!enter || modifiers != Qt::NoModifier || !button)
            return false;
        button->click();
        return true;
    }
};

} // namespace

void PressFocusedButtonOnEnter(QWidget &container)
{
    auto *filter = new EnterPressesButton(&container);
    for (QPushButton *button : container.findChildren<QPushButton *>()) {
        // A dialog makes its first auto-default button the default when it is shown,
        // which would let Enter in any other control press that button.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(filter);
    }
}

} // namespace tavrin
