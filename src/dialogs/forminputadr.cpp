#include "dialogs/forminputadr.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/enterkey.h"
#include "dialogs/hexdigits.h"

#include <QEvent>
#include <QFocusEvent>
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
    top->addLayout(createAddressFields());

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

    const auto &f = m_addressFields;
    SetTabOrder({m_cancelButton, m_acceptButton, f[0], f[1], f[2], f[3], f[4], f[5]});
}

// The six fields a0..a5, left to right; field i carries tag i.
QLayout *TFormInput_Adr::createAddressFields()
{
    QFont fieldFont(QStringLiteral("Arial"));
    fieldFont.setBold(true);
    fieldFont.setPointSize(12);
    auto *hexOnly = new HexDigitsValidator(this);
    auto *fields = new QHBoxLayout;
    fields->setSpacing(5);
    for (int i = 0; i < int(m_addressFields.size()); ++i) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("a%1").arg(i));
        field->setProperty("tag", i);
        field->setMaxLength(2);
        field->setFont(fieldFont);
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(36);
        field->setValidator(hexOnly);
        field->installEventFilter(this);
        fields->addWidget(field);
        m_addressFields[i] = field;
    }
    return fields;
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
    for (int i = 0; i < int(m_addressFields.size()); ++i)
        m_addressFields[i]->setText(QString::asprintf("%02X", EditedAddress[i]));
    CentreOnOwner(*this);
    m_cancelButton->setFocus(Qt::OtherFocusReason);
}

bool TFormInput_Adr::eventFilter(QObject *watched, QEvent *event)
{
    // A field is left when the focus moves to another control of the dialog. Its own
    // context menu or a switch to another window only lends the focus away: filling an
    // emptied field with "00" there would leave no room to paste the digits into it.
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        auto *field = qobject_cast<QLineEdit *>(watched);
        if (field && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            onFieldLeft(field);
    }
    return QDialog::eventFilter(watched, event);
}

void TFormInput_Adr::onFieldLeft(QLineEdit *field)
{
    if (field->text().isEmpty())
        field->setText(QStringLiteral("00"));
    const int tag = field->property("tag").toInt();
    if (tag >= 0 && tag < int(EditedAddress.size()))
        EditedAddress[tag] = HexFieldByte(field->text());
}

void TFormInput_Adr::onAcceptClicked()
{
    // A field still being edited when "Принять" is pressed by key counts as left.
    if (auto *field = qobject_cast<QLineEdit *>(focusWidget()); field && field->hasFocus())
        onFieldLeft(field);
    if (IsNoDeviceAddress(EditedAddress)) {
        const MacAddress &a = EditedAddress;
        showMessage(AddressTexts::NoDeviceAddress.arg(
            QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4], a[5])));
        return; // the dialog stays open with the address as typed
    }
    m_storedPeerAddress = EditedAddress;
    Accepted = true;
    accept();
}

} // namespace tavrin
