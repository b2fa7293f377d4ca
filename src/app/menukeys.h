#pragma once

#include <QProxyStyle>

class QMainWindow;

namespace tavrin {

// The application's style with the menu bar's keyboard navigation switched on: a lone
// Alt puts the focus on the menu bar, the arrow keys move through it and its menus,
// Enter chooses, Esc leaves. The look is the base style's own.
class MenuBarKeysStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit MenuBarKeysStyle(QStyle *base);
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};

// F10 does what a lone Alt does in window: the menu bar takes the keyboard, or gives it
// back when it has it.
void AddMenuBarKey(QMainWindow &window);

} // namespace tavrin
