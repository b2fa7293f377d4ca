#pragma once

#include "settings/settings.h"

#include <QDialog>

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

    void FillAbonentCombo();

protected:
    void showEvent(QShowEvent *event) override; // FormShow

private:
    void FormShow();
    void ComboBox3Click();
    void ComboBox2Click();
    void BitBtn1Click();
    void BitBtn2Click();

    SettingsStore &m_store;
    QComboBox *ComboBox3 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QLabel *abonentLabel = nullptr;
    QLabel *listLabel = nullptr;
    QPushButton *BitBtn6 = nullptr;
    QPushButton *BitBtn3 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn2 = nullptr;
};

} // namespace tavrin
