#pragma once

#include "settings/settings.h" // MacAddress

#include <QDialog>

#include <array>

class QLabel;
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

    std::array<QLineEdit *, 6> a{}; // a0..a5; field i carries tag i
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "Принять"
    QPushButton *BitBtn2 = nullptr; // "Отменить", also Esc and the close button

protected:
    void showEvent(QShowEvent *event) override; // FormShow
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void aExit(QLineEdit *field);
    void BitBtn1Click();

    MacAddress &m_storedPeerAddress;
};

} // namespace tavrin
