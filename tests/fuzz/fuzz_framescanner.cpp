// The frame scanner against a model of the framing written out here: every byte of
// the stream is fed, and after each one the scanner's progress and the bytes its
// buffer holds must be the model's. A new scanner starts on the same buffer after each
// frame or overflow, as the next exchange cycle does.
#include "fuzzing.h"

#include "link/framescanner.h"

#include <cstring>
#include <string>

using namespace tavrin;
using tavrin::fuzz::check;

namespace {

constexpr size_t kCapacity = 500; // bytes of a frame, marks included

// A frame opens with '{' '"' and closes with '"' '}', the opening quote may be the
// closing one; bytes before the opening mark overwrite each other, and a second byte
// other than '"' drops the '{' with it.
class FrameModel {
public:
    FrameScanner::Progress feed(char byte)
    {
        if (m_frame.empty() || m_frame == "{") {
            const bool opening = m_frame.empty() ? byte == '{' : byte == '"';
            m_stored = m_frame + byte;
            m_frame = opening ? m_stored : std::string();
            return m_frame.size() == 2 ? FrameScanner::InsideFrame : FrameScanner::SeekingStart;
        }
        m_frame += byte;
        m_stored = m_frame;
        if (m_frame.size() >= 3 && m_frame.compare(m_frame.size() - 2, 2, "\"}") == 0)
            return FrameScanner::FrameComplete;
        return m_frame.size() >= kCapacity ? FrameScanner::Overflow : FrameScanner::InsideFrame;
    }
    // The bytes the buffer holds before its terminating zero.
    const std::string &stored() const { return m_stored; }

private:
    std::string m_frame; // from the '{' of the opening mark on
    std::string m_stored;
};

QByteArray shown(const std::string &bytes)
{
    return QByteArray(bytes.data(), qsizetype(bytes.size())).toHex(' ');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FrameBuffer buffer;
    buffer.fill('#');
    size_t next = 0;
    while (next < size) {
        FrameScanner scanner(buffer);
        check(buffer[0] == 0, "a new scanner starts with an empty frame");
        FrameModel model;
        for (FrameScanner::Progress progress = FrameScanner::SeekingStart;
             next < size && progress != FrameScanner::FrameComplete && progress != FrameScanner::Overflow;) {
            progress = scanner.feed(char(data[next++]));
            check(progress == model.feed(char(data[next - 1])), "progress after a byte is the model's",
                  shown(model.stored()));
            check(scanner.progress() == progress, "progress() repeats what feed said");
            const std::string &stored = model.stored();
            check(stored.size() <= kCapacity
                      && std::memcmp(buffer.data(), stored.data(), stored.size()) == 0
                      && buffer[stored.size()] == 0,
                  "the buffer holds the model's bytes, zero-terminated", shown(stored));
        }
    }
    return 0;
}
