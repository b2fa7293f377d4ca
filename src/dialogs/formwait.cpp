#include "dialogs/formwait.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"

#include <QCloseEvent>
#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPalette>
#include <QVBoxLayout>

#include <algorithm>

namespace tavrin {

namespace {

constexpr int kWidth = 332;
constexpr int kHeight = 144;

QLabel *BoldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TFormWait::TFormWait(QWidget *owner)
    // A dialog-like window with a title bar but no system menu and no close button.
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormWait"));
    setWindowTitle(WaitTexts::Caption);
    setCursor(Qt::WaitCursor);
    resize(kWidth, kHeight);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(211, 211, 211));
    panel->setPalette(palette);

    QLabel *waitLine = BoldLabel(WaitTexts::Wait, panel);
    waitLine->setObjectName(QStringLiteral("Label1"));
    m_operationLine1 = BoldLabel(QString(), panel);
    m_operationLine1->setObjectName(QStringLiteral("Label2"));
    m_operationLine2 = BoldLabel(QString(), panel);
    m_operationLine2->setObjectName(QStringLiteral("Label3"));

    m_progressBar = new QProgressBar(panel);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(16);

    auto *inner = new QVBoxLayout(panel);
    inner->setContentsMargins(8, 10, 8, 6);
    inner->addWidget(waitLine);
    inner->addSpacing(4);
    inner->addWidget(m_operationLine1);
    inner->addWidget(m_operationLine2);
    inner->addStretch();
    inner->addWidget(m_progressBar);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);
}

void TFormWait::setMaximum(int maximum)
{
    // QProgressBar keeps a value that still fits; a bar that is past the new end stops there.
    m_progressBar->setMaximum(maximum);
}

void TFormWait::advance()
{
    m_progressBar->setValue(std::min(m_progressBar->value() + 1, m_progressBar->maximum()));
    m_progressBar->repaint();
}

void TFormWait::complete()
{
    m_progressBar->setValue(m_progressBar->maximum());
    m_progressBar->repaint();
}

void TFormWait::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only the first showing names the operation: a pair creation keeps its lines while
    // the state reading that ends it reuses this window.
    if (!event->spontaneous() && !m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TFormWait::FormShow()
{
    resize(kWidth, kHeight);
    if (WaitKind == WaitWindowKind::PairCreation) {
        m_operationLine1->setText(WaitTexts::PairCreationLine1);
        m_operationLine2->setText(WaitTexts::PairCreationLine2);
    } else {
        m_operationLine1->setText(WaitTexts::StateReadingLine1);
        m_operationLine2->setText(WaitTexts::StateReadingLine2);
    }
    m_progressBar->setValue(0);
    CentreOnOwner(*this);
}

void TFormWait::closeEvent(QCloseEvent *event)
{
    // Only the operation that opened the window closes it (by destroying it).
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

} // namespace tavrin
