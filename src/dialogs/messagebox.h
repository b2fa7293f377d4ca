#pragma once

#include <QMessageBox>

namespace tavrin {

// The program's message box: empty title, no icon, the text shown as plain text
// with "\r" as a line break. When No is among the buttons, Enter answers Yes and
// Esc answers No.
class PlainMessageBox : public QMessageBox {
public:
    PlainMessageBox(const QString &text, QMessageBox::StandardButtons buttons, QWidget *parent);
};

} // namespace tavrin
