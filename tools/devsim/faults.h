#pragma once

#include "module.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

// A piece of a reply and the silence before it, counted from the previous piece going
// out (so a late timer never shortens a gap).
struct Chunk {
    int64_t gapMicros = 0;
    std::string bytes;
};

// The ways a reply can go wrong on the line, switched by the control lines.
struct Faults {
    bool silent = false;         // no reply at all
    std::string garbage;         // bytes sent before every frame
    int trickleMs = 0;           // gap between the bytes of a reply
    bool noEnd = false;          // the frame loses its closing quote and brace
    bool lowerEcho = false;      // the command key in lower case
    bool overlong = false;       // more than 500 bytes, never closed
    std::optional<std::string> raw; // the next reply is exactly these bytes (once)

    // The bytes that go on the line for one module reply, and when.
    std::vector<Chunk> shape(const Frame &frame);
    void clear() { *this = Faults{}; }
    std::string describe() const;
};

} // namespace devsim
