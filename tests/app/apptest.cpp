#include "apptest.h"

#include "dialogs/formconnect.h"
#include "settings/cp1251.h"

#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTest>

namespace tavrin::test {

MessageLog::~MessageLog()
{
    if (m_window)
        m_window->setMessagePresenter(nullptr);
}

void MessageLog::attach(TFormMain &window)
{
    m_window = &window;
    window.setMessagePresenter(this);
}

bool MessageLog::askQuestion(const QString &text)
{
    questions << text;
    return answers.isEmpty() ? false : answers.takeFirst();
}

QString MessageLog::chooseSaveFile(const QString &proposedPath)
{
    proposedFiles << proposedPath;
    return saveTo;
}

ModalDriver::ModalDriver()
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    m_timer.start();
}

void ModalDriver::add(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> act)
{
    m_steps.append({std::move(accept), std::move(act)});
}

void ModalDriver::poll()
{
    if (m_steps.isEmpty())
        return;
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || !m_steps.first().accept(modal))
        return;
    const Step step = m_steps.takeFirst();
    ++m_done;
    step.act(modal);
}

OnceWhen::OnceWhen(std::function<bool()> when, std::function<void()> act, int intervalMs)
{
    QObject::connect(&m_timer, &QTimer::timeout, [this, when = std::move(when), act = std::move(act)] {
        if (m_done || !when())
            return;
        m_done = true;
        m_timer.stop();
        act();
    });
    m_timer.start(intervalMs);
}

AppFixture::AppFixture()
{
    m_previousComDir = qgetenv("TAVRIN_COM_DIR");
    qputenv("TAVRIN_COM_DIR", QFile::encodeName(m_com.path()));
}

AppFixture::~AppFixture()
{
    qputenv("TAVRIN_COM_DIR", m_previousComDir);
}

QString AppFixture::iniPath(const QString &name) const
{
    return QDir(m_program.path()).filePath(QStringLiteral("INI/") + name);
}

QString AppFixture::readIni(const QString &name) const
{
    QFile file(iniPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return cp1251::decode(file.readAll());
}

std::unique_ptr<TFormMain> AppFixture::window(bool stopStartTimer) const
{
    auto window = std::make_unique<TFormMain>(m_program.path(), FastTiming());
    window->show();
    if (stopStartTimer)
        Named<QTimer>(window.get(), "TimerStart")->stop();
    QApplication::setActiveWindow(window.get());
    return window;
}

bool SimLinkedWindow::open(DevSimOptions options, ConnectionParameters direct, const MacAddress &peer)
{
    if (!sim.start(options)) {
        qWarning("%s", qPrintable(sim.errorString()));
        return false;
    }
    window = fixture.window();
    Settings &s = window->session().store().CurrentSettings;
    s.connectionKind = Direct;
    direct.portNumber = quint8(options.port);
    s.direct = direct;
    s.storedPeerAddress = peer;
    window->session().store().SavedSettings = s;
    return Connect(*window);
}

QAction *Action(const TFormMain &window, const char *objectName)
{
    return Named<QAction>(&window, objectName);
}

QPushButton *Button(const QObject &root, const char *objectName)
{
    return Named<QPushButton>(&root, objectName);
}

QAction *SettingsMenuItem(const TFormMain &window)
{
    return Action(window, "NnastrItem");
}

bool IsShown(const TFormMain &window, const char *objectName)
{
    const QWidget *widget = Named<QWidget>(&window, objectName);
    return widget && widget->isVisible();
}

bool Connect(TFormMain &window)
{
    ModalDriver driver;
    driver.on<TFormConnect>([](TFormConnect *dialog) { Button(*dialog, "BitBtn1")->click(); }); // "Принять"
    Action(window, "Nconn")->trigger();
    return driver.done() == 1 && window.session().link().LinkOpen;
}

void PressCommand(TFormMain &window, int row)
{
    if (!window.findChild<QWidget *>(QStringLiteral("gb_command"))->isVisible())
        Action(window, "Ncommand")->trigger();
    Button(window, qPrintable(QStringLiteral("bt%1").arg(row + 1)))->click();
}

void QuietPlatformNotes()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (text.contains(QLatin1String("propagateSizeHints")) || text.startsWith(QLatin1String("This plugin does not support")))
            return;
        if (previous)
            previous(type, context, text);
    });
}

bool Activate(QWidget *widget)
{
    QWidget *window = widget->window();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitFor([window] { return window->isActiveWindow(); }, 2000);
}

namespace {

QWidget *KeyboardTarget()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup;
    if (QWidget *focus = QApplication::focusWidget())
        return focus;
    return QApplication::activeWindow();
}

} // namespace

void PressKey(Qt::Key key)
{
    QTest::keyClick(KeyboardTarget(), key);
}

void PressLoneAlt()
{
    QWidget *target = KeyboardTarget();
    QTest::sendKeyEvent(QTest::Press, target, Qt::Key_Alt, QString(), Qt::AltModifier);
    QTest::sendKeyEvent(QTest::Release, target, Qt::Key_Alt, QString(), Qt::NoModifier);
}

void TraceExchange(TraceLog &log, const QByteArray &command, const QByteArray &reply)
{
    log.beginExchange();
    log.addLine(QStringLiteral(" "));
    log.addLine(QStringLiteral(" "));
    log.traceBytes(command.constData(), int(command.size()), TraceDirection::Sent);
    log.addLine(QStringLiteral(" "));
    log.traceBytes(reply.constData(), int(reply.size()), TraceDirection::Received);
    log.refresh();
}

QList<QAction *> HighlightedTitles(QMenuBar &bar)
{
    const QImage drawn = bar.grab().toImage();
    const qreal ratio = drawn.devicePixelRatio();
    const QRgb accent = bar.palette().color(QPalette::Highlight).rgb();
    QList<QAction *> highlighted;
    for (QAction *action : bar.actions()) {
        const QRect place = bar.actionGeometry(action);
        if (!action->isVisible() || place.isEmpty())
            continue;
        const QRect pixels(QPoint(int(place.left() * ratio), int(place.top() * ratio)),
                           QPoint(int((place.right() + 1) * ratio) - 1, int((place.bottom() + 1) * ratio) - 1));
        qint64 inAccent = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                inAccent += drawn.pixel(x, y) == accent ? 1 : 0;
        }
        if (inAccent * 4 >= qint64(pixels.width()) * pixels.height())
            highlighted << action;
    }
    return highlighted;
}

void PressCtrlZ(QWidget *target)
{
    QTest::sendKeyEvent(QTest::Click, target, Qt::Key_Z, QString(QChar(0x1A)), Qt::ControlModifier);
}

void SaveScreen(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("TAVRIN_SCREENS_DIR");
    if (dir.isEmpty())
        return;
    QTest::qWait(100); // the log shows what it collected
    QDir().mkpath(dir);
    widget->grab().save(QDir(dir).filePath(name));
}

} // namespace tavrin::test
