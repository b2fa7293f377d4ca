#pragma once

#include <Qt>

#include <initializer_list>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace tavrin {

// A dialog window with a title bar whose only border icon is the system menu with its
// close button: no minimise or maximise.
inline constexpr Qt::WindowFlags kSystemMenuOnly = Qt::Dialog | Qt::CustomizeWindowHint
    | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// A label whose text is never read as markup.
QLabel *PlainLabel(const QString &text, QWidget *parent);

// A dialog's push button with its text and form name, wide enough for a short caption.
QPushButton *DialogButton(const QString &text, const char *objectName, QWidget *parent);
// A row of buttons: the first group at the left edge, the second at the right.
QHBoxLayout *ButtonRow(std::initializer_list<QPushButton *> left, std::initializer_list<QPushButton *> right);

// The image button without caption that opens the subscriber list; its accessible name
// and tooltip say so.
QPushButton *AbonentListButton(QWidget *parent);

// A tooltip that shows text as it is, markup characters included, line breaks kept.
QString PlainToolTip(const QString &text);

// Tab moves through widgets in the order given.
void SetTabOrder(std::initializer_list<QWidget *> widgets);

// Moves window so that its centre is the centre of its screen's free area (then keeps it
// on the screen, as KeepOnScreen does).
void CentreOnScreen(QWidget &window);
// Keeps window, frame and all, inside its screen's available area: no larger than the
// area (down to its least size) and moved inside it where it sticks out.
void KeepOnScreen(QWidget &window);
// Moves window so that its frame is centred on its owner's window, nothing without an
// owner; then keeps it on the screen.
void CentreOnOwner(QWidget &window);

} // namespace tavrin
