#include "drive.h"

#include "app/formmain.h"
#include "dialogs/formwait.h"
#include "support/devsim.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>

namespace tavrin::screenshots {

namespace {

template <class T>
T *Required(const QObject *root, const char *objectName)
{
    T *found = root ? root->findChild<T *>(QLatin1String(objectName)) : nullptr;
    if (!found) {
        const QString where = root ? root->objectName() : QStringLiteral("nothing");
        Walk::Fail(QStringLiteral("no control named %1 in %2").arg(QLatin1String(objectName), where));
    }
    return found;
}

} // namespace

Walk::Find MessageBoxWith(const QString &part)
{
    return [part]() -> QWidget * {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        return box && box->text().contains(part) ? box : nullptr;
    };
}

Walk::Find MainWindowWhen(TFormMain &window, std::function<bool()> condition)
{
    return [&window, condition]() -> QWidget * {
        const bool ready = window.session().canStartOperation() && !QApplication::activeModalWidget() && condition();
        return ready ? &window : nullptr;
    };
}

Walk::Find WaitWindowFor(TFormMain &window, WaitWindowKind kind)
{
    return [&window, kind]() -> QWidget * {
        auto *wait = window.findChild<TFormWait *>(QString(), Qt::FindDirectChildrenOnly);
        if (!wait || wait->WaitKind != kind || QApplication::activeModalWidget())
            return nullptr;
        const auto *bar = wait->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        return bar && bar->value() > bar->minimum() ? wait : nullptr;
    };
}

bool IsShown(const QWidget &root, const char *objectName)
{
    return Required<QWidget>(&root, objectName)->isVisible();
}

bool IsEnabled(const QWidget &root, const char *objectName)
{
    return Required<QWidget>(&root, objectName)->isEnabled();
}

QString Text(const QWidget &root, const char *objectName)
{
    return Required<QLabel>(&root, objectName)->text();
}

void Click(QWidget *root, const char *objectName)
{
    Required<QAbstractButton>(root, objectName)->click();
}

void Answer(QWidget *box, int standardButton)
{
    auto *messageBox = qobject_cast<QMessageBox *>(box);
    QAbstractButton *button = messageBox ? messageBox->button(QMessageBox::StandardButton(standardButton)) : nullptr;
    if (!button)
        Walk::Fail(QStringLiteral("the message box has no such button"));
    button->click();
}

void Trigger(TFormMain &window, const char *objectName)
{
    QAction *action = Required<QAction>(&window, objectName);
    if (!action->isEnabled())
        Walk::Fail(QStringLiteral("the menu item %1 is disabled").arg(action->text()));
    action->trigger();
}

void Choose(QWidget *root, const char *objectName, const QString &text)
{
    auto *list = Required<QComboBox>(root, objectName);
    const int index = list->findText(text, Qt::MatchStartsWith);
    if (index < 0)
        Walk::Fail(QStringLiteral("no item %1 in the list %2").arg(text, QLatin1String(objectName)));
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void TypeInto(QWidget *root, const char *objectName, const QString &text)
{
    auto *field = Required<QLineEdit>(root, objectName);
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QApplication::sendEvent(field, &release);
    }
    if (field->text() != text)
        Walk::Fail(QStringLiteral("%1 holds \"%2\" after typing \"%3\"")
                       .arg(QLatin1String(objectName), field->text(), text));
}

void OpenMenu(TFormMain &window, const char *objectName)
{
    window.menuBar()->setActiveAction(Required<QMenu>(&window, objectName)->menuAction());
}

void CloseMenu(TFormMain &window, const char *objectName)
{
    Required<QMenu>(&window, objectName)->hide();
}

void Control(test::DevSim &simulator, const QString &line)
{
    if (!simulator.command(line))
        Walk::Fail(QStringLiteral("the simulator refused \"%1\": %2").arg(line, simulator.errorString()));
}

} // namespace tavrin::screenshots
