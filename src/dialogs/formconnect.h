#pragma once

#include "settings/settings.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace tavrin {

class PanelStatusBar;
class SettingsStore;

// The connect dialog: the connection kind and, for a phone link, the subscriber, chosen
// on a working copy of the settings that replaces the live ones when accepted.
class TFormConnect : public QDialog {
    Q_OBJECT
public:
    TFormConnect(SettingsStore &store, QWidget *owner);

    Settings WorkingSettings;
    PanelStatusBar *StatusBar = nullptr; // set by the opener before showing
    bool Accepted = false;

    // Tells the user something in a modal box with an empty title and one OK button.
    // Tests replace it to see the message instead of a box.
    std::function<void(const QString &text)> showMessage;

    void FillAbonentCombo();

    QComboBox *ComboBox3 = nullptr; // connection kind; the position is the ConnectionKind
    QComboBox *ComboBox2 = nullptr; // subscribers, then "Новый абонент" while there is room
    QLabel *abonentLabel = nullptr;
    QLabel *listLabel = nullptr;
    QPushButton *BitBtn6 = nullptr; // subscriber list
    QPushButton *BitBtn3 = nullptr; // connection parameters
    QPushButton *BitBtn1 = nullptr; // "Принять"
    QPushButton *BitBtn2 = nullptr; // "Выход"

protected:
    void showEvent(QShowEvent *event) override; // FormShow

private:
    void FormShow();
    void ComboBox3Click();
    void ComboBox2Click();
    // "Новый абонент" chosen: adds a subscriber through the subscriber editor. True when
    // one was added. The editor is not part of the program yet, so nothing is added.
    bool AddAbonent();
    void BitBtn6Click(); // the subscriber list; not part of the program yet
    void BitBtn3Click(); // the connection parameters dialog; not part of the program yet
    void BitBtn1Click();
    void BitBtn2Click();
    void ShowStatus();
    // "Абонент", the subscriber box, "Список абонентов" and the list button.
    void EnableSubscriberControls(bool enabled);

    SettingsStore &m_store;
};

} // namespace tavrin
