#include "fuzzing.h"

#include <cstdio>
#include <cstdlib>

namespace tavrin::fuzz {

QByteArray FuzzInput::bytes(size_t count)
{
    const size_t taken = count < m_size - m_pos ? count : m_size - m_pos;
    const QByteArray result(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(taken));
    m_pos += taken;
    return result;
}

void fail(const char *property, const QByteArray &detail)
{
    std::fprintf(stderr, "property broken: %s\n", property);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.constData());
    std::fflush(stderr);
    std::abort();
}

} // namespace tavrin::fuzz
