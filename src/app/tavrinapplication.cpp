#include "app/tavrinapplication.h"

#include "app/errorreport.h"
#include "app/menukeys.h"
#include "app/russiantexts.h"

#include <QStyle>
#include <QStyleFactory>

namespace tavrin {

TavrinApplication::TavrinApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("tavrin"));
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
