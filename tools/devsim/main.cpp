// tavrin-devsim: the Bluetooth module (and optionally a GSM modem in front of it) on a
// pseudo-terminal, for trying tavrin without hardware and for its tests.
#include "clock.h"
#include "control.h"
#include "simulator.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace devsim;

namespace {

const char kUsage[] = R"(Usage: tavrin-devsim [options]

Simulates the Bluetooth module on a pseudo-terminal published as COM<n> in the
folder that tavrin reads TAVRIN_COM_DIR from; with --modem a Hayes GSM modem sits
in front of it, so tavrin's phone connection can dial it.

Options:
  --com-dir DIR      publish into DIR (default: $TAVRIN_COM_DIR)
  --port N           publish as COM<N> (default 1)
  --listen PORT      serve the line on TCP 127.0.0.1:PORT instead of a pty, one
                     client at a time (0: a free port, named in the ready line)
  --modem            a modem in front of the module: AT commands, ATD, +++, ATH
  --pace             send at the line rate tavrin set, 10 bits a byte
  --state NAME       none | waiting | connected | paired (default none)
  --peripheral ADDR  address of the peripheral that `state` brings (0A:1B:2C:3D:4E:5F)
  --devaddr ADDR     the module's own address (00:1A:7D:DA:71:13)
  --module-version TEXT  the module's software version, VER (1.07)
  --reply-ms MS      time from a command's CR to its reply (0)
  --reset-ms MS      the module is deaf this long after RESET (200)
  --dial-ms MS       time from ATD to CONNECT (500)
  --guard-ms MS      guard time of the +++ escape (1000)
  --site 'NUMBER KIND [SETTINGS]'
                     what answers when NUMBER is dialled (with --modem; repeatable);
                     the same as --control 'site NUMBER KIND ...', see below
  --control LINE     carry out this control line before the port is published
                     (repeatable, in order; e.g. --control 'kill-mode keeps')
  --help             this text
  --version          the simulator's own version

The module answers HELP, VER, PING, RESET, SLEEP, DEVADDR, PEERADDR,
PEERADDR(XX:XX:XX:XX:XX:XX), KEEP and KILL, each ended by CR; a 0x00 wake-up
byte is ignored. Replies are frames such as {"PING":"Connected"} or
{"PEERADDR":"OK","Val":"0A:1B:2C:3D:4E:5F"}; an unknown command gets
{"ERROR":"Unknown command"}. KEEP pairs a waiting peripheral; PEERADDR(address)
writes a pair that is in force after RESET; KILL forgets the pair.

Output, one line per event (times are CLOCK_MONOTONIC seconds):
  ready <link> <pty>                       the port is published
  ready tcp 127.0.0.1:<port>               with --listen: the port listens
  recv <time> <hex> "<text>"               bytes received from tavrin
  sent <time> <hex> "<text>"               bytes sent to tavrin
  note <time> <text>                       a change of state
  ok <control> [-- info] | error <control> -- reason

Control lines on stdin (each acknowledged by an ok or error line):
)";

bool IntArg(const char *text, int &out)
{
    const char *end = text + std::strlen(text);
    auto [p, ec] = std::from_chars(text, end, out);
    return ec == std::errc() && p == end && out >= 0;
}

int Fail(const std::string &message)
{
    std::fprintf(stderr, "tavrin-devsim: %s (try --help)\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (const char *dir = std::getenv("TAVRIN_COM_DIR"))
        options.comDir = dir;
    std::string state = "none";
    std::string peripheral, devaddr, version;
    int resetMs = -1, dialMs = -1, guardMs = -1;
    std::vector<std::string> controls;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
        auto intValue = [&](int &out) {
            const char *v = value();
            return v && IntArg(v, out);
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(ControlHelp().c_str(), stdout);
            return 0;
        } else if (arg == "--version") {
            std::puts("tavrin-devsim " TAVRIN_VERSION);
            return 0;
        } else if (arg == "--modem") {
            options.modem = true;
        } else if (arg == "--pace") {
            options.pace = true;
        } else if (arg == "--com-dir") {
            const char *v = value();
            ok = v != nullptr;
            if (ok)
                options.comDir = v;
        } else if (arg == "--listen") {
            ok = intValue(options.listenPort) && options.listenPort <= 65535;
        } else if (arg == "--port") {
            ok = intValue(options.port) && options.port >= 1;
        } else if (arg == "--reply-ms") {
            ok = intValue(options.replyMs);
        } else if (arg == "--reset-ms") {
            ok = intValue(resetMs);
        } else if (arg == "--dial-ms") {
            ok = intValue(dialMs);
        } else if (arg == "--guard-ms") {
            ok = intValue(guardMs);
        } else if (arg == "--site") {
            const char *v = value();
            ok = v != nullptr;
            if (ok)
                controls.push_back(std::string("site ") + v);
        } else if (arg == "--control") {
            const char *v = value();
            ok = v != nullptr;
            if (ok)
                controls.push_back(v);
        } else if (arg == "--state" || arg == "--peripheral" || arg == "--devaddr" || arg == "--module-version") {
            const char *v = value();
            ok = v != nullptr;
            if (ok)
                (arg == "--state" ? state : arg == "--peripheral" ? peripheral
                                        : arg == "--devaddr"      ? devaddr
                                                                  : version) = v;
        } else {
            return Fail("unknown option " + arg);
        }
        if (!ok)
            return Fail("bad or missing value for " + arg);
    }
    if (options.comDir.empty() && options.listenPort < 0)
        return Fail("no folder to publish into: set TAVRIN_COM_DIR or give --com-dir");
    if ((dialMs >= 0 || guardMs >= 0) && !options.modem)
        return Fail("--dial-ms and --guard-ms need --modem");

    setvbuf(stdout, nullptr, _IOLBF, 0);
    Simulator sim(options);
    if (!peripheral.empty()) {
        auto a = NormalizeAddress(peripheral);
        if (!a)
            return Fail("bad address " + peripheral);
        sim.module.state.peripheralAddress = *a;
    }
    if (!devaddr.empty()) {
        auto a = NormalizeAddress(devaddr);
        if (!a)
            return Fail("bad address " + devaddr);
        sim.module.state.ownAddress = *a;
    }
    if (!version.empty())
        sim.module.state.version = version;
    if (!sim.module.setState(state))
        return Fail("unknown state " + state);
    if (resetMs >= 0)
        sim.module.resetMicros = int64_t(resetMs) * 1000;
    if (sim.modem && dialMs >= 0)
        sim.modem->dialMs = dialMs;
    if (sim.modem && guardMs >= 0)
        sim.modem->guardMs = guardMs;

    for (const std::string &line : controls) {
        const std::string ack = HandleControl(sim, line);
        if (ack.rfind("ok ", 0) != 0)
            return Fail("--control: " + ack);
        std::puts(ack.c_str());
    }

    UsePreciseTimers();
    sim.catchStopSignals();
    if (!sim.start())
        return 1;
    return sim.run();
}
