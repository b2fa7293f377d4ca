#pragma once

// What every fuzz target shares: the input read as a stream of small fields, and the
// check that stops the run with a message when a property does not hold.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace tavrin::fuzz {

// Fields taken from the front of the input; an exhausted input gives zeros.
class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return empty() ? 0 : m_data[m_pos++]; }
    // Little-endian; the low byte is taken first whatever the compiler.
    uint16_t word()
    {
        const uint8_t low = byte();
        return uint16_t(low | (byte() << 8));
    }
    uint32_t dword()
    {
        const uint16_t low = word();
        return low | (uint32_t(word()) << 16);
    }
    // At most count bytes.
    QByteArray bytes(size_t count);
    QByteArray rest() { return bytes(m_size - m_pos); }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Prints what failed, with the bytes concerned in hex, and aborts.
[[noreturn]] void fail(const char *property, const QByteArray &detail = {});

inline void check(bool holds, const char *property, const QByteArray &detail = {})
{
    if (!holds)
        fail(property, detail);
}

} // namespace tavrin::fuzz
