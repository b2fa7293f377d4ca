#pragma once

#include "dialogs/messagebox.h"
#include "settings/settings.h" // MacAddress

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;

namespace tavrin {

// The address dialog: the peripheral's six-byte address typed as six two-digit
// hexadecimal fields. "Принять" stores it into the address the opener gave; cancelling
// leaves that address alone.
class TFormInput_Adr : public QDialog {
    Q_OBJECT
public:
    // storedPeerAddress: the live settings' stored peer address, edited on accept only.
    TFormInput_Adr(MacAddress &storedPeerAddress, QWidget *owner);

    MacAddress EditedAddress{}; // the working copy
    bool Accepted = false;
    // Tells why an address is refused: a message box of this dialog unless the opener
    // hands on its own.
    ShowMessageFn showMessage;

protected:
    void showEvent(QShowEvent *event) override; // FormShow
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLayout *createAddressFields();
    void FormShow();
    // A field left: an empty one shows "00"; its byte goes into EditedAddress.
    void onFieldLeft(QLineEdit *field);
    void onAcceptClicked();

    MacAddress &m_storedPeerAddress;
    std::array<QLineEdit *, 6> m_addressFields{}; // field i carries tag i
    QPushButton *m_acceptButton = nullptr;
    QPushButton *m_cancelButton = nullptr; // also Esc and the close button
};

} // namespace tavrin
