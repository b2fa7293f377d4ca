#include "survey/surveyengine.h"

#include "link/eventloop.h"
#include "link/exchangechannel.h"
#include "link/linkui.h"
#include "link/modem.h"
#include "protocol/executecommand.h"
#include "protocol/moduleoperations.h"
#include "survey/surveytexts.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

namespace tavrin {

namespace {

// The survey keeps no trace of the bytes: the report holds what was read.
class DroppedTrace : public TraceLog {
public:
    int lineCount() const override { return m_lines; }
    int lastLineLength() const override { return m_lastLength; }
    void addLine(const QString &text) override
    {
        ++m_lines;
        m_lastLength = int(text.size());
    }
    void appendToLastLine(const QString &text) override
    {
        if (m_lines == 0)
            ++m_lines;
        m_lastLength += int(text.size());
    }
    void refresh() override {}

private:
    int m_lines = 0;
    int m_lastLength = 0;
};

// The window as the dialling and the state reading see it during a survey: it shows
// nothing and records what the reading would have shown. A question is answered No;
// a stop of the round counts as the window closing, so a running exchange ends at
// once and the reading sends nothing more.
class RecordingHost : public LinkUi, public CommandHost, public ModuleOperationHost {
public:
    explicit RecordingHost(const std::atomic<bool> &stop) : m_stop(stop) {}

    std::optional<DeviceState> state; // set when the reading ended with the state view
    QString firstMessage;             // the first message the reading would have shown
    bool asked = false;               // a question came (the restore question)

    // LinkUi
    void setActivityText(const QString &) override {}
    void setResultText(const QString &) override {}
    TraceLog &log() override { return m_trace; }
    // Both hosts have a busy cursor; a survey shows none.
    void setBusyCursor(bool) override {}
    bool askYesNo(const QString &) override
    {
        asked = true;
        return false;
    }
    void processEvents() override { processPendingEvents(); }
    void waitForEvents() override { waitForAnyEvent(); }
    void watchKeyboard(bool) override {}
    bool takeEscape() override { return false; }
    bool cancelRequested() const override { return m_stop.load(); }

    // CommandHost
    void showMessage(const QString &text) override
    {
        // A report's cell holds one line: the message's line breaks become blanks.
        if (firstMessage.isEmpty())
            firstMessage = QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified();
    }
    void scrollLogToEnd() override {}

    // ModuleOperationHost: the state reading never asks; the pair operations are not run.
    bool askConfirmation(const QString &, const QString &) override { return false; }
    std::optional<MacAddress> askPeerAddress() override { return std::nullopt; }
    void openWaitWindow(WaitWindowKind, int) override {}
    void advanceWaitWindow() override {}
    void completeWaitWindow() override {}
    void closeWaitWindow() override {}
    void setOperationText(const QString &) override {}
    void hideStateView() override { state.reset(); }
    void showState(const DeviceState &shown) override { state = shown; }
    void leaveView() override { state.reset(); }

private:
    const std::atomic<bool> &m_stop;
    DroppedTrace m_trace;
};

// A dial that the network or the modem refused leaves the modem in command mode with
// no call; any other failure (a time-out, a stop) may leave a call being made.
bool DialMayLeaveACall(int result)
{
    switch (result) {
    case DialNoDialTone:
    case DialBusy:
    case DialNoCarrier:
    case DialError:
    case DialNoAnswer:
    case DialNoModem:
    case DialGsmNotReady:
        return false;
    default:
        return true;
    }
}

} // namespace

SurveyEngine::SurveyEngine(const Settings &settings, SurveyObserver &observer, int portNumber,
                           SurveyTiming timing)
    : openPort([](int number, const PortSettings &line, QString *failure) { return OpenPort(number, line, failure); })
    , m_settings(settings)
    , m_observer(observer)
    , m_portNumber(portNumber > 0 ? portNumber : settings.phone.COMPort)
    , m_timing(std::move(timing))
{
    // The reading's restore question and its re-dial work on the phone kind.
    m_settings.Conn_Prz = Phone;
}

void SurveyEngine::stop()
{
    m_stop = true;
    // A loop sleeping in the event loop of the engine's thread wakes and sees it.
    if (QAbstractEventDispatcher *dispatcher = m_dispatcher.load())
        dispatcher->wakeUp();
}

int SurveyQueue::take()
{
    const int index = m_next.fetch_add(1);
    return index < m_count ? index : -1;
}

void SurveyEngine::run(const QList<SurveySubscriber> &subscribers)
{
    SurveyQueue queue(int(subscribers.size()));
    run(subscribers, queue);
}

void SurveyEngine::run(const QList<SurveySubscriber> &subscribers, SurveyQueue &queue)
{
    m_dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    for (int index = queue.take(); index >= 0; index = queue.take()) {
        if (m_stop) {
            m_observer.siteFinished(index, UnreachedRow(subscribers[index]));
            continue;
        }
        m_observer.siteStarted(index);
        m_observer.siteFinished(index, surveySite(subscribers[index], subscribers[index].number - 1));
    }
    m_dispatcher = nullptr;
}

SurveyRow SurveyEngine::surveySite(const SurveySubscriber &subscriber, int directoryIndex)
{
    SurveyRow row;
    row.subscriber = subscriber;
    row.started = QDateTime::currentDateTime();
    QElapsedTimer clock;
    clock.start();
    const auto finished = [&row, &clock](const QString &result) {
        row.result = result;
        row.durationSeconds = double(clock.elapsed()) / 1000.0;
        return row;
    };
    if (subscriber.phone.trimmed().isEmpty())
        return finished(surveytext::NoPhoneNumber);

    const ConnectionParameters &line = m_settings.phone;
    std::unique_ptr<SerialPort> port = openPort(m_portNumber, PortSettings{.rate = line.Rate}, nullptr);
    if (!port)
        return finished(surveytext::PortUnavailable(m_portNumber));
    if (m_stop)
        return finished(surveytext::Stopped);
    RecordingHost host(m_stop);
    m_timing.pause(m_timing.settleAfterOpenMs);

    // The restore question names this subscriber as the selected one.
    Settings settings = m_settings;
    if (directoryIndex >= 0 && directoryIndex < settings.directory.users_num)
        settings.directory.user_index = quint8(directoryIndex);

    QString result;
    {
        ModemDialogue modem(*port, host, m_timing.link);
        const int dial = modem.DialSubscriber(subscriber.phone, settings.Command, false, settings.Conn_Repeat,
                                              settings.ConnectWaitTime);
        const bool stopped = m_stop.load();
        if (dial != DialOk) {
            result = stopped ? surveytext::Stopped : DialResultTexts()[size_t(dial)];
            if (!DialMayLeaveACall(dial))
                return finished(result);
        }
    }

    if (result.isEmpty() && !m_stop) {
        ExchangeChannel channel;
        LinkState link{.LinkOpen = true, .ModemConnected = true};
        channel.arm(port.get(), line.Rate, line.WaitTime, line.TimeOut, line.Repeat, line.First_Zero_Need);
        channel.timing = m_timing.link;
        channel.settings = &settings;
        channel.linkState = &link;
        channel.ui = &host;
        ProtocolFields fields;
        ProtocolContext context{channel, host, fields, m_timing.pause};
        ReadDeviceState(context, host);
        if (host.state) {
            row.read = true;
            row.state = *host.state;
            result = surveytext::Read;
        } else if (m_stop) {
            result = surveytext::Stopped;
        } else if (host.asked || channel.result == CarrierLost) {
            result = surveytext::CarrierLost();
        } else {
            result = host.firstMessage;
        }
        channel.disarm();
    } else if (result.isEmpty()) {
        result = surveytext::Stopped;
    }

    // The hang-up of a closing link: it runs to its end even after a stop.
    ModemDialogue modem(*port, host, m_timing.link);
    modem.HangUp(true);
    ClosePort(port);
    return finished(result);
}

} // namespace tavrin

namespace tavrin {

SurveyPool::SurveyPool(const Settings &settings, const QList<int> &ports, SurveyObserver &observer,
                       SurveyTiming timing)
{
    for (int port : ports)
        m_engines.push_back(std::make_unique<SurveyEngine>(settings, observer, port, timing));
}

SurveyPool::~SurveyPool() = default;

void SurveyPool::run(const QList<SurveySubscriber> &subscribers)
{
    SurveyQueue queue(int(subscribers.size()));
    std::vector<std::unique_ptr<QThread>> threads;
    QEventLoop loop;
    int running = int(m_engines.size());
    for (const auto &engine : m_engines) {
        SurveyEngine *portEngine = engine.get();
        threads.emplace_back(QThread::create([portEngine, &subscribers, &queue] { portEngine->run(subscribers, queue); }));
        QObject::connect(threads.back().get(), &QThread::finished, &loop, [&running, &loop] {
            if (--running == 0)
                loop.quit();
        });
    }
    for (const auto &thread : threads)
        thread->start();
    if (running > 0)
        loop.exec();
    for (const auto &thread : threads)
        thread->wait();
}

void SurveyPool::stop()
{
    for (const auto &engine : m_engines)
        engine->stop();
}

} // namespace tavrin
