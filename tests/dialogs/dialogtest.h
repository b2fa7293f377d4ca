#pragma once

// What the dialog tests share: widgets found by their form names, the user's choice in a
// list, and a script that acts in the modal dialogs and message boxes as they open.

#include "dialogs/formabonent.h"
#include "dialogs/messagebox.h"
#include "dialogs/panelstatusbar.h"
#include "settings/settingsstore.h"

#include <QComboBox>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace tavrin::test {

// The widget below root with the given object name (the form's name for it). A missing
// one ends the test program at once with the name, instead of a crash further on.
QWidget *NamedWidget(const QObject *root, const char *objectName, const char *className);
template <class T>
T *Named(const QObject *root, const char *objectName)
{
    return static_cast<T *>(NamedWidget(root, objectName, T::staticMetaObject.className()));
}

// The texts of the labels, buttons and fields below root with the given object names, in order.
QStringList Texts(const QObject *root, const QList<const char *> &objectNames);
// The texts of all the labels below root, sorted.
QStringList LabelTexts(const QObject *root);

// Makes window the active one, as its opener would, and waits until it has the keyboard.
bool Activate(QWidget *window);
// Where the focus goes on each of count presses of Tab, starting from the focused widget.
QList<QWidget *> TabWalk(qsizetype count);

// The user picks a line of a list.
void Choose(QComboBox *list, int position);
QStringList Items(const QComboBox *list);

// With TAVRIN_SCREENS_DIR set, saves a picture of widget there under name.
void SaveScreen(QWidget *widget, const QString &name);

// Types text into widget one key event per character, carrying the character as typed
// (Cyrillic too).
void TypeText(QWidget *widget, const QString &text);

// COM<n> for each number given, published in a folder of the test's own; the ports seen
// while it lives are these and no others.
class PortFolder {
public:
    explicit PortFolder(const QList<int> &ports);
    ~PortFolder();
    PortFolder(const PortFolder &) = delete;
    PortFolder &operator=(const PortFolder &) = delete;
    QString path(int n) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_saved;
};

// The user fills in the subscriber editor and presses "Принять".
std::function<void(TFormAbonent *)> TypeAbonent(const QString &name, const QString &phone);

// A directory of the given subscribers (name, phone number) in that order, with one
// selected and a sort key; the other slots as a new directory has them.
AbonentDirectory MakeDirectory(const QList<QPair<QString, QString>> &abonents, int selected,
                               quint8 sortKey = ByName);
// Names of the directory's entries in use, in order.
QStringList Names(const AbonentDirectory &directory);

// A settings store in a program folder of its own, whose live and saved settings both
// are the given ones, as if read from files holding them; no file exists yet, so a file
// there was written by the test. With it the status bar and the messages of the dialog.
struct StoreFixture {
    QTemporaryDir programDir;
    SettingsStore store;
    PanelStatusBar bar;
    QStringList messages;

    explicit StoreFixture(const Settings &current);
    ShowMessageFn recordMessages();
    bool abonentsWritten() const;
    bool bluetoothWritten() const;
    // The directory as abonents.ini holds it, read by a store of its own.
    AbonentDirectory directoryOnDisk() const;
};

// Acts in the modal windows of a test as they open, one step each, in order. A modal
// window that no step is waiting for is closed after a few seconds and noted in
// unexpected(), so a faulty test ends instead of waiting for ever.
class ModalScript : public QObject {
    Q_OBJECT
public:
    ModalScript();

    template <class T>
    ModalScript &on(std::function<void(T *)> act)
    {
        m_steps.append({[](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
                        [act](QWidget *w) { act(qobject_cast<T *>(w)); }});
        return *this;
    }
    // A message box: its text is added to texts, then button is pressed.
    ModalScript &answer(QStringList &texts, QMessageBox::StandardButton button = QMessageBox::Ok);

    int pending() const { return int(m_steps.size()); }
    QStringList unexpected() const { return m_unexpected; }

private:
    void poll();
    struct Step {
        std::function<bool(QWidget *)> accepts;
        std::function<void(QWidget *)> act;
    };
    QList<Step> m_steps;
    QStringList m_unexpected;
    QTimer m_timer;
    QPointer<QWidget> m_waitingToAct; // a step is about to act in it
    int m_idleTicks = 0;
};

} // namespace tavrin::test
