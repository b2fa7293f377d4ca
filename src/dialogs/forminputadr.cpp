#include "dialogs/forminputadr.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/enterkey.h"
#include "dialogs/macaddressedit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <utility>

namespace tavrin {

namespace {

constexpr int kWidth = 416;
constexpr int kHeight = 156;

} // namespace

TFormInput_Adr::TFormInput_Adr(MacAddress &storedPeerAddress, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly), m_storedPeerAddress(storedPeerAddress)
{
    setObjectName(QStringLiteral("FormInput_Adr"));
    setWindowTitle(CommonTexts::BlankTitle);
    resize(kWidth, kHeight);

    auto *captions = new QVBoxLayout;
    captions->setSpacing(2);
    for (const auto &[text, name] : {std::pair{&AddressTexts::Line1, "Label1"}, std::pair{&AddressTexts::Line2, "Label2"}}) {
        QLabel *label = PlainLabel(*text, this);
        label->setObjectName(QLatin1String(name));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        captions->addWidget(label);
    }
    auto *top = new QHBoxLayout;
    top->addLayout(captions, 1);
    top->addSpacing(10);
    m_addressEdit = new MacAddressEdit(this);
    QFont fieldFont(QStringLiteral("Arial"));
    fieldFont.setBold(true);
    fieldFont.setPointSize(12);
    m_addressEdit->setFieldLook(fieldFont, 36, 5);
    connect(m_addressEdit, &MacAddressEdit::byteLeft, this, [this](int index, quint8 value) {
        if (index >= 0 && index < int(EditedAddress.size()))
            EditedAddress[size_t(index)] = value;
    });
    top->addWidget(m_addressEdit);

    m_acceptButton = DialogButton(CommonTexts::Accept, "BitBtn1", this);
    m_cancelButton = DialogButton(CommonTexts::Cancel, "BitBtn2", this);
    PressFocusedButtonOnEnter(*this);
    connect(m_acceptButton, &QPushButton::clicked, this, &TFormInput_Adr::onAcceptClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 18, 12, 14);
    layout->addLayout(top);
    layout->addStretch();
    layout->addLayout(ButtonRow({}, {m_acceptButton, m_cancelButton}));

    const auto field = [this](int i) { return static_cast<QWidget *>(m_addressEdit->field(i)); };
    SetTabOrder({m_cancelButton, m_acceptButton, field(0), field(1), field(2), field(3), field(4), field(5)});
}

void TFormInput_Adr::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormInput_Adr::FormShow()
{
    resize(kWidth, kHeight);
    EditedAddress = m_storedPeerAddress;
    m_addressEdit->setAddress(EditedAddress);
    CentreOnOwner(*this);
    m_cancelButton->setFocus(Qt::OtherFocusReason);
}

void TFormInput_Adr::onAcceptClicked()
{
    // Every field is taken as it is shown: one still being edited has not been left when
    // "Принять" is pressed by key, nor when the dialog is not the active window at the
    // click, since the focus then moves without a focus-out.
    m_addressEdit->leaveEveryField();
    m_storedPeerAddress = EditedAddress;
    accept();
}

} // namespace tavrin
