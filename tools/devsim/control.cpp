#include "control.h"

#include "simulator.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace devsim {

namespace {

// What a handler got: the words after the control's name, and the same text unsplit.
struct Args {
    std::vector<std::string> words;
    std::string rest;
};

// A handler returns the empty text on success or the reason it refused; info, when
// set, follows the acknowledgement.
using Handler = std::string (*)(Simulator &, const Args &, std::string &info);

struct Control {
    const char *name;
    const char *usage;
    const char *help;
    Handler handler;
};

bool ParseOnOff(const Args &a, bool &out)
{
    if (a.words.size() != 1)
        return false;
    if (a.words[0] == "on") out = true;
    else if (a.words[0] == "off") out = false;
    else return false;
    return true;
}

bool ParseInt(const std::string &text, int &out)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= 0;
}

std::string OnOff(bool &flag, const Args &a)
{
    return ParseOnOff(a, flag) ? "" : "expected on or off";
}

std::string Milliseconds(int &value, const Args &a)
{
    return a.words.size() == 1 && ParseInt(a.words[0], value) ? "" : "expected milliseconds";
}

std::string Address(std::string &out, const Args &a)
{
    auto address = a.words.size() == 1 ? NormalizeAddress(a.words[0]) : std::nullopt;
    if (!address)
        return "expected an address like 0A:1B:2C:3D:4E:5F";
    out = *address;
    return "";
}

// "<COMMAND> <text>": the command's key and the text after it, which may hold blanks.
bool CommandAndText(const Args &a, std::string &command, std::string &text)
{
    if (a.words.empty())
        return false;
    command = a.words[0];
    text = a.rest.size() > command.size() ? a.rest.substr(command.size() + 1) : "";
    return !text.empty();
}

std::string NeedModem(Simulator &sim)
{
    return sim.modem ? "" : "no modem (start with --modem)";
}

const Control kControls[] = {
    {"help", "", "list the control lines",
     [](Simulator &, const Args &, std::string &info) { info = "\n" + ControlHelp(); return std::string(); }},
    {"status", "", "show the module, modem, fault and line state",
     [](Simulator &sim, const Args &, std::string &info) { info = sim.describe(); return std::string(); }},
    {"sync", "", "do nothing; its acknowledgement follows every byte logged before it",
     [](Simulator &, const Args &, std::string &) { return std::string(); }},

    {"state", "none|waiting|connected|paired",
     "no peripheral / peripheral waiting for KEEP / paired and connected / paired, peripheral away",
     [](Simulator &sim, const Args &a, std::string &info) {
         if (a.words.size() != 1 || !sim.module.setState(a.words[0]))
             return std::string("expected none, waiting, connected or paired");
         info = sim.module.describe();
         return std::string();
     }},
    {"peripheral", "<address>|off",
     "a peripheral with this address connects (unpaired: it waits for KEEP) / goes away",
     [](Simulator &sim, const Args &a, std::string &info) {
         if (a.words.size() == 1 && a.words[0] == "off") {
             sim.module.state.peripheral.reset();
         } else {
             std::string addr;
             if (auto e = Address(addr, a); !e.empty())
                 return e;
             sim.module.state.peripheralAddress = addr;
             sim.module.state.peripheral = addr;
         }
         info = sim.module.describe();
         return std::string();
     }},
    {"pair", "<address>|none", "store this pair (in force at once) / forget the pair",
     [](Simulator &sim, const Args &a, std::string &info) {
         if (a.words.size() == 1 && a.words[0] == "none") {
             sim.module.state.pair.reset();
         } else {
             std::string addr;
             if (auto e = Address(addr, a); !e.empty())
                 return e;
             sim.module.state.pair = addr;
         }
         sim.module.state.pendingPair.reset();
         info = sim.module.describe();
         return std::string();
     }},
    {"devaddr", "<address>", "the module's own address (DEVADDR)",
     [](Simulator &sim, const Args &a, std::string &) { return Address(sim.module.state.ownAddress, a); }},
    {"version", "<text>", "the module's software version (VER)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (a.rest.empty())
             return std::string("expected a version text");
         sim.module.state.version = a.rest;
         return std::string();
     }},
    {"delay", "<ms>", "time from a command's CR to the start of its reply (default 0)",
     [](Simulator &sim, const Args &a, std::string &) { return Milliseconds(sim.replyMs, a); }},
    {"reset-ms", "<ms>", "how long the module is deaf after RESET (default 200)",
     [](Simulator &sim, const Args &a, std::string &) {
         int ms = 0;
         auto e = Milliseconds(ms, a);
         if (e.empty())
             sim.module.resetMicros = int64_t(ms) * 1000;
         return e;
     }},
    {"pace", "on|off", "send at the line rate the program set, 10 bits a byte",
     [](Simulator &sim, const Args &a, std::string &) { return OnOff(sim.pace, a); }},

    {"silent", "on|off", "the module does not answer",
     [](Simulator &sim, const Args &a, std::string &) { return OnOff(sim.faults.silent, a); }},
    {"garbage", "on|off|<hex>", "bytes before every frame (on: 78 0D 0A)",
     [](Simulator &sim, const Args &a, std::string &) {
         bool on = false;
         if (ParseOnOff(a, on)) {
             sim.faults.garbage = on ? std::string("x\r\n") : std::string();
             return std::string();
         }
         auto bytes = ParseHex(a.rest);
         if (!bytes || bytes->empty())
             return std::string("expected on, off or hex bytes");
         sim.faults.garbage = *bytes;
         return std::string();
     }},
    {"trickle", "<ms>|off", "a gap of <ms> before every byte of a reply after the first",
     [](Simulator &sim, const Args &a, std::string &) {
         if (a.words.size() == 1 && a.words[0] == "off") {
             sim.faults.trickleMs = 0;
             return std::string();
         }
         return Milliseconds(sim.faults.trickleMs, a);
     }},
    {"no-end", "on|off", "frames lose their end mark (the closing quote and brace)",
     [](Simulator &sim, const Args &a, std::string &) { return OnOff(sim.faults.noEnd, a); }},
    {"lower-echo", "on|off", "the reply's command key in lower case: {\"ping\":...}",
     [](Simulator &sim, const Args &a, std::string &) { return OnOff(sim.faults.lowerEcho, a); }},
    {"memerror", "on|off|<n>",
     "KEEP and PEERADDR(address) answer MemError and store nothing: always / never / the next n times",
     [](Simulator &sim, const Args &a, std::string &) {
         bool on = false;
         if (ParseOnOff(a, on)) {
             sim.module.quirks.memErrors = on ? -1 : 0;
             return std::string();
         }
         int times = 0;
         if (a.words.size() != 1 || !ParseInt(a.words[0], times))
             return std::string("expected on, off or a count");
         sim.module.quirks.memErrors = times;
         return std::string();
     }},
    {"keep-address", "on|off", "KEEP's OK carries the stored address / is {\"KEEP\":\"OK\"} (the pair is stored either way)",
     [](Simulator &sim, const Args &a, std::string &) { return OnOff(sim.module.quirks.keepAddress, a); }},
    {"peer-written", "<address>|off",
     "PEERADDR(address) writes and reports this address instead of the one sent / the one sent",
     [](Simulator &sim, const Args &a, std::string &) {
         if (a.words.size() == 1 && a.words[0] == "off") {
             sim.module.quirks.writtenAddress.reset();
             return std::string();
         }
         std::string addr;
         if (auto e = Address(addr, a); !e.empty())
             return e;
         sim.module.quirks.writtenAddress = addr;
         return std::string();
     }},
    {"kill-mode", "deleted|forgets|keeps",
     "KILL with a pair stored: \"Peer Deleted\" and forgets it / {\"KILL\":\"OK\"} and forgets it / {\"KILL\":\"OK\"} and keeps it",
     [](Simulator &sim, const Args &a, std::string &) {
         if (a.words.size() != 1 || !ParseKillMode(a.words[0], sim.module.quirks.kill))
             return std::string("expected deleted, forgets or keeps");
         return std::string();
     }},
    {"overlong", "on|off", "replies open a frame and send 600 more bytes without an end",
     [](Simulator &sim, const Args &a, std::string &) { return OnOff(sim.faults.overlong, a); }},
    {"raw", "<hex>", "the next reply is exactly these bytes (faults other than silent and trickle skipped)",
     [](Simulator &sim, const Args &a, std::string &) {
         auto bytes = ParseHex(a.rest);
         if (!bytes || bytes->empty())
             return std::string("expected hex bytes");
         sim.faults.raw = *bytes;
         return std::string();
     }},
    {"reply", "<COMMAND> <text>|off",
     "a fixed reply to COMMAND (PEERADDR( for the address form); C escapes \\r \\n \\xHH",
     [](Simulator &sim, const Args &a, std::string &) {
         std::string command, text;
         if (!CommandAndText(a, command, text))
             return std::string("expected a command and a reply text or off");
         if (text == "off")
             sim.module.quirks.fixedReplies.erase(command);
         else
             sim.module.quirks.fixedReplies[command] = Unescape(text);
         return std::string();
     }},
    {"once", "<COMMAND> normal|lost|<text>",
     "set aside one answer for the next COMMAND, after those set aside before: as usual / "
     "not heard (no reply, no effect) / this reply (escapes as for reply) with no effect",
     [](Simulator &sim, const Args &a, std::string &) {
         std::string command, text;
         if (!CommandAndText(a, command, text))
             return std::string("expected a command and normal, lost or a reply text");
         OnceAnswer answer;
         if (text == "lost")
             answer.kind = OnceAnswer::Lost;
         else if (text != "normal")
             answer = {OnceAnswer::Text, Unescape(text)};
         sim.module.quirks.onceAnswers[command].push_back(answer);
         return std::string();
     }},
    {"send", "<hex>", "put these bytes on the line now, unasked (past the modem)",
     [](Simulator &sim, const Args &a, std::string &) {
         auto bytes = ParseHex(a.rest);
         if (!bytes || bytes->empty())
             return std::string("expected hex bytes");
         if (!sim.pty().isOpen())
             return std::string("the line has vanished");
         sim.send(*bytes);
         return std::string();
     }},
    {"faults", "off",
     "clear every fault: silent, garbage, trickle, no-end, lower-echo, overlong, raw, and memerror, "
     "keep-address, peer-written, kill-mode, reply, once",
     [](Simulator &sim, const Args &a, std::string &) {
         if (a.words.size() != 1 || a.words[0] != "off")
             return std::string("expected off");
         sim.faults.clear();
         sim.module.quirks.clear();
         return std::string();
     }},
    {"vanish", "", "close the pty and remove the link: the program's port fails (--listen: cut the client off)",
     [](Simulator &sim, const Args &, std::string &) {
         return sim.vanish() ? std::string() : std::string("already vanished");
     }},
    {"restore", "", "publish the port again on a fresh pty",
     [](Simulator &sim, const Args &, std::string &info) {
         if (!sim.restore())
             return std::string("the line is there already, or: ") + sim.pty().error();
         info = sim.pty().linkPath() + " " + sim.pty().slavePath();
         return std::string();
     }},

    {"dial", "connect|busy|no-answer|no-dialtone|no-carrier|error|silent", "how the modem answers ATD (modem)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         if (a.words.size() != 1 || !Modem::parseDialOutcome(a.words[0], sim.modem->dialOutcome))
             return std::string("expected connect, busy, no-answer, no-dialtone, no-carrier, error or silent");
         return std::string();
     }},
    {"dial-ms", "<ms>", "time from ATD to its result (modem; default 500)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         return Milliseconds(sim.modem->dialMs, a);
     }},
    {"cpas", "0|3|error|silent", "how the modem answers AT+CPAS: ready / not ready / ERROR / nothing (modem)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         if (a.words.size() != 1 || !Modem::parseCpasReply(a.words[0], sim.modem->cpasReply))
             return std::string("expected 0, 3, error or silent");
         return std::string();
     }},
    {"dial-abandon", "on|off", "whether a character sent while the modem dials ends the dial with NO CARRIER (modem; default on)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         if (a.words.size() != 1 || (a.words[0] != "on" && a.words[0] != "off"))
             return std::string("expected on or off");
         sim.modem->characterAbandonsDial = a.words[0] == "on";
         return std::string();
     }},
    {"ath", "obeyed|ignored", "whether ATH ends a call that is up; ignored: no answer and the call stays (modem)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         if (a.words.size() != 1 || (a.words[0] != "obeyed" && a.words[0] != "ignored"))
             return std::string("expected obeyed or ignored");
         sim.modem->ignoresHangUp = a.words[0] == "ignored";
         return std::string();
     }},
    {"guard", "<ms>", "guard time of the +++ escape: the silence before and after it, the longest gap between its pluses (modem; default 1000)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         return Milliseconds(sim.modem->guardMs, a);
     }},
    {"site", "<number> <kind> [peripheral=ADDR] [devaddr=ADDR] [version=TEXT] [drop=N] | <number> off",
     "what answers when <number> is dialled (modem): a module none|waiting|connected|paired, silent "
     "(answers nothing) or undefined (PING without its tokens), or a dial result busy|no-answer|"
     "no-dialtone|no-carrier|error|no-reply; drop=N loses the carrier at the Nth command of each call",
     [](Simulator &sim, const Args &a, std::string &info) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         if (a.words.size() < 2)
             return std::string("expected a number and a kind, or a number and off");
         const std::string number = SiteNumber(a.words[0]);
         if (a.words.size() == 2 && a.words[1] == "off") {
             sim.sites.erase(number);
             return std::string();
         }
         Site site;
         if (auto e = ParseSite(a.rest.substr(a.words[0].size() + 1), site); !e.empty())
             return e;
         sim.sites[number] = site;
         info = number + " " + site.describe();
         return std::string();
     }},
    {"sites", "off", "forget every site (modem)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (a.words.size() != 1 || a.words[0] != "off")
             return std::string("expected off");
         sim.sites.clear();
         return std::string();
     }},
    {"drop", "", "the carrier is lost now: NO CARRIER, command mode (modem)",
     [](Simulator &sim, const Args &, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         return sim.modem->drop() ? std::string() : std::string("no call is up");
     }},
    {"drop-midframe", "<n>", "the next reply is cut after n bytes by NO CARRIER (modem)",
     [](Simulator &sim, const Args &a, std::string &) {
         if (auto e = NeedModem(sim); !e.empty())
             return e;
         int n = 0;
         if (a.words.size() != 1 || !ParseInt(a.words[0], n))
             return std::string("expected a byte count");
         sim.modem->dropMidFrame(n);
         return std::string();
     }},
};

} // namespace

std::string HandleControl(Simulator &sim, const std::string &line)
{
    std::istringstream in(line);
    std::string name;
    in >> name;
    if (name.empty())
        return "error " + line + " -- empty control line";
    Args args;
    for (std::string word; in >> word;)
        args.words.push_back(word);
    const size_t start = line.find_first_not_of(" \t", line.find(name) + name.size());
    args.rest = start == std::string::npos ? "" : line.substr(start);
    while (!args.rest.empty() && (args.rest.back() == ' ' || args.rest.back() == '\t'))
        args.rest.pop_back();

    for (const Control &c : kControls) {
        if (name != c.name)
            continue;
        std::string info;
        std::string reason = c.handler(sim, args, info);
        if (!reason.empty())
            return "error " + line + " -- " + reason;
        return "ok " + line + (info.empty() ? "" : " -- " + info);
    }
    return "error " + line + " -- unknown control (try help)";
}

std::string ControlHelp()
{
    std::string out;
    for (const Control &c : kControls) {
        std::string head = std::string("  ") + c.name + (*c.usage ? " " : "") + c.usage;
        if (head.size() < 30)
            head.resize(30, ' ');
        else
            head += "\n" + std::string(30, ' ');
        out += head + c.help + "\n";
    }
    return out;
}

} // namespace devsim
