#include "walk.h"

#include "wmframe.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace tavrin::screenshots {

namespace {

constexpr int kPollMs = 50;
// A window is pictured once it has been seen for this long, on this many polls in a
// row: the polls run only while the program processes events, so by then the window
// manager has framed it and the program has painted it.
constexpr int kSettleMs = 400;
constexpr int kSightings = 3;
constexpr int kStepTimeoutMs = 30000;
const char *const kFailurePicture = "failure.png";

// Where Fail leaves its picture of the screen.
QString s_outDir;


} // namespace

Walk::Walk(QWidget &mainWindow, const QString &outDir) : m_mainWindow(mainWindow), m_outDir(outDir)
{
    s_outDir = outDir;
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &Walk::poll);
}

void Walk::step(const QString &what, Find find, const QString &file, Frame frame, Act act)
{
    m_steps.append({what, std::move(find), file, frame, std::move(act)});
}

void Walk::start()
{
    QDir().mkpath(m_outDir);
    m_poll.start();
}

void Walk::Fail(const QString &why)
{
    std::fprintf(stderr, "tavrin-screenshots: %s\n", why.toLocal8Bit().constData());
    // What the screen showed then, for whoever looks into it.
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && !s_outDir.isEmpty() && screen->grabWindow(0).save(QDir(s_outDir).filePath(kFailurePicture), "PNG"))
        std::fprintf(stderr, "tavrin-screenshots: the screen at that moment: %s\n", kFailurePicture);
    std::fflush(stderr);
    // The simulators see their input end and go; the caller removes the folders.
    std::_Exit(1);
}

void Walk::poll()
{
    if (m_steps.isEmpty())
        return;
    if (!m_waiting.isValid())
        m_waiting.start();
    QWidget *window = m_steps.first().find();
    const bool shown = window && window->isVisible();
    if (shown && WindowManagerFrame(*window) && WindowManagerFrame(m_mainWindow)) {
        if (settled())
            take(window);
        return;
    }
    m_seen.invalidate();
    m_sightings = 0;
    if (m_waiting.elapsed() <= kStepTimeoutMs)
        return;
    const QString what = m_steps.first().what;
    if (shown)
        Fail(QStringLiteral("%1 got no title bar within %2 s: is a window manager running?")
                 .arg(what)
                 .arg(kStepTimeoutMs / 1000));
    Fail(QStringLiteral("%1 did not appear within %2 s").arg(what).arg(kStepTimeoutMs / 1000));
}

bool Walk::settled()
{
    if (!m_seen.isValid())
        m_seen.start();
    ++m_sightings;
    return m_sightings >= kSightings && m_seen.elapsed() >= kSettleMs;
}

void Walk::take(QWidget *window)
{
    const Step step = m_steps.takeFirst();
    m_waiting.invalidate();
    m_seen.invalidate();
    m_sightings = 0;
    std::printf("%s\n", step.what.toLocal8Bit().constData());
    std::fflush(stdout);
    if (!step.file.isEmpty())
        save(window, step);
    // From the event loop, so that a modal dialog the act opens does not hold up the polls.
    QPointer<QWidget> target(window);
    QTimer::singleShot(0, this, [step, target] {
        if (!target)
            Fail(step.what + QStringLiteral(" closed before the walk could act on it"));
        step.act(target);
    });
}

void Walk::save(QWidget *window, const Step &step)
{
    QRect area = WindowManagerFrame(*window).value_or(QRect());
    if (step.frame == Frame::WithMainWindow)
        area = area.united(WindowManagerFrame(m_mainWindow).value_or(QRect()));
    // The frame is in the X server's pixels; a grab of a part of the screen takes Qt's
    // scaled coordinates. The whole screen is grabbed and cut in its own pixels.
    QScreen *screen = QGuiApplication::primaryScreen();
    const QImage picture = screen ? screen->grabWindow(0).toImage().copy(area) : QImage();
    const QString path = QDir(m_outDir).filePath(step.file);
    if (picture.isNull() || !picture.save(path, "PNG"))
        Fail(QStringLiteral("cannot save %1").arg(path));
    m_saved << step.file;
}

} // namespace tavrin::screenshots
