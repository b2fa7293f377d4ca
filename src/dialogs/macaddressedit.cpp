#include "dialogs/macaddressedit.h"

#include "dialogs/hexdigits.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace tavrin {

MacAddressEdit::MacAddressEdit(QWidget *parent) : QWidget(parent)
{
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(0, 0, 0, 0);
    auto *hexOnly = new HexDigitsValidator(this);
    for (int i = 0; i < int(m_fields.size()); ++i) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("a%1").arg(i));
        field->setProperty("tag", i);
        field->setMaxLength(2);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(hexOnly);
        field->installEventFilter(this);
        m_row->addWidget(field);
        m_fields[size_t(i)] = field;
    }
    setFieldLook(font(), 30, 6);
}

void MacAddressEdit::setFieldLook(const QFont &font, int minimumWidth, int spacing)
{
    m_row->setSpacing(spacing);
    for (QLineEdit *field : m_fields) {
        field->setFont(font);
        // Two of the widest digits, the frame and the text margins around them.
        QStyleOptionFrame option;
        option.initFrom(field);
        const QSize text(field->fontMetrics().horizontalAdvance(QStringLiteral("DD")) + 6,
                         field->fontMetrics().height());
        const int needed = field->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, field).width();
        field->setFixedWidth(std::max(minimumWidth, needed));
    }
}

void MacAddressEdit::setAddress(const MacAddress &address)
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(QString::asprintf("%02X", address[i]));
}

void MacAddressEdit::leaveFocusedField()
{
    for (QLineEdit *field : m_fields) {
        if (field->hasFocus())
            leave(field);
    }
}

void MacAddressEdit::leaveEveryField()
{
    for (QLineEdit *field : m_fields)
        leave(field);
}

bool MacAddressEdit::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field)
        return QWidget::eventFilter(watched, event);
    if (m_ctrlZToWindow && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Z && key->modifiers() == Qt::ControlModifier)
            return true;
    }
    if (event->type() == QEvent::KeyPress)
        return filterKey(field, static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            leave(field);
    }
    return QWidget::eventFilter(watched, event);
}

bool MacAddressEdit::filterKey(QLineEdit *field, QKeyEvent *event)
{
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

void MacAddressEdit::leave(QLineEdit *field)
{
    if (field->text().isEmpty())
        field->setText(QStringLiteral("00"));
    emit byteLeft(field->property("tag").toInt(), HexFieldByte(field->text()));
}

} // namespace tavrin
