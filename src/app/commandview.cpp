// The command view: one button per module command, sent once through the session, and
// the six fields of the stored peer address used by the addressed command.

#include "app/apptexts.h"
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
    m_commandView = new QGroupBox(QStringLiteral(" Передать команду Bluetuth-устройству "), m_background);
    m_commandView->setObjectName(QStringLiteral("gb_command"));
    m_commandView->setGeometry(geometry::kViewLeft, geometry::kViewTop, 410, 500);

    const auto &table = CommandTable();
    for (int row = 0; row < kCommandRows; ++row) {
        const int top = kRowTop + row * kRowPitch;

        auto *hint = new QLabel(QStringLiteral("?"), m_commandView);
        hint->setObjectName(QStringLiteral("pv%1").arg(row + 1));
        hint->setTextFormat(Qt::PlainText);
        hint->setAlignment(Qt::AlignCenter);
        hint->setFrameShape(QFrame::Panel);
        hint->setFrameShadow(QFrame::Raised);
        hint->setGeometry(12, top + 5, 22, 22);
        hint->setToolTip(table[row].description);

        auto *button = new QPushButton(QString::fromLatin1(table[row].command), m_commandView);
        button->setObjectName(QStringLiteral("bt%1").arg(row + 1));
        button->setProperty("tag", row);
        button->setGeometry(kButtonLeft, top, kButtonWidth, 32);
        connect(button, &QPushButton::clicked, this, [this, row] { onCommandButtonClicked(row); });
    }

    const int addressTop = kRowTop + kPeerAddrWithAddressRow * kRowPitch + 4;
    for (int i = 0; i < 6; ++i) {
        auto *field = new QLineEdit(m_commandView);
        field->setObjectName(QStringLiteral("a%1").arg(i));
        field->setProperty("tag", i);
        field->setMaxLength(2);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(new HexDigitsValidator(field));
        field->setGeometry(kAddressLeft + i * kAddressPitch, addressTop, 30, 24);
        field->installEventFilter(this); // the key filter and the leave handler
        m_addressFields[i] = field;
    }

    auto *exitButton = new QPushButton(QStringLiteral("Выход"), m_commandView);
    exitButton->setObjectName(QStringLiteral("BitBtn7"));
    exitButton->setGeometry(294, 452, 100, 34);
    connect(exitButton, &QPushButton::clicked, this, &TFormMain::exitView);
}

void TFormMain::onCommandModeTriggered()
{
    openView(ViewMode::Command);
    const MacAddress &address = m_session.store().CurrentSettings.StoredPeerAddress;
    for (int i = 0; i < 6; ++i)
        m_addressFields[i]->setText(QStringLiteral("%1").arg(address[i], 2, 16, QLatin1Char('0')).toUpper());
    m_statusBar->setPanelText(2, apptext::CommandMode);
}

void TFormMain::onCommandButtonClicked(int row)
{
    // A field that still has the focus has not been left yet (a button that takes no
    // focus on click): its byte is taken now, as leaving it would.
    for (int i = 0; i < 6; ++i) {
        if (m_addressFields[i]->hasFocus())
            onAddressFieldLeft(i);
    }
    m_session.sendCommand(row);
}

bool TFormMain::filterAddressFieldEvent(QLineEdit *field, QEvent *event)
{
    // Ctrl+Z is the window's hidden menu key, also while a field is being edited: the
    // field does not claim it for its own undo, so the window's shortcut runs.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Z && key->modifiers() == Qt::ControlModifier)
            return true;
    }
    if (event->type() == QEvent::KeyPress)
        return filterAddressKey(field, static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Switching to another program or opening the field's context menu is not
        // leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            onAddressFieldLeft(field->property("tag").toInt());
    }
    return false;
}

bool TFormMain::filterAddressKey(QLineEdit *field, QKeyEvent *event)
{
    // Pasted text is filtered as if typed key by key, before the field's length limit
    // cuts it.
    if (event->matches(QKeySequence::Paste)) {
        field->insert(HexDigitsOnly(QGuiApplication::clipboard()->text()));
        return true;
    }
    QChar replacement;
    switch (FilterHexKey(*event, replacement)) {
    case HexKey::Pass:
        return false;
    case HexKey::Discard:
        return true;
    case HexKey::Replace:
        field->insert(QString(replacement));
        return true;
    }
    return false;
}

void TFormMain::onAddressFieldLeft(int index)
{
    if (index < 0 || index >= 6)
        return;
    QLineEdit *field = m_addressFields[index];
    if (field->text().isEmpty())
        field->setText(QStringLiteral("00"));
    m_session.store().CurrentSettings.StoredPeerAddress[index] = HexFieldByte(field->text());
}

} // namespace tavrin
