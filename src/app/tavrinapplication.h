#pragma once

#include <QApplication>

namespace tavrin {

// The application object, with Qt's own texts in Russian, the program's icon on every
// window and the menu bar reached by the keyboard (MenuBarKeysStyle). An exception that
// escapes an event handler is shown in the standard error box and the message loop
// goes on.
// The icon's pictures are decoded for every size the window system takes, which costs
// more than the rest of the start-up of the application object: so the icon is set
// once the first window has been exposed and painted, and windows already shown take
// it then.
class TavrinApplication : public QApplication {
    Q_OBJECT
public:
    TavrinApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    void setProgramIcon();

    bool m_iconSet = false;
};

} // namespace tavrin
