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

#include <algorithm>
#include <utility>

namespace tavrin {

namespace {

constexpr int kWidth = 416;
constexpr int kHeight = 156;

// The null and the broadcast address: no peripheral has them, and a module paired with
// one is left paired with nothing.
bool IsNoDeviceAddress(const MacAddress &address)
{
    const auto all = [&address](quint8 value) {
        return std::all_of(address.begin(), address.end(), [value](quint8 byte) { return byte == value; });
    };
    return all(0x00) || all(0xFF);
}

} // namespace

TFormInput_Adr::TFormInput_Adr(MacAddress &storedPeerAddress, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly), showMessage(MessageBoxOf(this)), m_storedPeerAddress(storedPeerAddress)
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
    if (IsNoDeviceAddress(EditedAddress)) {
        const MacAddress &a = EditedAddress;
        showMessage(AddressTexts::NoDeviceAddress.arg(
            QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4], a[5])));
        return; // the dialog stays open with the address as typed
    }
    m_storedPeerAddress = EditedAddress;
    accept();
}

} // namespace tavrin
