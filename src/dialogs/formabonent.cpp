#include "dialogs/formabonent.h"

#include "dialogs/cp1251check.h"
#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/enterkey.h"
#include "link/networkaddress.h"

#include <QComboBox>
#include <QGridLayout>
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

constexpr int kWidth = 568;
constexpr int kHeight = 156;

} // namespace

TFormAbonent::TFormAbonent(AbonentRecord &target, int editMode, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly), showMessage(MessageBoxOf(this)), m_target(target), m_editMode(editMode)
{
    setObjectName(QStringLiteral("FormAbonent"));
    setWindowTitle(AbonentTexts::Caption);
    resize(kWidth, kHeight);

    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("Edit1"));
    m_nameEdit->setMaxLength(kUserNameChars);
    m_phoneEdit = new QLineEdit(this);
    m_phoneEdit->setObjectName(QStringLiteral("Edit2"));
    m_phoneEdit->setMaxLength(kPhoneCodeChars);
    m_addressEdit = new QLineEdit(this);
    m_addressEdit->setObjectName(QStringLiteral("NetworkAddressEdit"));
    m_addressEdit->setMaxLength(kNetworkAddressChars);
    m_protocolList = new QComboBox(this);
    m_protocolList->setObjectName(QStringLiteral("ProtocolList"));
    m_protocolList->addItems({CommonTexts::ProtocolRawTcp, CommonTexts::ProtocolRfc2217});
    m_acceptButton = DialogButton(CommonTexts::Accept, "BitBtn4", this);
    m_cancelButton = DialogButton(CommonTexts::Cancel, "BitBtn5", this);

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(12);
    fields->addWidget(PlainLabel(CommonTexts::NameLabel, this), 0, 0);
    fields->addWidget(PlainLabel(CommonTexts::PhoneLabel, this), 0, 1);
    fields->addWidget(m_nameEdit, 1, 0);
    fields->addWidget(m_phoneEdit, 1, 1);
    fields->setRowMinimumHeight(2, 6);
    fields->addWidget(PlainLabel(CommonTexts::NetworkAddressLabel, this), 3, 0);
    fields->addWidget(PlainLabel(CommonTexts::ProtocolLabel, this), 3, 1);
    fields->addWidget(m_addressEdit, 4, 0);
    fields->addWidget(m_protocolList, 4, 1, Qt::AlignLeft);
    fields->setColumnStretch(0, 5);
    fields->setColumnStretch(1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(ButtonRow({}, {m_acceptButton, m_cancelButton}));

    PressFocusedButtonOnEnter(*this);
    m_acceptButton->setDefault(true); // Enter in a field accepts
    connect(m_acceptButton, &QPushButton::clicked, this, &TFormAbonent::onAcceptClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormAbonent::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormAbonent::FormShow()
{
    // The address row makes it taller than its two fields alone did.
    resize(kWidth, std::max(kHeight, sizeHint().height()));
    CentreOnScreen(*this);
    if (m_editMode == EditMode) {
        m_nameEdit->setText(m_target.name);
        m_phoneEdit->setText(m_target.phoneNumber);
        m_addressEdit->setText(m_target.networkAddress);
        m_protocolList->setCurrentIndex(m_target.networkProtocol == Rfc2217 ? Rfc2217 : RawTcp);
    }
    m_nameEdit->setFocus(Qt::OtherFocusReason);
}

QString TFormAbonent::unstorableCharMessage() const
{
    for (const auto &[edit, fieldName] : {std::pair{m_nameEdit, CommonTexts::NameLabel},
                                          std::pair{m_phoneEdit, CommonTexts::PhoneLabel}}) {
        const QString character = FirstCharWithoutCp1251(edit->text());
        if (!character.isEmpty())
            return AbonentTexts::NoCp1251Form.arg(character, fieldName);
    }
    return {};
}

void TFormAbonent::onAcceptClicked()
{
    const QString address = m_addressEdit->text().trimmed();
    // A site reached over the network only needs no phone number.
    if (m_nameEdit->text().isEmpty() || (m_phoneEdit->text().isEmpty() && address.isEmpty())) {
        showMessage(CommonTexts::NotAllParameters);
        return;
    }
    if (const QString message = unstorableCharMessage(); !message.isEmpty()) {
        showMessage(message);
        return;
    }
    if (!address.isEmpty() && !ParseNetworkAddress(address)) {
        showMessage(AbonentTexts::BadNetworkAddress.arg(address));
        m_addressEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_target.name = m_nameEdit->text();
    m_target.phoneNumber = m_phoneEdit->text();
    m_target.networkAddress = address;
    m_target.networkProtocol = NetworkProtocol(m_protocolList->currentIndex() == Rfc2217 ? Rfc2217 : RawTcp);
    accept();
}

} // namespace tavrin
