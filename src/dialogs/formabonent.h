#pragma once

#include "dialogs/messagebox.h"
#include "settings/settings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tavrin {

// EditMode of the subscriber editor.
enum AbonentEditMode : int { AddMode = 0, EditMode = 1 };

// The subscriber editor: the name, the phone number and the network address with its
// protocol of one directory slot. It fills the slot only on "Принять"; the slot's two
// controller addresses are never touched. A subscriber needs a name and a phone number
// or a network address; an address given must be one a connection can be made to.
class TFormAbonent : public QDialog {
    Q_OBJECT
public:
    // target: the slot to fill (in EditMode also shown); editMode: AddMode or EditMode.
    TFormAbonent(AbonentRecord &target, int editMode, QWidget *owner);

    ShowMessageFn showMessage; // a message box of this dialog unless the opener hands on its own

protected:
    void showEvent(QShowEvent *event) override; // FormShow

private:
    void FormShow();
    void onAcceptClicked();
    // The message for a field holding a character the subscriber file cannot store, or
    // an empty text.
    QString unstorableCharMessage() const;

    AbonentRecord &m_target;
    const int m_editMode;
    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_phoneEdit = nullptr;
    QLineEdit *m_addressEdit = nullptr;
    QComboBox *m_protocolList = nullptr; // the position is the NetworkProtocol
    QPushButton *m_acceptButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace tavrin
