#pragma once

#include "modem.h"

#include <map>
#include <optional>
#include <string>

namespace devsim {

// What answers when the modem dials one number: a module in a given state, or a dial
// result, so that one simulator serves a whole round of sites.
struct Site {
    std::string kind = "none";   // as the control line names it
    Modem::DialOutcome dial = Modem::DialOutcome::Connect;
    std::string state = "none";  // none | waiting | connected | paired
    bool silent = false;         // the module answers nothing
    bool undefinedPing = false;  // PING gets a reply with none of its tokens
    int dropAt = 0;              // the carrier is lost at this command of the call (0 never)
    std::optional<std::string> peripheral; // addresses and version; the defaults otherwise
    std::optional<std::string> devaddr;
    std::optional<std::string> version;

    std::string describe() const;
};

// "<kind> [settings]": the kind (a module state, silent, undefined, or a dial result busy,
// no-answer, no-dialtone, no-carrier, error, no-reply), then any of
// peripheral=ADDR devaddr=ADDR version=TEXT drop=N. The empty text on success, else
// the reason.
std::string ParseSite(const std::string &description, Site &site);

// The sites by dialled number, as the modem receives it after ATD.
using Sites = std::map<std::string, Site>;

} // namespace devsim
