#pragma once

#include "bytelog.h"
#include "faults.h"
#include "modem.h"
#include "module.h"
#include "pty.h"
#include "sites.h"
#include "tcpline.h"

#include <csignal>
#include <map>
#include <memory>
#include <string>

namespace devsim {

struct Options {
    std::string comDir;
    int port = 1;
    bool modem = false;
    bool pace = false;
    int replyMs = 0; // from the end of a command to its reply
    int listenPort = -1; // >= 0: the line is a loopback TCP port (0: a free one), not a pty
};

// A dialled number as the sites are keyed: without blanks, hyphens, parentheses and ";".
std::string SiteNumber(const std::string &number);

// The device on the far end of the pseudo-terminal: the module, optionally behind a
// modem, with the faults a test switches on. Runs one poll loop over the pty and stdin.
class Simulator : public ModemHost {
public:
    explicit Simulator(const Options &options);

    void catchStopSignals(); // SIGTERM, SIGINT, SIGHUP end run() cleanly
    bool start();     // opens and publishes the port; false with a message on stderr
    int run();        // until stdin ends or a stop signal comes

    // For the control lines.
    Module module;
    Faults faults;
    std::unique_ptr<Modem> modem;
    Sites sites; // by dialled number, with the number's blanks, hyphens and parentheses left out
    bool pace = false;
    int replyMs = 0;

    bool vanish();  // the line disappears; false if it already has
    bool restore(); // published again on a fresh pty
    void send(const std::string &bytes) { toLine(bytes); }
    std::string describe() const;
    PseudoTerminal &pty() { return m_pty; }

    // ModemHost
    void toLine(const std::string &bytes) override;
    void toModule(std::string_view bytes, int64_t nowMicros) override;
    void after(int64_t delayMicros, std::function<void()> action) override;
    void note(const std::string &what) override;
    int64_t now() const override;
    std::optional<DialOutcome> dialled(const std::string &number) override;

private:
    void emitReply(std::shared_ptr<std::vector<Chunk>> chunks, size_t index);
    void readLine();
    void acceptClient();
    // The descriptor the line's bytes go through: the pty's master, or the TCP client;
    // -1 while there is none.
    int lineFd() const;
    void readControl();
    void runDue();
    void flushOutput();
    double byteMicros() const;
    int64_t nextWakeMicros() const;

    Options m_options;
    PseudoTerminal m_pty;
    TcpLine m_tcp;
    ByteLog m_log;
    std::multimap<int64_t, std::function<void()>> m_timers;
    std::string m_out;        // waiting to go on the line
    double m_nextWrite = 0;   // with pacing: when the line is free for the next byte (us)
    std::string m_control;    // a partial control line
    int m_dropAt = 0;         // the site's call loses its carrier at this command (0 never)
    int m_callCommands = 0;   // command lines the module got in this call
    bool m_siteCalled = false; // the module and faults are a site's, not the control lines'
    bool m_stdinOpen = true;
    sigset_t m_waitMask{}; // the signal mask while waiting in ppoll
};

} // namespace devsim
