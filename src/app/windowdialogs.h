#pragma once

#include <QMessageBox>
#include <QPointer>

class QDialog;
class QWidget;

namespace tavrin {

class EscapeKeyFilter;
class MessagePresenter;

// The main window's message boxes, questions and modal dialogs, shared by the window
// and its views: empty title, no icon, plain text, "\r" shown as a line break; each
// runs under the normal cursor and takes its own keys, also from inside a loop that
// watches the keyboard under the hourglass. The one open is known, so that a closing
// window can close it.
class WindowDialogs {
public:
    WindowDialogs(QWidget &window, EscapeKeyFilter &keyboard) : m_window(window), m_keyboard(keyboard) {}

    // Message boxes, questions and file choices go to presenter instead of real dialogs;
    // null brings the dialogs back.
    void setPresenter(MessagePresenter *presenter) { m_presenter = presenter; }
    MessagePresenter *presenter() const { return m_presenter; }

    void showMessage(const QString &text);
    // Yes or No under title (empty: none).
    bool askYesNo(const QString &text, const QString &title = QString());
    // Runs dialog modally; its exec() result.
    int run(QDialog &dialog);
    // Closes the dialog or message box open, as if it were cancelled.
    void closeOpen();

private:
    int runMessageBox(const QString &text, QMessageBox::StandardButtons buttons, const QString &title);

    QWidget &m_window;
    EscapeKeyFilter &m_keyboard;
    MessagePresenter *m_presenter = nullptr;
    QPointer<QWidget> m_open;
};

} // namespace tavrin
