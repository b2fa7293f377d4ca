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

void CentreOnScreen(QWidget &window)
{
    const QWidget *owner = window.parentWidget();
    if (const QScreen *screen = owner ? owner->screen() : window.screen())
        window.move(screen->availableGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
}

void CentreOnOwner(QWidget &window)
{
    if (const QWidget *owner = window.parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
}

} // namespace tavrin
