#include "faults.h"

#include <cctype>

namespace devsim {

std::vector<Chunk> Faults::shape(const Frame &frame)
{
    std::string bytes;
    if (raw) {
        bytes = *raw;
        raw.reset();
    } else {
        std::string text = frame.text;
        if (overlong) {
            // Opens like a frame and runs past the 500-byte limit without an end mark.
            text = "{\"" + frame.key + "\":\"" + std::string(600, 'x');
        }
        if (lowerEcho && !frame.key.empty() && text.rfind("{\"" + frame.key, 0) == 0) {
            for (size_t i = 2; i < 2 + frame.key.size(); ++i)
                text[i] = char(std::tolower(static_cast<unsigned char>(text[i])));
        }
        if (noEnd && text.size() >= 2 && text.compare(text.size() - 2, 2, "\"}") == 0)
            text.resize(text.size() - 2);
        bytes = garbage + text;
    }
    if (silent || bytes.empty())
        return {};
    if (trickleMs <= 0)
        return {{0, bytes}};
    std::vector<Chunk> chunks;
    for (size_t i = 0; i < bytes.size(); ++i)
        chunks.push_back({i == 0 ? 0 : int64_t(trickleMs) * 1000, std::string(1, bytes[i])});
    return chunks;
}

std::string Faults::describe() const
{
    std::string d;
    auto add = [&d](const std::string &s) { d += (d.empty() ? "" : " ") + s; };
    if (silent) add("silent");
    if (!garbage.empty()) add("garbage");
    if (trickleMs > 0) add("trickle=" + std::to_string(trickleMs));
    if (noEnd) add("no-end");
    if (lowerEcho) add("lower-echo");
    if (overlong) add("overlong");
    if (raw) add("raw-pending");
    return d.empty() ? "none" : d;
}

} // namespace devsim
