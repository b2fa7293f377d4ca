#include "dialogs/formwait.h"

#include "dialogs/dialogtexts.h"

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

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, QColor(211, 211, 211));
    Panel1->setPalette(palette);

    Label1 = BoldLabel(WaitTexts::Wait, Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = BoldLabel(QString(), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = BoldLabel(QString(), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));

    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(16);

    auto *inner = new QVBoxLayout(Panel1);
    inner->setContentsMargins(8, 10, 8, 6);
    inner->addWidget(Label1);
    inner->addSpacing(4);
    inner->addWidget(Label2);
    inner->addWidget(Label3);
    inner->addStretch();
    inner->addWidget(ProgressBar1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Panel1);
}

void TFormWait::setMaximum(int maximum)
{
    // QProgressBar keeps a value that still fits; a bar that is past the new end stops there.
    ProgressBar1->setMaximum(maximum);
}

void TFormWait::advance()
{
    ProgressBar1->setValue(std::min(ProgressBar1->value() + 1, ProgressBar1->maximum()));
    ProgressBar1->repaint();
}

void TFormWait::complete()
{
    ProgressBar1->setValue(ProgressBar1->maximum());
    ProgressBar1->repaint();
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
    if (WaitKind == WaitPairCreation) {
        Label2->setText(WaitTexts::PairCreationLine1);
        Label3->setText(WaitTexts::PairCreationLine2);
    } else {
        Label2->setText(WaitTexts::StateReadingLine1);
        Label3->setText(WaitTexts::StateReadingLine2);
    }
    ProgressBar1->setValue(0);
    if (QWidget *owner = parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
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
