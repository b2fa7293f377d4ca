#include "dialogs/messagebox.h"

#include "dialogs/dialogtexts.h"

namespace tavrin {

PlainMessageBox::PlainMessageBox(const QString &text, QMessageBox::StandardButtons buttons,
                                 QWidget *parent)
    : QMessageBox(QMessageBox::NoIcon, CommonTexts::BlankTitle, QString(text).replace(u'\r', u'\n'), buttons,
                  parent)
{
    setTextFormat(Qt::PlainText);
    if (buttons & QMessageBox::No) {
        setDefaultButton(QMessageBox::Yes);
        setEscapeButton(QMessageBox::No);
    }
}

ShowMessageFn MessageBoxOf(QWidget *parent)
{
    return [parent](const QString &text) { PlainMessageBox(text, QMessageBox::Ok, parent).exec(); };
}

AskQuestionFn QuestionBoxOf(QWidget *parent)
{
    return [parent](const QString &text) {
        return PlainMessageBox(text, QMessageBox::Yes | QMessageBox::No, parent).exec() == QMessageBox::Yes;
    };
}

} // namespace tavrin
