#pragma once

#include <QApplication>

namespace tavrin {

// The application object, with Qt's own texts in Russian and the menu bar reached by
// the keyboard (MenuBarKeysStyle). An exception that escapes an
// event handler is shown in the standard error box and the message loop goes on.
class TavrinApplication : public QApplication {
    Q_OBJECT
public:
    TavrinApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace tavrin
