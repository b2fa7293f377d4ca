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
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != &m_window && m_window.isAncestorOf(modal))
        modal->close();
}

} // namespace tavrin
