#include "app/tavrinapplication.h"

#include "app/errorreport.h"
#include "app/menukeys.h"
#include "app/russiantexts.h"

#include <QIcon>
#include <QStyle>
#include <QStyleFactory>

namespace tavrin {

TavrinApplication::TavrinApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("tavrin"));
    // Every window without an icon of its own, dialogs and message boxes included,
    // carries this one in its title bar and the task bar.
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tavrin-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    InstallRussianTexts(*this);
    setStyle(new MenuBarKeysStyle(QStyleFactory::create(style()->name())));
}

bool TavrinApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ReportException(error);
    }
    return false;
}

} // namespace tavrin
