#include "dialogs/forminputadr.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/enterkey.h"
#include "dialogs/hexdigits.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tavrin {

namespace {

constexpr int kWidth = 416;
constexpr int kHeight = 156;

} // namespace

TFormInput_Adr::TFormInput_Adr(MacAddress &storedPeerAddress, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_storedPeerAddress(storedPeerAddress)
{
    setObjectName(QStringLiteral("FormInput_Adr"));
    setWindowTitle(QString());
    resize(kWidth, kHeight);

    Label1 = new QLabel(AddressTexts::Line1, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(AddressTexts::Line2, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel *label : {Label1, Label2}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    QFont fieldFont(QStringLiteral("Arial"));
    fieldFont.setBold(true);
    fieldFont.setPointSize(12);
    auto *hexOnly = new HexDigitsValidator(this);
    auto *fields = new QHBoxLayout;
    fields->setSpacing(5);
    for (int i = 0; i < int(a.size()); ++i) {
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
        a[i] = field;
    }

    BitBtn1 = new QPushButton(AddressTexts::Accept, this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(AddressTexts::Cancel, this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton *button : {BitBtn1, BitBtn2})
        button->setMinimumWidth(100);
    PressFocusedButtonOnEnter(*this);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormInput_Adr::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto *captions = new QVBoxLayout;
    captions->setSpacing(2);
    captions->addWidget(Label1);
    captions->addWidget(Label2);

    auto *top = new QHBoxLayout;
    top->addLayout(captions, 1);
    top->addSpacing(10);
    top->addLayout(fields);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 18, 12, 14);
    layout->addLayout(top);
    layout->addStretch();
    layout->addLayout(buttons);

    setTabOrder(BitBtn2, BitBtn1);
    setTabOrder(BitBtn1, a[0]);
    for (int i = 1; i < int(a.size()); ++i)
        setTabOrder(a[i - 1], a[i]);
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
    for (int i = 0; i < int(a.size()); ++i)
        a[i]->setText(QString::asprintf("%02X", EditedAddress[i]));
    if (QWidget *owner = parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    BitBtn2->setFocus(Qt::OtherFocusReason);
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
            aExit(field);
    }
    return QDialog::eventFilter(watched, event);
}

void TFormInput_Adr::aExit(QLineEdit *field)
{
    if (field->text().isEmpty())
        field->setText(QStringLiteral("00"));
    const int tag = field->property("tag").toInt();
    if (tag >= 0 && tag < int(EditedAddress.size()))
        EditedAddress[tag] = HexFieldByte(field->text());
}

void TFormInput_Adr::BitBtn1Click()
{
    // A field still being edited when "Принять" is pressed by key counts as left.
    if (auto *field = qobject_cast<QLineEdit *>(focusWidget()); field && field->hasFocus())
        aExit(field);
    m_storedPeerAddress = EditedAddress;
    Accepted = true;
    accept();
}

} // namespace tavrin
