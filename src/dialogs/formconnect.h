#pragma once

#include "dialogs/messagebox.h"
#include "settings/settings.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace tavrin {

class AbonentBox;
class PanelStatusBar;
class SettingsStore;

// The connect dialog: the connection kind and, for a phone or network link, the subscriber, chosen
// on a working copy of the settings that replaces the live ones when accepted. From it
// the subscriber editor, the subscriber list and the connection parameters dialog open;
// directory changes they commit reach the live settings and abonents.ini at once.
class TFormConnect : public QDialog {
    Q_OBJECT
public:
    TFormConnect(SettingsStore &store, QWidget *owner);

    Settings WorkingSettings;
    PanelStatusBar *StatusBar = nullptr; // set by the opener before showing

    // Tells the user something in a modal box with an empty title and one OK button; the
    // dialogs opened from here use it too. The opener or a test may replace it.
    ShowMessageFn showMessage;

protected:
    void showEvent(QShowEvent *event) override; // FormShow

private:
    QLayout *createControls();
    void FormShow();
    void fillAbonentCombo();
    void onKindChosen();
    void onChangeParametersClicked();
    void onAcceptClicked();
    void showStatus();
    // "Абонент", the subscriber box, "Список абонентов" and the list button.
    void enableSubscriberControls(bool enabled);

    SettingsStore &m_store;
    QComboBox *m_kindList = nullptr; // the position is the ConnectionKind
    QComboBox *m_abonentList = nullptr;
    QLabel *m_abonentLabel = nullptr;
    QLabel *m_listLabel = nullptr;
    QPushButton *m_listButton = nullptr;
    QPushButton *m_parametersButton = nullptr;
    QPushButton *m_acceptButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    AbonentBox *m_abonents = nullptr;
};

} // namespace tavrin
