#pragma once

#include "dialogs/messagebox.h"

#include <QList>
#include <QObject>

#include <functional>

class QComboBox;
class QPushButton;
class QWidget;

namespace tavrin {

struct AbonentDirectory;
struct Settings;
class SettingsStore;

// The subscriber box and list button that the connect dialog and the connection
// parameters dialog share. The box lists the directory's names, then "Новый абонент"
// while there is room. Choosing a name selects that subscriber; choosing "Новый абонент"
// adds one through the subscriber editor; the button opens the subscriber list. A
// subscriber added or a list accepted is committed: the directory is copied into the
// live settings and abonents.ini is written, so nothing the user added is lost.
class AbonentBox : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> showStatus; // shows the dialog's choice in the status bar
        ShowMessageFn showMessage;        // the dialog's messages, handed on to the editor
        // The settings the dialog works with: a survey from the list dials with their
        // phone kind's line and modem fields.
        std::function<Settings()> surveySettings;
    };
    // directory: the one the dialog edits (in the connect dialog's working settings).
    AbonentBox(SettingsStore &store, AbonentDirectory &directory, QComboBox *box, QPushButton *listButton,
               QWidget *dialog, Hooks hooks);

    // fillAbonentCombo: the names and "Новый абонент"; the selected subscriber selected
    // and shown in the status bar, or nothing selected for an empty directory.
    void fill();
    // Lists only the subscribers that have a network address (the network kind); the
    // selected subscriber is selected only when it is one of them.
    void setNetworkOnly(bool networkOnly) { m_networkOnly = networkOnly; }
    // A subscriber, not the "Новый абонент" line, is selected.
    bool hasChoice() const;
    // The directory becomes the live one and is written to abonents.ini when it differs
    // from what the file holds. A write failure throws SettingsWriteError.
    void commit();

private:
    void onChosen(int line);
    void onListClicked();
    // The selected subscriber selected again (nothing for an empty directory).
    void reselect();

    SettingsStore &m_store;
    AbonentDirectory &m_directory;
    QComboBox *m_box;
    QWidget *m_dialog;
    Hooks m_hooks;
    bool m_networkOnly = false;
    QList<int> m_shown; // the directory position of each subscriber line, in box order
};

} // namespace tavrin
