#include "module.h"

#include "named.h"

#include <cctype>

namespace devsim {

namespace {

// What the module says. Every reply to a known command opens with that command as its
// key; an address reply carries seven colons: two after the keys, five in the value.
std::string Status(const std::string &key, const std::string &status)
{
    return "{\"" + key + "\":\"" + status + "\"}";
}

std::string Value(const std::string &key, const std::string &status, const std::string &value)
{
    return "{\"" + key + "\":\"" + status + "\",\"Val\":\"" + value + "\"}";
}

const char *const kHelpList =
    "HELP VER PING RESET SLEEP DEVADDR PEERADDR PEERADDR(XX-XX-XX-XX-XX-XX) KEEP KILL";
const char *const kUnknownCommand = "{\"ERROR\":\"Unknown command\"}";
const char *const kBadAddress = "BadAddress";

const Named<KillMode> kKillModeNames[] = {
    {"deleted", KillMode::Deleted},
    {"forgets", KillMode::Forgets},
    {"keeps", KillMode::Keeps},
};

} // namespace

bool ParseKillMode(const std::string &name, KillMode &out)
{
    return ValueOf(kKillModeNames, name, out);
}

std::optional<std::string> NormalizeAddress(std::string_view text)
{
    if (text.size() != 17)
        return std::nullopt;
    std::string out;
    for (size_t i = 0; i < 17; ++i) {
        char c = text[i];
        if (i % 3 == 2) {
            if (c != ':' && c != '-')
                return std::nullopt;
            out += ':';
        } else {
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            out += char(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

std::vector<Frame> Module::receive(std::string_view bytes, int64_t nowMicros)
{
    std::vector<Frame> replies;
    for (char c : bytes) {
        if (nowMicros < m_deafUntil)
            continue; // restarting: what arrives now is lost
        if (c == '\0' || c == '\n')
            continue; // the wake-up byte; a stray line feed
        if (c != '\r') {
            if (m_line.size() < 1000)
                m_line += c;
            continue;
        }
        std::string line;
        line.swap(m_line);
        if (line.empty())
            continue;
        if (auto reply = execute(line, nowMicros))
            replies.push_back(std::move(*reply));
        if (nowMicros < m_deafUntil)
            break; // RESET: the rest of this read is lost with the restart
    }
    return replies;
}

// An answer set aside for this command comes first, then a fixed reply; either
// replaces the command's own work.
std::optional<Frame> Module::execute(const std::string &line, int64_t nowMicros)
{
    const std::string key = line.rfind("PEERADDR(", 0) == 0 ? "PEERADDR(" : line;
    auto queued = quirks.onceAnswers.find(key);
    if (queued != quirks.onceAnswers.end()) {
        const OnceAnswer answer = queued->second.front();
        queued->second.pop_front();
        if (queued->second.empty())
            quirks.onceAnswers.erase(queued);
        if (answer.kind == OnceAnswer::Lost) {
            tell(key + " not heard");
            return std::nullopt;
        }
        if (answer.kind == OnceAnswer::Text)
            return Frame{key, answer.text};
    }
    auto fixed = quirks.fixedReplies.find(key);
    if (fixed != quirks.fixedReplies.end())
        return Frame{key, fixed->second};
    return carryOut(key, line, nowMicros);
}

Frame Module::carryOut(const std::string &key, const std::string &line, int64_t nowMicros)
{
    const State &s = state;
    if (key == "HELP")
        return {key, Value(key, "OK", kHelpList)};
    if (key == "VER")
        return {key, Value(key, "OK", s.version)};
    if (key == "DEVADDR")
        return {key, Value(key, "OK", s.ownAddress)};
    if (key == "SLEEP")
        return {key, Status(key, "OK")};
    if (key == "PING")
        return ping();
    if (key == "PEERADDR")
        return {key, s.pair ? Value(key, "OK", *s.pair) : Status(key, "No Peer")};
    if (key == "KEEP")
        return keep();
    if (key == "PEERADDR(")
        return writePeerAddress(line);
    if (key == "KILL")
        return kill();
    if (key == "RESET")
        return reset(nowMicros);
    return {"", kUnknownCommand};
}

Frame Module::ping() const
{
    const State &s = state;
    if (s.peripheral && !s.pair)
        return {"PING", Value("PING", "WaitForKEEP", *s.peripheral)};
    if (s.peripheral && s.pair == s.peripheral)
        return {"PING", Status("PING", "Connected")};
    return {"PING", Status("PING", "NoConnection")};
}

bool Module::takeMemError()
{
    if (quirks.memErrors == 0)
        return false;
    if (quirks.memErrors > 0)
        --quirks.memErrors;
    return true;
}

Frame Module::keep()
{
    const std::string key = "KEEP";
    State &s = state;
    if (!s.peripheral || (s.pair && s.pair != s.peripheral))
        return {key, Status(key, "NoConnection")};
    if (takeMemError())
        return {key, Status(key, "MemError")};
    s.pair = s.peripheral;
    s.pendingPair.reset();
    tell("pair stored " + *s.pair);
    return {key, quirks.keepAddress ? Value(key, "OK", *s.pair) : Status(key, "OK")};
}

Frame Module::writePeerAddress(const std::string &line)
{
    const std::string key = "PEERADDR(";
    auto address = line.size() == 27 && line.back() == ')'
                       ? NormalizeAddress(std::string_view(line).substr(9, 17))
                       : std::nullopt;
    if (!address)
        return {key, Status(key, kBadAddress)};
    if (takeMemError())
        return {key, Status(key, "MemError")};
    const std::string written = quirks.writtenAddress.value_or(*address);
    state.pendingPair = written;
    tell("pair " + written + " written, in force after RESET" +
         (written == *address ? "" : " (asked for " + *address + ")"));
    return {key, Value(key, "OK", written)};
}

Frame Module::kill()
{
    const std::string key = "KILL";
    State &s = state;
    if (!s.pair && !s.pendingPair)
        return {key, Status(key, "No Peer")};
    if (quirks.kill == KillMode::Keeps) {
        tell("KILL answered, pair kept");
        return {key, Status(key, "OK")};
    }
    s.pair.reset();
    s.pendingPair.reset();
    tell("pair deleted");
    return {key, Status(key, quirks.kill == KillMode::Deleted ? "Peer Deleted" : "OK")};
}

Frame Module::reset(int64_t nowMicros)
{
    const std::string key = "RESET";
    State &s = state;
    if (s.pendingPair) {
        s.pair = s.pendingPair;
        s.pendingPair.reset();
    }
    m_deafUntil = nowMicros + resetMicros;
    tell("restarting, deaf for " + std::to_string(resetMicros / 1000) + " ms; state " + stateName());
    return {key, Status(key, "OK")};
}

std::string Module::stateName() const
{
    if (state.peripheral && !state.pair)
        return "waiting";
    if (state.peripheral && state.pair == state.peripheral)
        return "connected";
    return state.pair ? "paired" : "none";
}

bool Module::setState(const std::string &name)
{
    const std::string &peer = state.peripheralAddress;
    if (name == "none") {
        state.peripheral.reset();
        state.pair.reset();
    } else if (name == "waiting") {
        state.peripheral = peer;
        state.pair.reset();
    } else if (name == "connected") {
        state.peripheral = peer;
        state.pair = peer;
    } else if (name == "paired") {
        state.peripheral.reset();
        state.pair = peer;
    } else {
        return false;
    }
    state.pendingPair.reset();
    m_deafUntil = 0;
    return true;
}

std::string Module::describe() const
{
    auto opt = [](const std::optional<std::string> &a) { return a ? *a : std::string("none"); };
    const std::string quirkList = quirks.describe();
    return "state=" + stateName() + " peripheral=" + opt(state.peripheral) + " pair=" +
           opt(state.pair) + " pending=" + opt(state.pendingPair) + " devaddr=" +
           state.ownAddress + " version=" + state.version + " reset-ms=" +
           std::to_string(resetMicros / 1000) + (quirkList.empty() ? "" : " " + quirkList);
}

std::string Quirks::describe() const
{
    std::string d;
    auto add = [&d](const std::string &s) { d += (d.empty() ? "" : " ") + s; };
    if (memErrors < 0) add("memerror");
    if (memErrors > 0) add("memerror=" + std::to_string(memErrors));
    if (!keepAddress) add("keep-address=off");
    if (writtenAddress) add("peer-written=" + *writtenAddress);
    if (kill != KillMode::Deleted) add(std::string("kill-mode=") + NameOf(kKillModeNames, kill));
    for (const auto &[key, text] : fixedReplies)
        add("reply=" + key);
    for (const auto &[key, answers] : onceAnswers)
        add("once=" + key + "*" + std::to_string(answers.size()));
    return d;
}

void Module::tell(const std::string &what) const
{
    if (note)
        note("module: " + what);
}

} // namespace devsim
