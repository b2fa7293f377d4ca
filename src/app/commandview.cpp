#include "app/commandview.h"

#include "app/apptexts.h"
#include "app/exchangelogview.h"
#include "app/windowdialogs.h"
#include "app/windowgeometry.h"
#include "dialogs/enterkey.h"
#include "dialogs/macaddressedit.h"
#include "protocol/commandtable.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tavrin {

using namespace geometry;

CommandView::CommandView(WindowDialogs &dialogs, ExchangeLogView &log, QWidget *parent)
    : QGroupBox(apptext::CommandViewCaption, parent), m_dialogs(dialogs), m_log(log)
{
    setObjectName(QStringLiteral("gb_command"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(9, 8, 13, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);

    const auto &table = CommandTable();
    for (int row = 0; row < kCommandRows; ++row) {
        auto *hint = new QLabel(apptext::CommandHint, this);
        hint->setObjectName(QStringLiteral("pv%1").arg(row + 1));
        hint->setTextFormat(Qt::PlainText);
        hint->setAlignment(Qt::AlignCenter);
        hint->setFrameShape(QFrame::Panel);
        hint->setFrameShadow(QFrame::Raised);
        hint->setToolTip(table[row].description);
        AtLeast(hint, {22, 22});
        grid->addWidget(hint, row, 0, Qt::AlignVCenter);

        auto *button = new QPushButton(QString::fromLatin1(table[row].command), this);
        button->setObjectName(QStringLiteral("bt%1").arg(row + 1));
        button->setProperty("tag", row);
        AtLeast(button, {120, 32});
        connect(button, &QPushButton::clicked, this, [this, row] {
            // A field that still has the focus has not been left yet (a button that
            // takes no focus on click, or Enter): its byte is taken now.
            m_address->leaveFocusedField();
            emit commandRequested(row);
        });
        grid->addWidget(button, row, 1);
    }

    m_address = new MacAddressEdit(this);
    m_address->leaveCtrlZToWindow(); // Ctrl+Z is the window's hidden menu key
    connect(m_address, &MacAddressEdit::byteLeft, this, &CommandView::addressByteLeft);
    grid->addWidget(m_address, kPeerAddrWithAddressRow, 2, Qt::AlignLeft | Qt::AlignVCenter);

    auto *exitButton = new QPushButton(apptext::Exit, this);
    exitButton->setObjectName(QStringLiteral("BitBtn7"));
    AtLeast(exitButton, {100, 34});
    connect(exitButton, &QPushButton::clicked, this, &CommandView::exitRequested);
    grid->setRowStretch(kCommandRows, 1);
    grid->addWidget(exitButton, kCommandRows + 1, 0, 1, 3, Qt::AlignRight);
    grid->setColumnStretch(2, 1);

    PressFocusedButtonOnEnter(*this);
}

void CommandView::showAddress(const MacAddress &address)
{
    m_address->setAddress(address);
}

void CommandView::showMessage(const QString &text)
{
    m_dialogs.showMessage(text);
}

void CommandView::scrollLogToEnd()
{
    m_log.scrollToEnd();
}

QSize CommandView::minimumSizeHint() const
{
    return QGroupBox::minimumSizeHint().expandedTo(kViewSize);
}

QSize CommandView::sizeHint() const
{
    return QGroupBox::sizeHint().expandedTo(kViewSize);
}

} // namespace tavrin
