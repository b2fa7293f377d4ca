#pragma once

#include "dialogs/messagebox.h"
#include "settings/settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavrin {

class AbonentBox;
class PanelStatusBar;
class SettingsStore;

// The connection parameters dialog for the kind chosen in the connect dialog: port,
// rate, the two reply time-outs and the wake-up byte, for the phone kind the modem
// command, the connection wait, the dialling attempts and the subscriber, and for the
// network kind (which has no port) the connect time limit. "Принять"
// checks the fields and stores them into the settings being edited; the number of
// exchange attempts is shown as 1 and passes through unchanged.
class TFormConn_Par : public QDialog {
    Q_OBJECT
public:
    // editedSettings: the connect dialog's working settings, edited in place. Subscribers
    // added and a subscriber list accepted here are committed to the live settings and
    // abonents.ini at once.
    TFormConn_Par(SettingsStore &store, Settings &editedSettings, QWidget *owner);

    PanelStatusBar *StatusBar = nullptr; // set by the opener before showing
    ShowMessageFn showMessage; // a message box of this dialog unless the opener hands on its own

protected:
    void showEvent(QShowEvent *event) override; // FormShow

private:
    // A number field and the range that "Принять" allows in it.
    struct RangedField {
        QLineEdit *edit;
        int minimum;
        int maximum;
        const QString &name; // for the range message
    };

    QGridLayout *createLineControls();
    QFrame *createPhonePanel();
    QFrame *createNetworkPanel();
    QLayout *createButtons();
    void FormShow();
    void fillPortList();
    void fillRateList();
    void showPhoneParameters();
    void showNetworkParameters();
    void fillAbonentCombo();
    void showStatus();
    void showPhoneCode(); // the selected subscriber's phone number beside the box
    void onAcceptClicked();
    bool allLineParametersGiven() const;
    bool readLineParameters();
    bool readPhoneParameters();
    bool readNetworkParameters();
    // The field's value into target, when it is an integer within its range; otherwise
    // its range message is shown, target is left alone and the result is false.
    bool readRanged(const RangedField &field, qint32 &target);

    SettingsStore &m_store;
    Settings &m_editedSettings;
    ConnectionParameters m_localParameters; // the shown kind's, stored back on "Принять"
    QLabel *m_portLabel = nullptr;
    QComboBox *m_portList = nullptr;
    QLabel *m_rateNote = nullptr; // the network kind: where the rate is used
    QComboBox *m_rateList = nullptr;
    QLineEdit *m_waitTimeEdit = nullptr;
    QLineEdit *m_timeOutEdit = nullptr;
    QComboBox *m_attemptsList = nullptr;
    QCheckBox *m_wakeUpByteBox = nullptr;
    QFrame *m_phonePanel = nullptr;
    QFrame *m_networkPanel = nullptr;
    QLineEdit *m_connectLimitEdit = nullptr;
    QLineEdit *m_commandEdit = nullptr;
    QLineEdit *m_connectWaitEdit = nullptr;
    QLineEdit *m_connRepeatEdit = nullptr;
    QComboBox *m_abonentList = nullptr;
    QPushButton *m_listButton = nullptr;
    QLabel *m_phoneCode = nullptr;
    QPushButton *m_acceptButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    AbonentBox *m_abonents = nullptr;
};

} // namespace tavrin
