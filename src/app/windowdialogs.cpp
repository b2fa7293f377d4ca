#include "app/windowdialogs.h"

#include "app/keyfilter.h"
#include "app/messagepresenter.h"
#include "dialogs/messagebox.h"

#include <QApplication>
#include <QDialog>

namespace tavrin {

void WindowDialogs::showMessage(const QString &text)
{
    if (m_presenter)
        m_presenter->showMessage(text);
    else
        runMessageBox(text, QMessageBox::Ok, QString());
}

bool WindowDialogs::askYesNo(const QString &text, const QString &title)
{
    if (m_presenter)
        return m_presenter->askQuestion(text);
    return runMessageBox(text, QMessageBox::Yes | QMessageBox::No, title) == QMessageBox::Yes;
}

int WindowDialogs::runMessageBox(const QString &text, QMessageBox::StandardButtons buttons, const QString &title)
{
    QWidget *modal = QApplication::activeModalWidget();
    PlainMessageBox box(text, buttons, modal ? modal : &m_window);
    if (!title.isEmpty())
        box.setWindowTitle(title);
    return run(box);
}

int WindowDialogs::run(QDialog &dialog)
{
    const int watch = m_keyboard.suspend();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const QPointer<QWidget> previous = m_open;
    m_open = &dialog;
    const int result = dialog.exec();
    m_open = previous;
    QApplication::restoreOverrideCursor();
    m_keyboard.resume(watch);
    return result;
}

void WindowDialogs::closeOpen()
{
    if (m_open)
        m_open->close();
    // And every modal window opened from it (the subscriber list, the survey window, a
    // message box): isAncestorOf stops at a window's edge, so the owners are followed
    // one by one. A survey window closes once its call is hung up.
    const auto ownedHere = [this](const QWidget *window) {
        for (const QWidget *owner = window->parentWidget(); owner; owner = owner->parentWidget()) {
            if (owner == &m_window)
                return true;
        }
        return false;
    };
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != &m_window && window->isVisible() && window->isModal() && ownedHere(window))
            window->close();
    }
}

} // namespace tavrin
