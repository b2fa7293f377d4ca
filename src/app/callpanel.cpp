#include "app/callpanel.h"

#include "app/apptexts.h"
#include "app/windowgeometry.h"
#include "dialogs/enterkey.h"
#include "link/clocktext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace tavrin {

using namespace geometry;

namespace {

constexpr QSize kDesignSize{540, 46};

} // namespace

CallPanel::CallPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnmodem"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    auto *caption = new QLabel(apptext::CallDurationCaption, this);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->setTextFormat(Qt::PlainText);

    m_duration = new QLabel(this);
    m_duration->setObjectName(QStringLiteral("pntime"));
    m_duration->setTextFormat(Qt::PlainText);
    m_duration->setFrameShape(QFrame::Panel);
    m_duration->setFrameShadow(QFrame::Sunken);
    m_duration->setAlignment(Qt::AlignCenter);
    m_duration->setText(apptext::CallStarted); // sized for the duration it will show
    AtLeast(m_duration, {86, 26});
    m_duration->clear();

    m_disconnectButton = new QPushButton(apptext::Disconnect, this);
    m_disconnectButton->setObjectName(QStringLiteral("BitBtn3"));
    AtLeast(m_disconnectButton, {140, 32});
    connect(m_disconnectButton, &QPushButton::clicked, this, &CallPanel::disconnectClicked);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(11, 6, 10, 6);
    row->setSpacing(8);
    row->addWidget(caption, 1);
    row->addWidget(m_duration, 0, Qt::AlignVCenter);
    row->addSpacing(6);
    row->addWidget(m_disconnectButton);
    PressFocusedButtonOnEnter(*this);

    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("TimerMoney"));
    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, &CallPanel::onClockTick);
}

void CallPanel::startCall()
{
    m_duration->setText(apptext::CallStarted);
    m_clock.start();
    m_clockTimer->start();
}

void CallPanel::stopClock()
{
    m_clockTimer->stop();
}

void CallPanel::onClockTick()
{
    const qint64 seconds = m_clock.isValid() ? m_clock.elapsed() / 1000 : 0;
    m_duration->setText(ClockText(seconds));
}

QSize CallPanel::minimumSizeHint() const
{
    return QFrame::minimumSizeHint().expandedTo(kDesignSize);
}

QSize CallPanel::sizeHint() const
{
    return QFrame::sizeHint().expandedTo(kDesignSize);
}

} // namespace tavrin
