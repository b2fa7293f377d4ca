#include "module.h"

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

} // namespace

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
        replies.push_back(execute(line, nowMicros));
        if (nowMicros < m_deafUntil)
            break; // RESET: the rest of this read is lost with the restart
    }
    return replies;
}

Frame Module::execute(const std::string &line, int64_t nowMicros)
{
    const std::string key = line.rfind("PEERADDR(", 0) == 0 ? "PEERADDR(" : line;
    auto fixed = fixedReplies.find(key);
    if (fixed != fixedReplies.end())
        return {key, fixed->second};

    State &s = state;
    if (key == "HELP")
        return {key, Value(key, "OK", kHelpList)};
    if (key == "VER")
        return {key, Value(key, "OK", s.version)};
    if (key == "DEVADDR")
        return {key, Value(key, "OK", s.ownAddress)};
    if (key == "SLEEP")
        return {key, Status(key, "OK")};
    if (key == "PING") {
        if (s.peripheral && !s.pair)
            return {key, Value(key, "WaitForKEEP", *s.peripheral)};
        if (s.peripheral && s.pair == s.peripheral)
            return {key, Status(key, "Connected")};
        return {key, Status(key, "NoConnection")};
    }
    if (key == "PEERADDR") {
        if (!s.pair)
            return {key, Status(key, "No Peer")};
        return {key, Value(key, "OK", *s.pair)};
    }
    if (key == "KEEP") {
        if (!s.peripheral || (s.pair && s.pair != s.peripheral))
            return {key, Status(key, "NoConnection")};
        if (memError)
            return {key, Status(key, "MemError")};
        s.pair = s.peripheral;
        s.pendingPair.reset();
        tell("pair stored " + *s.pair);
        return {key, Value(key, "OK", *s.pair)};
    }
    if (key == "PEERADDR(") {
        auto address = line.size() == 27 && line.back() == ')'
                           ? NormalizeAddress(std::string_view(line).substr(9, 17))
                           : std::nullopt;
        if (!address)
            return {key, Status(key, kBadAddress)};
        if (memError)
            return {key, Status(key, "MemError")};
        s.pendingPair = *address;
        tell("pair " + *address + " written, in force after RESET");
        return {key, Value(key, "OK", *address)};
    }
    if (key == "KILL") {
        const bool had = s.pair || s.pendingPair;
        s.pair.reset();
        s.pendingPair.reset();
        if (!had)
            return {key, Status(key, "No Peer")};
        tell("pair deleted");
        return {key, Status(key, "Peer Deleted")};
    }
    if (key == "RESET") {
        if (s.pendingPair) {
            s.pair = s.pendingPair;
            s.pendingPair.reset();
        }
        m_deafUntil = nowMicros + resetMicros;
        tell("restarting, deaf for " + std::to_string(resetMicros / 1000) + " ms; state " +
             stateName());
        return {key, Status(key, "OK")};
    }
    return {"", kUnknownCommand};
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
    return "state=" + stateName() + " peripheral=" + opt(state.peripheral) + " pair=" +
           opt(state.pair) + " pending=" + opt(state.pendingPair) + " devaddr=" +
           state.ownAddress + " version=" + state.version + (memError ? " memerror" : "");
}

void Module::tell(const std::string &what) const
{
    if (note)
        note("module: " + what);
}

} // namespace devsim
