#include "app/errorreport.h"
#include "app/formmain.h"
#include "app/tavrinapplication.h"

// No command-line argument is read. The process returns 0 in every case.
int main(int argc, char *argv[])
{
    try {
        tavrin::TavrinApplication app(argc, argv);
        try {
            tavrin::TFormMain window(QCoreApplication::applicationDirPath());
            QObject::connect(&window, &tavrin::TFormMain::closed, &app, &QCoreApplication::quit,
                             Qt::QueuedConnection);
            window.show();
            app.exec();
        } catch (const std::exception &error) {
            tavrin::ReportException(error);
        }
    } catch (const std::exception &) {
        // Without an application object there is nothing to show the error in.
    }
    return 0;
}
