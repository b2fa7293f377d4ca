#include "app/commandline.h"
#include "app/errorreport.h"
#include "app/formmain.h"
#include "app/startupmarks.h"
#include "app/tavrinapplication.h"

#include <QTimer>

// Only --help and --version are read; the process otherwise returns 0 in every case.
int main(int argc, char *argv[])
{
    tavrin::MarkStartup("main");
    if (const std::optional<int> answered = tavrin::AnswerInformationOptions(argc, argv))
        return *answered;
    try {
        tavrin::TavrinApplication app(argc, argv);
        tavrin::MarkStartup("application made");
        try {
            tavrin::TFormMain window(QCoreApplication::applicationDirPath());
            tavrin::MarkStartup("main window made");
            QObject::connect(&window, &tavrin::TFormMain::closed, &app, &QCoreApplication::quit,
                             Qt::QueuedConnection);
            window.show();
            tavrin::MarkStartup("main window shown");
            QTimer::singleShot(0, &app, [] { tavrin::MarkStartup("message loop running"); });
            app.exec();
        } catch (const std::exception &error) {
            tavrin::ReportException(error);
        }
    } catch (const std::exception &) {
        // Without an application object there is nothing to show the error in.
    }
    return 0;
}
