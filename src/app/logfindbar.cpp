#include "app/logfindbar.h"

#include "app/apptexts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace tavrin {

LogFindBar::LogFindBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("logFindBar"));
    setFont(QApplication::font()); // the window's, not the log's fixed-pitch font
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(4);

    auto *label = new QLabel(apptext::FindLabel, this);
    label->setTextFormat(Qt::PlainText);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("logFindText"));
    label->setBuddy(m_text);
    m_text->installEventFilter(this);
    connect(m_text, &QLineEdit::textEdited, this, &LogFindBar::textEdited);

    auto *next = new QPushButton(apptext::FindNext, this);
    next->setObjectName(QStringLiteral("logFindNext"));
    next->setFocusPolicy(Qt::NoFocus);
    connect(next, &QPushButton::clicked, this, [this] { emit findRequested(false); });
    auto *previous = new QPushButton(apptext::FindPrevious, this);
    previous->setObjectName(QStringLiteral("logFindPrevious"));
    previous->setFocusPolicy(Qt::NoFocus);
    connect(previous, &QPushButton::clicked, this, [this] { emit findRequested(true); });

    m_outcome = new QLabel(this);
    m_outcome->setObjectName(QStringLiteral("logFindOutcome"));
    m_outcome->setTextFormat(Qt::PlainText);

    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("logFindClose"));
    close->setText(QStringLiteral("×"));
    close->setToolTip(apptext::FindClose);
    close->setAutoRaise(true);
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QToolButton::clicked, this, &LogFindBar::closeRequested);

    layout->addWidget(label);
    layout->addWidget(m_text, 1);
    layout->addWidget(next);
    layout->addWidget(previous);
    layout->addWidget(m_outcome);
    layout->addWidget(close);
}

QString LogFindBar::text() const
{
    return m_text->text();
}

void LogFindBar::activate()
{
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void LogFindBar::showOutcome(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Found:
    case Outcome::Nothing:
        m_outcome->clear();
        break;
    case Outcome::Wrapped:
        m_outcome->setText(apptext::FindWrappedToStart);
        break;
    case Outcome::WrappedBack:
        m_outcome->setText(apptext::FindWrappedToEnd);
        break;
    case Outcome::NotFound:
        m_outcome->setText(apptext::FindNotFound);
        break;
    }
    // Not found also tints the field, where the eye already is.
    QPalette tint = palette();
    if (outcome == Outcome::NotFound)
        tint.setColor(QPalette::Base, QColor(255, 214, 214));
    m_text->setPalette(tint);
}

bool LogFindBar::eventFilter(QObject *watched, QEvent *event)
{
    // Esc and Enter belong to the bar while its field has the keyboard, not to the
    // window's own shortcuts (Esc refreshes the state view).
    if (watched == m_text && event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit findRequested(key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LogFindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit closeRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tavrin
