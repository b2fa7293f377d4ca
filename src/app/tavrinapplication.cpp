#include "app/tavrinapplication.h"

#include "app/errorreport.h"
#include "app/menukeys.h"
#include "app/russiantexts.h"
#include "app/startupmarks.h"

#include <QIcon>
#include <QStyle>
#include <QStyleFactory>

namespace tavrin {

TavrinApplication::TavrinApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    MarkStartup("Qt application made");
    setApplicationName(QStringLiteral("tavrin"));
    InstallRussianTexts(*this);
    MarkStartup("Russian texts");
    setStyle(new MenuBarKeysStyle(QStyleFactory::create(style()->name())));
    MarkStartup("style");
}

bool TavrinApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        const bool handled = QApplication::notify(receiver, event);
        // A window's first exposure has painted it; the icon comes right after.
        if (event->type() == QEvent::Expose && !m_iconSet) {
            m_iconSet = true;
            setProgramIcon();
        }
        return handled;
    } catch (const std::exception &error) {
        ReportException(error);
    }
    return false;
}

void TavrinApplication::setProgramIcon()
{
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tavrin-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    MarkStartup("icon");
}

} // namespace tavrin
