#pragma once

// What the walk does in the program's windows, as a user would: find a window, press a
// button, choose an item, type; and what it tells the simulators. Each fails the walk
// when the control it names is not there.

#include "protocol/moduleoperationhost.h" // WaitWindowKind
#include "walk.h"

#include <QApplication>
#include <QString>

class QWidget;

namespace tavrin {
class TFormMain;
class TFormWait;
namespace test {
class DevSim;
}
} // namespace tavrin

namespace tavrin::screenshots {

// The modal dialog in front, when it is a T.
template <class T>
Walk::Find ModalOf()
{
    return [] { return static_cast<QWidget *>(qobject_cast<T *>(QApplication::activeModalWidget())); };
}

// The message box in front, when its text holds part.
Walk::Find MessageBoxWith(const QString &part);
// The main window, once nothing runs in it, no dialog is open and condition holds.
Walk::Find MainWindowWhen(TFormMain &window, std::function<bool()> condition);
// The main window's wait window for that kind of operation, once its progress bar has
// moved on.
Walk::Find WaitWindowFor(TFormMain &window, WaitWindowKind kind);

bool IsShown(const QWidget &root, const char *objectName);
bool IsEnabled(const QWidget &root, const char *objectName);
QString Text(const QWidget &root, const char *objectName); // of a label

void Click(QWidget *root, const char *objectName);
// Presses the message box's button of that role ("Да", "ОК").
void Answer(QWidget *box, int standardButton);
void Trigger(TFormMain &window, const char *objectName);
// Picks the item whose text begins with text in the list, as a click on it would.
void Choose(QWidget *root, const char *objectName, const QString &text);
// Types text into the field key by key, after emptying it.
void TypeInto(QWidget *root, const char *objectName, const QString &text);
// Opens a menu of the main window's menu bar.
void OpenMenu(TFormMain &window, const char *objectName);
void CloseMenu(TFormMain &window, const char *objectName);

// Sends a control line to a simulator and fails the walk unless it is taken.
void Control(test::DevSim &simulator, const QString &line);

} // namespace tavrin::screenshots
