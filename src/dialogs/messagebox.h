#pragma once

#include <QMessageBox>

#include <functional>

namespace tavrin {

// The program's message box: nothing in its title bar, no icon, the text shown as
// plain text with "\r" as a line break. When No is among the buttons, Enter answers
// Yes and Esc answers No.
class PlainMessageBox : public QMessageBox {
public:
    PlainMessageBox(const QString &text, QMessageBox::StandardButtons buttons, QWidget *parent);
};

// How a dialog tells the user something. A dialog hands its own on to the dialogs it
// opens, so whoever routes the messages of a dialog (the main window, a test) also
// gets those of the dialogs opened from it.
using ShowMessageFn = std::function<void(const QString &text)>;
// How a dialog asks a Yes/No question: true for Yes.
using AskQuestionFn = std::function<bool(const QString &text)>;

// A modal PlainMessageBox with one OK button, owned by parent.
ShowMessageFn MessageBoxOf(QWidget *parent);
// A modal PlainMessageBox with Yes and No, owned by parent.
AskQuestionFn QuestionBoxOf(QWidget *parent);

} // namespace tavrin
