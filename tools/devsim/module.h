#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

// One reply frame of the module, with the command key it echoes.
struct Frame {
    std::string key;  // "PING", "PEERADDR(", ... ; empty for the error frame
    std::string text; // {"PING":"Connected"}
};

// What KILL says and does when a pair is stored.
enum class KillMode {
    Deleted, // {"KILL":"Peer Deleted"}, the pair forgotten
    Forgets, // {"KILL":"OK"}, the pair forgotten all the same
    Keeps,   // {"KILL":"OK"}, the pair still stored
};
// deleted | forgets | keeps
bool ParseKillMode(const std::string &name, KillMode &out);

// An answer set aside for the next time one command comes.
struct OnceAnswer {
    enum Kind {
        Normal, // answered and carried out as without this entry
        Lost,   // not heard: no reply, no effect
        Text,   // these bytes instead of the reply; the command has no effect
    };
    Kind kind = Normal;
    std::string text;
};

// The module's departures from its plain behaviour, switched by the control lines.
// Unlike the line faults, they keep the module's state consistent with its replies.
struct Quirks {
    int memErrors = 0;      // KEEP and PEERADDR(address) answer MemError: the next n times; -1 always
    bool keepAddress = true; // KEEP's OK carries the stored address
    std::optional<std::string> writtenAddress; // PEERADDR(address) writes and reports this one
    KillMode kill = KillMode::Deleted;
    std::map<std::string, std::string> fixedReplies;         // by command key, every time
    std::map<std::string, std::deque<OnceAnswer>> onceAnswers; // by command key, each used once

    void clear() { *this = Quirks{}; }
    std::string describe() const;
};

// The Bluetooth module: takes command lines, keeps its pair, answers in frames.
class Module {
public:
    // Addresses are kept in display form, "0A:1B:2C:3D:4E:5F".
    struct State {
        std::string ownAddress = "00:1A:7D:DA:71:13";
        std::string version = "1.07";
        std::string peripheralAddress = "0A:1B:2C:3D:4E:5F"; // the peripheral that `state` brings
        std::optional<std::string> peripheral; // address of the connected peripheral
        std::optional<std::string> pair;       // the stored pair
        std::optional<std::string> pendingPair; // written by PEERADDR(addr), in force after RESET
    };

    State state;
    Quirks quirks;
    int64_t resetMicros = 200000;                  // deaf while restarting
    std::function<void(const std::string &)> note; // tells the log what changed

    // Takes bytes from the line; returns the replies to the commands they complete.
    std::vector<Frame> receive(std::string_view bytes, int64_t nowMicros);

    // none | waiting | connected | paired: what PING would report.
    std::string stateName() const;
    // Puts the module into one of the named states; false for an unknown name.
    bool setState(const std::string &name);
    std::string describe() const;

private:
    std::optional<Frame> execute(const std::string &line, int64_t nowMicros);
    Frame carryOut(const std::string &key, const std::string &line, int64_t nowMicros);
    Frame ping() const;
    Frame keep();
    Frame writePeerAddress(const std::string &line);
    Frame kill();
    Frame reset(int64_t nowMicros);
    bool takeMemError();
    void tell(const std::string &what) const;

    std::string m_line;
    int64_t m_deafUntil = 0;
};

// "0a:1b:2c:3d:4e:5f" or "0A-1B-..." in display form; nullopt if it is not six hex pairs.
std::optional<std::string> NormalizeAddress(std::string_view text);

} // namespace devsim
