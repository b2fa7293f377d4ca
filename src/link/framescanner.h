#pragma once

#include <array>

namespace tavrin {

// The most bytes a reply frame holds, its marks included.
inline constexpr int kFrameCapacity = 500;
// A frame as received, from its left brace on, always zero-terminated.
using FrameBuffer = std::array<char, kFrameCapacity + 1>;

// Finds one reply frame in the bytes received: it opens with the start mark {" and
// ends with the end mark "}. Pure: it only looks at the bytes it is fed, one at a
// time, and keeps them in the buffer it is given.
class FrameScanner {
public:
    enum Progress {
        SeekingStart, // no start mark yet (a lone left brace is not one)
        InsideFrame,  // the start mark is in, the end mark is not
        FrameComplete,
        Overflow, // kFrameCapacity bytes stored without an end mark
    };

    // Starts with an empty frame in buffer.
    explicit FrameScanner(FrameBuffer &buffer);

    // Stores byte and says where the frame stands. Not to be fed once complete or
    // overflowed.
    Progress feed(char byte);
    Progress progress() const { return m_progress; }

private:
    FrameBuffer &m_buffer;
    int m_position = 0; // where the next byte is stored
    Progress m_progress = SeekingStart;
};

} // namespace tavrin
