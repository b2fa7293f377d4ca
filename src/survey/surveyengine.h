#pragma once

#include "link/linktiming.h"
#include "link/serialport.h"
#include "settings/settings.h"
#include "survey/surveyrow.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QAbstractEventDispatcher;
class QThread;

namespace tavrin {

class SiteCall;
enum class SiteOutcome;

// What a front end hears from a running survey. Called on the engine's own thread.
class SurveyObserver {
public:
    virtual ~SurveyObserver() = default;
    // The site at index (of the subscribers given to run) is being called now.
    virtual void siteStarted(int index) { Q_UNUSED(index); }
    // The site at index is done: read, failed or stopped. Every index gets exactly one
    // row, those never reached after a stop included.
    virtual void siteFinished(int index, const SurveyRow &row) = 0;
};

// The delays of a survey: the link's, the pauses of the state reading, and the
// settling after the port is opened. Tests shorten them.
struct SurveyTiming {
    LinkTiming link{};
    std::function<void(int ms)> pause = Pause;
    int settleAfterOpenMs = kSettleAfterOpenMs;
};

// How many network sites a round reads at once, each on a connection of its own.
inline constexpr int kDefaultSurveyParallel = 8;
inline constexpr int kMaxSurveyParallel = 32;

// The sites of a round still to be called, shared by the engines of several ports (or
// of several connections). Thread-safe.
class SurveyQueue {
public:
    // The sites 0..count-1.
    explicit SurveyQueue(int count);
    // The sites at these indexes, in this order.
    explicit SurveyQueue(const QList<int> &indexes) : m_indexes(indexes) {}
    // The index of the next site to call; -1 when none is left.
    int take();
    int size() const { return int(m_indexes.size()); }

private:
    std::atomic<int> m_next{0};
    const QList<int> m_indexes;
};

// One port's survey. For every subscriber in turn it does what a phone connection and
// the state view do: opens the port, dials (presence check, initialisation, GSM
// readiness, ATD) with the phone kind's attempts and wait, runs ReadDeviceState
// through a host that records instead of showing, hangs up and closes the port. To the
// module it sends only what the state reading sends: PING, PEERADDR, DEVADDR and VER.
// Questions (the restore question after a lost carrier) are answered No. Runs on the
// thread that calls run(); stop() may be called from any thread.
class SurveyEngine {
public:
    using PortOpener = std::function<std::unique_ptr<SerialPort>(int portNumber, const PortSettings &,
                                                                 QString *failure)>;

    // settings: the phone kind's line and modem fields and the directory; portNumber
    // overrides the phone kind's port number when above 0.
    SurveyEngine(const Settings &settings, SurveyObserver &observer, int portNumber = 0,
                 SurveyTiming timing = {});

    // Surveys the subscribers in order until all are done or a stop ends the round.
    void run(const QList<SurveySubscriber> &subscribers);
    // The same, taking the sites from a queue that engines of other ports share.
    void run(const QList<SurveySubscriber> &subscribers, SurveyQueue &queue);
    // Ends the round: the call in progress is hung up cleanly, the sites not reached get
    // rows "stopped". Thread-safe; harmless when nothing runs.
    void stop();
    bool stopRequested() const { return m_stop.load(); }

    // Where ports come from; OpenPort unless a test replaces it.
    PortOpener openPort;

    int portNumber() const { return m_portNumber; }

private:
    SurveyRow surveySite(const SurveySubscriber &subscriber);
    SiteOutcome visit(const SurveySubscriber &subscriber, SiteCall &call, DeviceState &state);

    Settings m_settings;
    SurveyObserver &m_observer;
    int m_portNumber;
    SurveyTiming m_timing;
    std::atomic<bool> m_stop{false};
    // The event dispatcher of the thread running run(), there only while it runs:
    // stop() wakes it. The lock keeps the worker from leaving run(), and so its
    // dispatcher from going, while stop() wakes it. Nothing is allocated for the wake-up,
    // so nothing passes between the threads through Qt's event queue.
    QMutex m_wakeLock;
    QAbstractEventDispatcher *m_wakeDispatcher = nullptr;
};

} // namespace tavrin

namespace tavrin {

// A round over several ports: one engine per port, each on a thread of its own, each
// taking the next modem site when its call is done, so N modems read N sites at once.
// The network sites are taken by engines of their own, at most `parallel` of them, each
// on its own thread with its own connection. The thread that starts the round only
// waits for it: a window's thread stays free.
class SurveyPool : public QObject {
    Q_OBJECT
public:
    // ports: the modems' port numbers (at least one); parallel: how many network sites
    // are read at once (1..kMaxSurveyParallel). observer is called on the engines'
    // threads and must be thread-safe.
    SurveyPool(const Settings &settings, const QList<int> &ports, SurveyObserver &observer,
               SurveyTiming timing = {}, int parallel = kDefaultSurveyParallel);
    // A round still running is stopped, and its calls hung up, first.
    ~SurveyPool() override;

    // Starts the round and returns at once; finished() follows, in this object's thread,
    // when every engine is done.
    void start(const QList<SurveySubscriber> &subscribers);
    // Runs the round; waits in the calling thread's event loop until every engine is done.
    void run(const QList<SurveySubscriber> &subscribers);
    // Ends the round on every port, each after hanging up its call. Thread-safe.
    void stop();
    bool running() const { return m_running.load() > 0; }

signals:
    void finished();

private:
    // Starts an engine per port; the end of each is counted in waiter's thread.
    void launch(const QList<SurveySubscriber> &subscribers, QObject *waiter);

    // The modems' engines, then the network sites' (made here, so that stop() from
    // another thread never meets the list changing).
    std::vector<std::unique_ptr<SurveyEngine>> m_engines;
    size_t m_modemEngines = 0;
    QList<SurveySubscriber> m_subscribers;
    std::unique_ptr<SurveyQueue> m_modemQueue;
    std::unique_ptr<SurveyQueue> m_networkQueue;
    std::vector<std::unique_ptr<QThread>> m_threads;
    std::atomic<int> m_running{0};
};

} // namespace tavrin
