#pragma once

// What the main-window tests share: a program folder of their own, simulated ports,
// short link delays, scripted answers to the window's message boxes and a driver for
// the modal dialogs the window opens.

#include "app/commandview.h"
#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/stateview.h"
#include "app/messagepresenter.h"
#include "support/devsim.h"
#include "support/fasttiming.h"

#include <QAction>
#include <QApplication>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

class QMenuBar;

namespace tavrin::test {

// Records the window's messages and answers its questions from a script (No once the
// script is used up); a file choice offered is recorded and answered with saveTo (empty:
// cancelled). Attached to one window until it is destroyed.
class MessageLog : public MessagePresenter {
public:
    QStringList messages;
    QStringList questions;
    QList<bool> answers;
    QStringList proposedFiles;
    QString saveTo;

    ~MessageLog() override;
    void attach(TFormMain &window);
    void showMessage(const QString &text) override { messages << text; }
    bool askQuestion(const QString &text) override;
    QString chooseSaveFile(const QString &proposedPath) override;

private:
    QPointer<TFormMain> m_window;
};

// Acts on the modal dialogs of the test as they open: each step waits for an active
// modal widget that the step accepts, then runs on it.
class ModalDriver : public QObject {
    Q_OBJECT
public:
    ModalDriver();
    // accept: does this widget belong to the step? act: what the user does in it.
    void add(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> act);
    template <class T>
    void on(std::function<void(T *)> act)
    {
        add([](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
            [act](QWidget *w) { act(qobject_cast<T *>(w)); });
    }
    int pending() const { return int(m_steps.size()); }
    int done() const { return m_done; }

private:
    void poll();
    struct Step {
        std::function<bool(QWidget *)> accept;
        std::function<void(QWidget *)> act;
    };
    QList<Step> m_steps;
    QTimer m_timer;
    int m_done = 0;
};

// Runs act once, at the first tick (every intervalMs) at which when() holds: what the
// user does while the window waits inside an operation and processes events.
class OnceWhen {
public:
    OnceWhen(std::function<bool()> when, std::function<void()> act, int intervalMs = 20);
    bool done() const { return m_done; }

private:
    QTimer m_timer;
    bool m_done = false;
};

// A program folder and a port folder of the test's own; TAVRIN_COM_DIR points at the
// port folder while the fixture lives.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();

    QString programDir() const { return m_program.path(); }
    QString comDir() const { return m_com.path(); }
    QString iniPath(const QString &name) const;
    QString readIni(const QString &name) const;

    // A shown window whose start-up timer has been stopped, so the connect dialog does
    // not open unless the test wants it.
    std::unique_ptr<TFormMain> window(bool stopStartTimer = true) const;

private:
    QTemporaryDir m_program;
    QTemporaryDir m_com;
    QByteArray m_previousComDir;
};

// A window linked directly to the simulated module: the simulator started with options,
// the window's settings (as if read from the files) naming its port with the direct-link
// parameters and stored peer address given, and the connect dialog accepted.
struct SimLinkedWindow {
    AppFixture fixture;
    DevSim sim{fixture.comDir()};
    std::unique_ptr<TFormMain> window;

    bool open(DevSimOptions options, ConnectionParameters direct, const MacAddress &peer);
};

// Drops the offscreen platform's notes that it cannot pass size hints on, raise a window
// or grab the keyboard, which shown windows and menus would otherwise print.
void QuietPlatformNotes();

// Makes widget's window the active one, also where no window manager hands out the
// focus (a bare X server); keyboard shortcuts and focus changes need it.
bool Activate(QWidget *widget);

// A key as the keyboard delivers it: to the open menu, else to the widget with the
// focus, else to the active window.
void PressKey(Qt::Key key);
// Alt pressed and released with no other key between.
void PressLoneAlt();

// An exchange as the engine traces it: a blank line, the bytes sent on the next, the
// bytes received on a third; the log asked to show them.
void TraceExchange(TraceLog &log, const QByteArray &command, const QByteArray &reply);

// The menu bar's titles drawn highlighted (a quarter of their place or more in the
// selection's colour), as the eye finds them.
QList<QAction *> HighlightedTitles(QMenuBar &bar);

// Ctrl+Z as a keyboard sends it: the key with its control character.
void PressCtrlZ(QWidget *target);

// With TAVRIN_SCREENS_DIR set, saves a picture of widget there under name.
void SaveScreen(QWidget *widget, const QString &name);

// The widget below root with the given object name (the form's name for it), or null.
template <class T>
T *Named(const QObject *root, const char *objectName)
{
    return root ? root->findChild<T *>(QLatin1String(objectName)) : nullptr;
}

// The window as the device link sees it (status texts, log, questions, keyboard watch).
inline LinkUi &WindowUi(TFormMain &window)
{
    return *window.session().channel().ui;
}

// Shorthands for the window's controls by their object names.
QAction *Action(const TFormMain &window, const char *objectName);
QPushButton *Button(const QObject &root, const char *objectName);
// The "Настройки" submenu's own item: visible while a link is open.
QAction *SettingsMenuItem(const TFormMain &window);
bool IsShown(const TFormMain &window, const char *objectName);

// "Параметры связи" chosen, and the connect dialog accepted as it stands ("Принять").
// True when a link is open afterwards.
bool Connect(TFormMain &window);
// Opens the command view and presses the button of a command table row.
void PressCommand(TFormMain &window, int row);

} // namespace tavrin::test
