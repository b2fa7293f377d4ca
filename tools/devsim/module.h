#pragma once

#include <cstdint>
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
    bool memError = false;
    std::map<std::string, std::string> fixedReplies; // by command key
    int64_t resetMicros = 200000;                     // deaf while restarting
    std::function<void(const std::string &)> note;    // tells the log what changed

    // Takes bytes from the line; returns the replies to the commands they complete.
    std::vector<Frame> receive(std::string_view bytes, int64_t nowMicros);

    // none | waiting | connected | paired: what PING would report.
    std::string stateName() const;
    // Puts the module into one of the named states; false for an unknown name.
    bool setState(const std::string &name);
    std::string describe() const;

private:
    Frame execute(const std::string &line, int64_t nowMicros);
    void tell(const std::string &what) const;

    std::string m_line;
    int64_t m_deafUntil = 0;
};

// "0a:1b:2c:3d:4e:5f" or "0A-1B-..." in display form; nullopt if it is not six hex pairs.
std::optional<std::string> NormalizeAddress(std::string_view text);

} // namespace devsim
