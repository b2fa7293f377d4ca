#include "sites.h"

#include "module.h"

#include <charconv>
#include <sstream>

namespace devsim {

namespace {

const char *const kDialKinds[][2] = {
    {"busy", "busy"},
    {"no-answer", "no-answer"},
    {"no-dialtone", "no-dialtone"},
    {"no-carrier", "no-carrier"},
    {"error", "error"},
    {"no-reply", "silent"},
};

bool Count(const std::string &text, int &out)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= 0;
}

} // namespace

std::string ParseSite(const std::string &description, Site &site)
{
    std::istringstream in(description);
    std::string kind;
    if (!(in >> kind))
        return "expected a kind";
    site = Site{};
    site.kind = kind;
    if (kind == "none" || kind == "waiting" || kind == "connected" || kind == "paired") {
        site.state = kind;
    } else if (kind == "silent") {
        site.silent = true;
    } else if (kind == "undefined") {
        site.undefinedPing = true;
    } else {
        bool known = false;
        for (const auto &dial : kDialKinds) {
            if (kind == dial[0]) {
                Modem::parseDialOutcome(dial[1], site.dial);
                known = true;
            }
        }
        if (!known)
            return "unknown kind " + kind;
    }
    for (std::string word; in >> word;) {
        const size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        if (key == "peripheral" || key == "devaddr") {
            auto address = NormalizeAddress(value);
            if (!address)
                return "bad address in " + word;
            (key == "peripheral" ? site.peripheral : site.devaddr) = *address;
        } else if (key == "version" && !value.empty()) {
            site.version = value;
        } else if (key == "drop" && Count(value, site.dropAt) && site.dropAt > 0) {
        } else {
            return "unknown setting " + word;
        }
    }
    return "";
}

std::string Site::describe() const
{
    std::string text = kind;
    if (peripheral)
        text += " peripheral=" + *peripheral;
    if (devaddr)
        text += " devaddr=" + *devaddr;
    if (version)
        text += " version=" + *version;
    if (dropAt > 0)
        text += " drop=" + std::to_string(dropAt);
    return text;
}

} // namespace devsim
