#include "app/commandline.h"
#include "app/errorreport.h"
#include "app/formmain.h"
#include "app/tavrinapplication.h"

// Only --help and --version are read; the process otherwise returns 0 in every case.
int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = tavrin::AnswerInformationOptions(argc, argv))
        return *answered;
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
