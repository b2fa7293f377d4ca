#include "link/framescanner.h"

namespace tavrin {

namespace {

constexpr char kLeftBrace = 0x7B;
constexpr char kQuote = 0x22;
constexpr char kRightBrace = 0x7D;

} // namespace

FrameScanner::FrameScanner(FrameBuffer &buffer) : m_buffer(buffer)
{
    m_buffer[0] = 0;
}

FrameScanner::Progress FrameScanner::feed(char byte)
{
    const int position = m_position;
    m_buffer[position] = byte;
    m_buffer[position + 1] = 0;
    if (position == 0) {
        // Bytes before the start mark overwrite each other: they never count
        // against the capacity.
        m_position = byte == kLeftBrace ? 1 : 0;
    } else if (position == 1) {
        // A second brace where the quote belongs drops both.
        m_position = byte == kQuote ? 2 : 0;
    } else if (byte == kRightBrace && m_buffer[position - 1] == kQuote) {
        // The quote of the start mark may also open the end mark: {"} is a frame.
        return m_progress = FrameComplete;
    } else if (++m_position >= kFrameCapacity) {
        return m_progress = Overflow;
    }
    m_progress = m_position >= 2 ? InsideFrame : SeekingStart;
    return m_progress;
}

} // namespace tavrin
