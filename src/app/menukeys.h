#pragma once

#include <QProxyStyle>

class QMainWindow;

namespace tavrin {

// The application's style with the menu bar's keyboard navigation switched on: a lone
// Alt puts the focus on the menu bar, the arrow keys move through it and its menus,
// Enter chooses, Esc leaves. The look is the base style's own, but for the title the
// keyboard is on, which is drawn highlighted (the base style shows it only once its
// menu is open, so the keyboard's place on the bar could not be seen).
class MenuBarKeysStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit MenuBarKeysStyle(QStyle *base);
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};

// F10 does what a lone Alt does in window: the menu bar takes the keyboard, or gives it
// back when it has it.
void AddMenuBarKey(QMainWindow &window);

} // namespace tavrin
