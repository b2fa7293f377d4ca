// tavrin-bench-bare-window: the yardstick of tavrin's start-up. The least a Qt Widgets
// program of its kind shows: a main window with a menu bar of three items and a status
// bar, in Russian as tavrin's are, on the same Qt and platform plugin. It runs until it
// is ended.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    for (const char *item : {"Параметры связи", "Настройки", "Выход"})
        window.menuBar()->addAction(QString::fromUtf8(item));
    window.statusBar()->showMessage(QStringLiteral("Непосредственная связь"));
    window.resize(1000, 616);
    window.show();
    return app.exec();
}
