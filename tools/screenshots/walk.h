#pragma once

// A walk through the program's windows: steps that each wait for a window to show, save
// a picture of it with its title bar and do there what a user does.

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

namespace tavrin::screenshots {

// What a picture takes in: the window the step waited for, or the main window with it
// (a dialog in front of the window it belongs to).
enum class Frame { Window, WithMainWindow };

class Walk : public QObject {
    Q_OBJECT
public:
    using Find = std::function<QWidget *()>; // the window waited for, or null
    using Act = std::function<void(QWidget *)>;

    // Pictures go to outDir; mainWindow is the one Frame::WithMainWindow adds.
    Walk(QWidget &mainWindow, const QString &outDir);

    // Waits for find() to give a shown window and to keep giving it for a moment, saves
    // it as file (none when file is empty), then runs act from the event loop, where
    // act may open a modal dialog or run an exchange while the walk goes on.
    void step(const QString &what, Find find, const QString &file, Frame frame, Act act);
    void step(const QString &what, Find find, Act act)
    {
        step(what, std::move(find), {}, Frame::Window, std::move(act));
    }

    // Marks that an act sets when it is done, for the steps that wait on its outcome.
    void mark(const QString &name) { m_marks.insert(name); }
    bool marked(const QString &name) const { return m_marks.contains(name); }

    void start();
    int remaining() const { return int(m_steps.size()); }
    const QStringList &saved() const { return m_saved; }

    // Says on stderr why the walk cannot go on, leaves a picture of the whole screen as
    // failure.png beside the others and ends the process with status 1.
    [[noreturn]] static void Fail(const QString &why);

private:
    struct Step {
        QString what;
        Find find;
        QString file;
        Frame frame;
        Act act;
    };
    void poll();
    bool settled();
    void take(QWidget *window);
    void save(QWidget *window, const Step &step);

    QWidget &m_mainWindow;
    QString m_outDir;
    QList<Step> m_steps;
    QSet<QString> m_marks;
    QStringList m_saved;
    QTimer m_poll;
    QElapsedTimer m_waiting; // since the first step in the list became first
    QElapsedTimer m_seen;    // since its window was first seen, without a gap
    int m_sightings = 0;
};

} // namespace tavrin::screenshots
