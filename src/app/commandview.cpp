// The command view: one button per module command, sent once through the exchange
// engine, and the six fields of the stored peer address used by the addressed command.

#include "app/apptexts.h"
#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/hexbytefield.h"
#include "app/windowgeometry.h"

#include "dialogs/panelstatusbar.h"
#include "protocol/commandtable.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavrin {

namespace {

constexpr int kRowTop = 28;
constexpr int kRowPitch = 42;
constexpr int kButtonLeft = 42;
constexpr int kButtonWidth = 120;
constexpr int kAddressLeft = 172;
constexpr int kAddressPitch = 36;

} // namespace

void TFormMain::createCommandView()
{
    gb_command = new QGroupBox(QStringLiteral(" Передать команду Bluetuth-устройству "), Panel1);
    gb_command->setObjectName(QStringLiteral("gb_command"));
    gb_command->setGeometry(geometry::kViewLeft, geometry::kViewTop, 410, 500);

    const auto &table = CommandTable();
    for (int row = 0; row < kCommandRows; ++row) {
        const int top = kRowTop + row * kRowPitch;

        auto *hint = new QLabel(QStringLiteral("?"), gb_command);
        hint->setObjectName(QStringLiteral("pv%1").arg(row + 1));
        hint->setTextFormat(Qt::PlainText);
        hint->setAlignment(Qt::AlignCenter);
        hint->setFrameShape(QFrame::Panel);
        hint->setFrameShadow(QFrame::Raised);
        hint->setGeometry(12, top + 5, 22, 22);
        hint->setToolTip(table[row].description);
        pv[row] = hint;

        auto *button = new QPushButton(QString::fromLatin1(table[row].command), gb_command);
        button->setObjectName(QStringLiteral("bt%1").arg(row + 1));
        button->setProperty("tag", row);
        button->setGeometry(kButtonLeft, top, kButtonWidth, 32);
        connect(button, &QPushButton::clicked, this, [this, row] { btClick(row); });
        bt[row] = button;
    }

    const int addressTop = kRowTop + kPeerAddrWithAddressRow * kRowPitch + 4;
    for (int i = 0; i < 6; ++i) {
        auto *edit = new QLineEdit(gb_command);
        edit->setObjectName(QStringLiteral("a%1").arg(i));
        edit->setProperty("tag", i);
        edit->setMaxLength(2);
        edit->setAlignment(Qt::AlignCenter);
        edit->setValidator(new HexDigitsValidator(edit));
        edit->setGeometry(kAddressLeft + i * kAddressPitch, addressTop, 30, 24);
        edit->installEventFilter(this); // aKeyPress and aExit
        a[i] = edit;
    }

    BitBtn7 = new QPushButton(QStringLiteral("Выход"), gb_command);
    BitBtn7->setObjectName(QStringLiteral("BitBtn7"));
    BitBtn7->setGeometry(294, 452, 100, 34);
    connect(BitBtn7, &QPushButton::clicked, this, &TFormMain::BitBtnExitClick);
}

void TFormMain::NcommandClick()
{
    gb_command->move(geometry::kViewLeft, geometry::kViewTop);
    gb_command->show();
    gb_obmen->move(geometry::kLogLeft, geometry::kLogTop);
    gb_obmen->show();
    ViewMode = 1;
    setMenuEnabled(false);
    const MacAddress &address = Store.CurrentSettings.StoredPeerAddress;
    for (int i = 0; i < 6; ++i)
        a[i]->setText(QStringLiteral("%1").arg(address[i], 2, 16, QLatin1Char('0')).toUpper());
    ClearLog();
    StatusBar1->setPanelText(2, apptext::CommandMode);
}

void TFormMain::btClick(int row)
{
    // Refused while an exchange, a dial or a hang-up is running: the buttons stay
    // clickable through that loop's event processing.
    if (row < 0 || row >= kCommandRows || operationRunning() || m_closePending)
        return;
    // A field that still has the focus has not been left yet (a button that takes no
    // focus on click): its byte is taken now, as leaving it would.
    for (int i = 0; i < 6; ++i) {
        if (a[i]->hasFocus())
            aExit(i);
    }
    OperationScope operation(*this);
    CurrentRow = row;
    const QByteArray command = CommandText(row, Store.CurrentSettings.StoredPeerAddress);
    RunExchange(Channel, command.constData(), int(command.size()));
    scrollLogToEnd();
}

bool TFormMain::aKeyPress(QLineEdit *edit, QKeyEvent *event)
{
    // Pasted text is filtered as if typed key by key, before the field's length limit
    // cuts it.
    if (event->matches(QKeySequence::Paste)) {
        edit->insert(HexDigitsOnly(QGuiApplication::clipboard()->text()));
        return true;
    }
    QChar replacement;
    switch (FilterHexKey(*event, replacement)) {
    case HexKey::Pass:
        return false;
    case HexKey::Discard:
        return true;
    case HexKey::Replace:
        edit->insert(QString(replacement));
        return true;
    }
    return false;
}

void TFormMain::aExit(int index)
{
    if (index < 0 || index >= 6)
        return;
    QLineEdit *edit = a[index];
    if (edit->text().isEmpty())
        edit->setText(QStringLiteral("00"));
    Store.CurrentSettings.StoredPeerAddress[index] = HexFieldByte(edit->text());
}

} // namespace tavrin
