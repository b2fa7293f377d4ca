#pragma once

#include "dialogs/messagebox.h"
#include "settings/settings.h" // MacAddress

#include <QDialog>

class QPushButton;

namespace tavrin {

class MacAddressEdit;

// The address dialog: the peripheral's six-byte address typed as six two-digit
// hexadecimal fields. "Принять" stores it into the address the opener gave; cancelling
// leaves that address alone.
class TFormInput_Adr : public QDialog {
    Q_OBJECT
public:
    // storedPeerAddress: the live settings' stored peer address, edited on accept only.
    TFormInput_Adr(MacAddress &storedPeerAddress, QWidget *owner);

    MacAddress EditedAddress{}; // the working copy
    // Tells why an address is refused: a message box of this dialog unless the opener
    // hands on its own.
    ShowMessageFn showMessage;

protected:
    void showEvent(QShowEvent *event) override; // FormShow

private:
    void FormShow();
    void onAcceptClicked();

    MacAddress &m_storedPeerAddress;
    MacAddressEdit *m_addressEdit = nullptr; // a0..a5; a field left puts its byte into EditedAddress
    QPushButton *m_acceptButton = nullptr;
    QPushButton *m_cancelButton = nullptr; // also Esc and the close button
};

} // namespace tavrin
