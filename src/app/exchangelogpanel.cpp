#include "app/exchangelogpanel.h"

#include "app/apptexts.h"
#include "app/exchangelogview.h"
#include "app/windowgeometry.h"
#include "dialogs/enterkey.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tavrin {

using namespace geometry;

ExchangeLogPanel::ExchangeLogPanel(QWidget *parent) : QGroupBox(apptext::LogCaption, parent)
{
    setObjectName(QStringLiteral("gb_obmen"));

    // The log scrolls itself: its vertical scroll bar does what the scroll box around
    // the text once did, one line per step.
    m_log = new ExchangeLogView(this);
    m_log->setObjectName(QStringLiteral("Memo1"));
    m_log->setAccessibleName(apptext::LogCaption.trimmed());
    m_log->verticalScrollBar()->setObjectName(QStringLiteral("ScrollBox1"));
    m_log->setFrameShape(QFrame::StyledPanel);
    m_log->setFrameShadow(QFrame::Sunken);
    QPalette logPalette = m_log->palette();
    logPalette.setColor(QPalette::Window, LogGrey());
    logPalette.setColor(QPalette::Base, LogGrey());
    m_log->setPalette(logPalette);
    m_log->setMinimumSize(180, 60);

    m_clearButton = new QPushButton(apptext::ClearLog, this);
    m_clearButton->setObjectName(QStringLiteral("BitBtn6"));
    AtLeast(m_clearButton, {160, 32});
    connect(m_clearButton, &QPushButton::clicked, m_log, &ExchangeLogView::clearLog);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_clearButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 4, 7, 7);
    layout->setSpacing(8);
    layout->addWidget(m_log, 1);
    layout->addLayout(buttonRow);
    PressFocusedButtonOnEnter(*this);
}

} // namespace tavrin
