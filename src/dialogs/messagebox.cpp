#include "dialogs/messagebox.h"

namespace tavrin {

PlainMessageBox::PlainMessageBox(const QString &text, QMessageBox::StandardButtons buttons,
                                 QWidget *parent)
    : QMessageBox(QMessageBox::NoIcon, QString(), QString(text).replace(u'\r', u'\n'), buttons,
                  parent)
{
    setTextFormat(Qt::PlainText);
    if (buttons & QMessageBox::No) {
        setDefaultButton(QMessageBox::Yes);
        setEscapeButton(QMessageBox::No);
    }
}

} // namespace tavrin
