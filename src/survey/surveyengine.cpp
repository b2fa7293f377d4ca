#include "survey/surveyengine.h"

#include "survey/sitecall.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>

namespace tavrin {

SurveyEngine::SurveyEngine(const Settings &settings, SurveyObserver &observer, int portNumber,
                           SurveyTiming timing)
    : openPort([](int number, const PortSettings &line, QString *failure) { return OpenPort(number, line, failure); })
    , m_settings(settings)
    , m_observer(observer)
    , m_portNumber(portNumber > 0 ? portNumber : settings.phone.portNumber)
    , m_timing(std::move(timing))
{
}

void SurveyEngine::stop()
{
    m_stop = true;
    // A loop sleeping in the event loop of the engine's thread wakes and sees it. The
    // lock keeps run() from returning, and Qt from deleting that thread's dispatcher,
    // meanwhile; wakeUp() itself may be called from any thread.
    QMutexLocker lock(&m_wakeLock);
    if (m_wakeDispatcher)
        m_wakeDispatcher->wakeUp();
}

namespace {

QList<int> FirstIndexes(int count)
{
    QList<int> indexes;
    for (int index = 0; index < count; ++index)
        indexes << index;
    return indexes;
}

} // namespace

SurveyQueue::SurveyQueue(int count) : m_indexes(FirstIndexes(count)) {}

int SurveyQueue::take()
{
    const int next = m_next.fetch_add(1);
    return next < m_indexes.size() ? m_indexes[next] : -1;
}

void SurveyEngine::run(const QList<SurveySubscriber> &subscribers)
{
    SurveyQueue queue(int(subscribers.size()));
    run(subscribers, queue);
}

void SurveyEngine::run(const QList<SurveySubscriber> &subscribers, SurveyQueue &queue)
{
    {
        QMutexLocker lock(&m_wakeLock);
        m_wakeDispatcher = QAbstractEventDispatcher::instance();
    }
    for (int index = queue.take(); index >= 0; index = queue.take()) {
        if (m_stop) {
            m_observer.siteFinished(index, UnreachedRow(subscribers[index]));
            continue;
        }
        m_observer.siteStarted(index);
        m_observer.siteFinished(index, surveySite(subscribers[index]));
    }
    QMutexLocker lock(&m_wakeLock);
    m_wakeDispatcher = nullptr;
}

SurveyRow SurveyEngine::surveySite(const SurveySubscriber &subscriber)
{
    SurveyRow row;
    row.subscriber = subscriber;
    row.started = QDateTime::currentDateTime();
    QElapsedTimer clock;
    clock.start();
    SiteCall call(m_settings, m_portNumber, m_timing, m_stop);
    const SiteOutcome outcome = visit(subscriber, call, row.state);
    row.read = outcome == SiteOutcome::Read || outcome == SiteOutcome::ReadLeftOnline;
    if (outcome == SiteOutcome::LeftOnline || outcome == SiteOutcome::ReadLeftOnline)
        row.leftOnlinePort = m_portNumber;
    row.result = call.resultText(outcome);
    row.durationSeconds = double(clock.elapsed()) / 1000.0;
    return row;
}

SiteOutcome SurveyEngine::visit(const SurveySubscriber &subscriber, SiteCall &call, DeviceState &state)
{
    // A network site has its own connection: no modem to dial through or to hang up;
    // the connection closes with the call.
    if (subscriber.overNetwork()) {
        SiteOutcome failure = SiteOutcome::NotConnected;
        return call.connect(subscriber, failure) ? call.read(state) : failure;
    }
    if (subscriber.phone.trimmed().isEmpty())
        return SiteOutcome::NoPhoneNumber;
    if (!call.open(openPort))
        return SiteOutcome::PortUnavailable;
    if (m_stop)
        return SiteOutcome::Stopped;
    SiteOutcome outcome = SiteOutcome::Stopped;
    switch (call.dial(subscriber.phone)) {
    case DialStep::Connected:
        outcome = call.read(state);
        break;
    case DialStep::Failed:
        outcome = SiteOutcome::DialFailed;
        break;
    case DialStep::Stopped:
        break;
    }
    // A site read before the stop keeps its reading; every one says when the modem may
    // still hold the call, which is billed until the far end drops it.
    if (!call.hangUp())
        return outcome == SiteOutcome::Read ? SiteOutcome::ReadLeftOnline : SiteOutcome::LeftOnline;
    return outcome;
}

} // namespace tavrin

namespace tavrin {

SurveyPool::SurveyPool(const Settings &settings, const QList<int> &ports, SurveyObserver &observer,
                       SurveyTiming timing, int parallel)
{
    for (int port : ports)
        m_engines.push_back(std::make_unique<SurveyEngine>(settings, observer, port, timing));
    m_modemEngines = m_engines.size();
    for (int connection = 0; connection < std::clamp(parallel, 1, kMaxSurveyParallel); ++connection)
        m_engines.push_back(std::make_unique<SurveyEngine>(settings, observer, 0, timing));
}

SurveyPool::~SurveyPool()
{
    stop();
    for (const auto &thread : m_threads)
        thread->wait();
}

void SurveyPool::launch(const QList<SurveySubscriber> &subscribers, QObject *waiter)
{
    for (const auto &thread : m_threads)
        thread->wait();
    m_threads.clear();
    m_subscribers = subscribers;
    QList<int> modemSites;
    QList<int> networkSites;
    for (int index = 0; index < m_subscribers.size(); ++index)
        (m_subscribers[index].overNetwork() ? networkSites : modemSites) << index;
    m_modemQueue = std::make_unique<SurveyQueue>(modemSites);
    m_networkQueue = std::make_unique<SurveyQueue>(networkSites);
    // Every modem's engine runs (one with no site ends at once, without opening its
    // port, so a round always has an end to count); a connection only for a site.
    const size_t engines = m_modemEngines + std::min(m_engines.size() - m_modemEngines, size_t(networkSites.size()));
    m_running = int(engines);
    for (size_t position = 0; position < engines; ++position) {
        SurveyEngine *engine = m_engines[position].get();
        SurveyQueue *queue = position < m_modemEngines ? m_modemQueue.get() : m_networkQueue.get();
        m_threads.emplace_back(QThread::create([this, engine, queue] { engine->run(m_subscribers, *queue); }));
        // Counted in the waiter's thread, the one that started the round.
        connect(m_threads.back().get(), &QThread::finished, waiter, [this] {
            if (--m_running > 0)
                return;
            for (const auto &thread : m_threads)
                thread->wait();
            emit finished();
        }, Qt::QueuedConnection);
    }
    for (const auto &thread : m_threads)
        thread->start();
}

void SurveyPool::start(const QList<SurveySubscriber> &subscribers)
{
    if (!running())
        launch(subscribers, this);
}

void SurveyPool::run(const QList<SurveySubscriber> &subscribers)
{
    if (running())
        return;
    // The loop lives in the calling thread, which may be another than this object's.
    QEventLoop loop;
    connect(this, &SurveyPool::finished, &loop, &QEventLoop::quit, Qt::DirectConnection);
    launch(subscribers, &loop);
    if (running())
        loop.exec();
}

void SurveyPool::stop()
{
    for (const auto &engine : m_engines)
        engine->stop();
}

} // namespace tavrin
