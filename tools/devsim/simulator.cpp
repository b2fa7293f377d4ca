#include "simulator.h"

#include "clock.h"
#include "control.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace devsim {

namespace {

volatile sig_atomic_t g_stop = 0;

// Pacing without a known rate (the program has not opened the port yet).
const int kDefaultRate = 9600;
// Output that the program does not read is dropped beyond this, like a full queue.
const size_t kMaxPendingOutput = 65536;

} // namespace

Simulator::Simulator(const Options &options) : m_options(options)
{
    pace = options.pace;
    replyMs = options.replyMs;
    if (options.modem)
        modem = std::make_unique<Modem>(*this);
    module.note = [this](const std::string &what) { note(what); };
}

int Simulator::lineFd() const
{
    if (m_tcp.listening())
        return m_tcp.clientFd();
    return m_pty.isOpen() ? m_pty.masterFd() : -1;
}

bool Simulator::start()
{
    if (m_options.listenPort >= 0) {
        if (!m_tcp.listen(m_options.listenPort)) {
            std::fprintf(stderr, "tavrin-devsim: %s\n", m_tcp.error().c_str());
            return false;
        }
        m_log.line("ready tcp 127.0.0.1:" + std::to_string(m_tcp.port()));
        return true;
    }
    if (!m_pty.open(m_options.comDir, m_options.port)) {
        std::fprintf(stderr, "tavrin-devsim: %s\n", m_pty.error().c_str());
        return false;
    }
    m_log.line("ready " + m_pty.linkPath() + " " + m_pty.slavePath());
    return true;
}

int64_t Simulator::now() const
{
    return MonotonicMicros();
}

void Simulator::note(const std::string &what)
{
    m_log.note(now(), what);
}

void Simulator::after(int64_t delayMicros, std::function<void()> action)
{
    m_timers.emplace(now() + std::max<int64_t>(delayMicros, 0), std::move(action));
}

void Simulator::toLine(const std::string &bytes)
{
    if (lineFd() < 0 || bytes.empty())
        return;
    if (m_out.size() + bytes.size() > kMaxPendingOutput)
        return;
    if (pace && m_out.empty())
        m_nextWrite = std::max(m_nextWrite, double(now()) + byteMicros());
    m_out += bytes;
    flushOutput();
}

std::string SiteNumber(const std::string &number)
{
    std::string plain;
    for (char c : number)
        if (c != ' ' && c != '-' && c != '(' && c != ')' && c != ';')
            plain += c;
    return plain;
}

std::optional<DialOutcome> Simulator::dialled(const std::string &number)
{
    m_dropAt = 0;
    m_callCommands = 0;
    const auto found = sites.find(SiteNumber(number));
    if (found == sites.end()) {
        // A number that is no site reaches the module the control lines set up, not
        // the last site's: a silent site's silence must not answer for it.
        if (m_siteCalled) {
            module.state = Module::State{};
            module.quirks.clear();
            faults.clear();
            m_siteCalled = false;
        }
        return std::nullopt;
    }
    m_siteCalled = true;
    const Site &site = found->second;
    // Each site's module starts from the defaults with what the site sets.
    module.state = Module::State{};
    module.quirks.clear();
    faults.clear();
    if (site.peripheral)
        module.state.peripheralAddress = *site.peripheral;
    if (site.devaddr)
        module.state.ownAddress = *site.devaddr;
    if (site.version)
        module.state.version = *site.version;
    module.setState(site.state);
    faults.silent = site.silent;
    if (site.undefinedPing)
        module.quirks.fixedReplies["PING"] = "{\"PING\":\"Unknown\"}";
    m_dropAt = site.dropAt;
    note("site " + SiteNumber(number) + ": " + site.describe());
    return site.dial;
}

void Simulator::toModule(std::string_view bytes, int64_t nowMicros)
{
    if (m_dropAt > 0 && modem) {
        for (char c : bytes) {
            if (c == '\r' && ++m_callCommands == m_dropAt) {
                m_dropAt = 0;
                modem->drop(); // the command is lost with the carrier
                return;
            }
        }
    }
    for (const Frame &frame : module.receive(bytes, nowMicros)) {
        auto chunks = std::make_shared<std::vector<Chunk>>(faults.shape(frame));
        if (!chunks->empty())
            after(int64_t(replyMs) * 1000 + chunks->front().gapMicros,
                  [this, chunks] { emitReply(chunks, 0); });
    }
}

void Simulator::emitReply(std::shared_ptr<std::vector<Chunk>> chunks, size_t index)
{
    const std::string &bytes = (*chunks)[index].bytes;
    if (modem)
        modem->fromModule(bytes);
    else
        toLine(bytes);
    if (++index < chunks->size())
        after((*chunks)[index].gapMicros, [this, chunks, index] { emitReply(chunks, index); });
}

double Simulator::byteMicros() const
{
    int rate = m_pty.lineRate();
    if (rate <= 0)
        rate = kDefaultRate;
    return 10'000'000.0 / rate; // ten bits a byte: start, eight data, stop
}

void Simulator::flushOutput()
{
    while (!m_out.empty() && lineFd() >= 0) {
        const int64_t t = now();
        size_t count = m_out.size();
        if (pace) {
            if (double(t) < m_nextWrite)
                return;
            count = 1;
        }
        ssize_t n = ::write(lineFd(), m_out.data(), count);
        if (n <= 0)
            return; // the pty is full: poll tells us when it drains
        m_log.bytes(false, t, std::string_view(m_out.data(), size_t(n)));
        m_out.erase(0, size_t(n));
        // The next byte's slot follows this one's slot, not the moment this byte left:
        // a late wake-up must not push every later byte back.
        if (pace)
            m_nextWrite += byteMicros();
    }
}

void Simulator::readLine()
{
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(lineFd(), buf, sizeof buf);
        // A TCP client that went away frees the line for the next one.
        if (m_tcp.connected() && (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))) {
            m_tcp.drop();
            m_out.clear();
            note("client: gone");
            return;
        }
        if (n <= 0)
            return;
        const int64_t t = now();
        const std::string_view bytes(buf, size_t(n));
        m_log.bytes(true, t, bytes);
        if (modem)
            modem->fromProgram(bytes, t);
        else
            toModule(bytes, t);
    }
}

void Simulator::acceptClient()
{
    if (!m_tcp.accept())
        return;
    m_out.clear();
    note("client: connected");
}

void Simulator::readControl()
{
    char buf[4096];
    ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        m_stdinOpen = false;
        return;
    }
    if (n < 0)
        return;
    m_control.append(buf, size_t(n));
    size_t end;
    while ((end = m_control.find('\n')) != std::string::npos) {
        std::string line = m_control.substr(0, end);
        m_control.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        m_log.line(HandleControl(*this, line));
    }
}

void Simulator::runDue()
{
    while (!m_timers.empty() && m_timers.begin()->first <= now()) {
        auto action = std::move(m_timers.begin()->second);
        m_timers.erase(m_timers.begin());
        action();
    }
}

int64_t Simulator::nextWakeMicros() const
{
    int64_t wake = INT64_MAX;
    if (!m_timers.empty())
        wake = m_timers.begin()->first;
    if (pace && !m_out.empty())
        wake = std::min(wake, int64_t(std::ceil(m_nextWrite)));
    return wake;
}

void Simulator::catchStopSignals()
{
    // Blocked except inside ppoll, so a signal can only land while the loop waits and
    // is seen at once; installed before the port is published, so none is missed.
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&blocked, sig);
    sigprocmask(SIG_BLOCK, &blocked, &m_waitMask);
    struct sigaction sa {};
    sa.sa_handler = [](int) { g_stop = 1; };
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(sig, &sa, nullptr);
        sigdelset(&m_waitMask, sig);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

int Simulator::run()
{
    while (!g_stop && m_stdinOpen) {
        pollfd fds[3];
        int count = 0;
        int lineIndex = -1;
        int listenIndex = -1;
        if (lineFd() >= 0) {
            lineIndex = count;
            // POLLOUT only when unpaced output waits for room; paced output waits for time.
            const bool wantRoom = !m_out.empty() && !pace;
            fds[count++] = {lineFd(), short(POLLIN | (wantRoom ? POLLOUT : 0)), 0};
        } else if (m_tcp.listening()) {
            listenIndex = count;
            fds[count++] = {m_tcp.listenFd(), POLLIN, 0};
        }
        const int controlIndex = count;
        fds[count++] = {STDIN_FILENO, POLLIN, 0};

        timespec timeout{};
        timespec *timeoutPtr = nullptr;
        const int64_t wake = nextWakeMicros();
        if (wake != INT64_MAX) {
            const int64_t wait = std::max<int64_t>(wake - now(), 0);
            timeout.tv_sec = wait / 1000000;
            timeout.tv_nsec = (wait % 1000000) * 1000;
            timeoutPtr = &timeout;
        }
        const int ready = ppoll(fds, nfds_t(count), timeoutPtr, &m_waitMask);
        if (ready < 0 && errno != EINTR)
            break;
        // The line first, so that every byte the program wrote before a control line
        // is logged before that line's acknowledgement.
        if (ready > 0 && lineIndex >= 0 && (fds[lineIndex].revents & (POLLIN | POLLHUP | POLLERR)))
            readLine();
        if (ready > 0 && listenIndex >= 0 && (fds[listenIndex].revents & POLLIN))
            acceptClient();
        if (ready > 0 && (fds[controlIndex].revents & (POLLIN | POLLHUP | POLLERR)))
            readControl();
        runDue();
        flushOutput();
    }
    m_pty.close();
    m_tcp.close();
    return 0;
}

bool Simulator::vanish()
{
    // On TCP the client's connection is cut; the port keeps listening for the next one.
    if (m_tcp.listening()) {
        if (!m_tcp.connected())
            return false;
        m_tcp.drop();
        m_out.clear();
        note("line: client cut off");
        return true;
    }
    if (!m_pty.isOpen())
        return false;
    m_pty.close();
    m_out.clear();
    note("line: vanished");
    return true;
}

bool Simulator::restore()
{
    if (m_tcp.listening() || m_pty.isOpen())
        return false;
    if (!m_pty.open(m_options.comDir, m_options.port))
        return false;
    note("line: published again at " + m_pty.linkPath() + " -> " + m_pty.slavePath());
    return true;
}

std::string Simulator::describe() const
{
    std::string d = module.describe();
    if (modem)
        d += " " + modem->describe();
    d += " faults=" + faults.describe();
    d += std::string(" pace=") + (pace ? "on" : "off") + " rate=" + std::to_string(m_pty.lineRate());
    if (m_tcp.listening())
        d += " line=tcp:" + std::to_string(m_tcp.port()) + (m_tcp.connected() ? "+client" : "");
    else
        d += " line=" + (m_pty.isOpen() ? m_pty.linkPath() : std::string("vanished"));
    return d;
}

} // namespace devsim
