#include "dialogs/dialogwidgets.h"

#include "dialogs/dialogtexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <QStyle>

namespace tavrin {

QLabel *PlainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton *DialogButton(const QString &text, const char *objectName, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setMinimumWidth(110);
    return button;
}

QHBoxLayout *ButtonRow(std::initializer_list<QPushButton *> left, std::initializer_list<QPushButton *> right)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    for (QPushButton *button : left)
        row->addWidget(button);
    row->addStretch();
    for (QPushButton *button : right)
        row->addWidget(button);
    return row;
}

QPushButton *AbonentListButton(QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setIcon(parent->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    button->setIconSize(QSize(20, 20));
    button->setFixedSize(36, 30);
    button->setAccessibleName(CommonTexts::ListLabel);
    button->setToolTip(CommonTexts::ListLabel);
    return button;
}

QString PlainToolTip(const QString &text)
{
    // A tooltip guesses whether its text is markup; escaped text inside a paragraph is
    // markup whose only content is the text itself.
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

void SetTabOrder(std::initializer_list<QWidget *> widgets)
{
    const QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (previous)
            QWidget::setTabOrder(const_cast<QWidget *>(previous), widget);
        previous = widget;
    }
}

namespace {

const QScreen *ScreenOf(const QWidget &window)
{
    const QWidget *owner = window.parentWidget();
    return owner ? owner->screen() : window.screen();
}

// The window manager's frame around window; before it is first shown, what a title bar
// and a border usually take.
QMargins FrameOf(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    if (frame != client)
        return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                frame.bottom() - client.bottom()};
    return window.isWindow() && !window.testAttribute(Qt::WA_WState_Visible) ? QMargins(4, 32, 4, 4) : QMargins();
}

} // namespace

void KeepOnScreen(QWidget &window)
{
    const QScreen *screen = ScreenOf(window);
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = FrameOf(window);
    const QSize room = area.size().shrunkBy(frame);
    if (window.width() > room.width() || window.height() > room.height())
        window.resize(window.size().boundedTo(room));
    const QSize outer = window.size().grownBy(frame);
    const QPoint at(std::clamp(window.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
                    std::clamp(window.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    if (at != window.pos())
        window.move(at);
}

void CentreOnScreen(QWidget &window)
{
    if (const QScreen *screen = ScreenOf(window))
        window.move(screen->availableGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
    KeepOnScreen(window);
}

void CentreOnOwner(QWidget &window)
{
    if (const QWidget *owner = window.parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
    KeepOnScreen(window);
}

} // namespace tavrin
