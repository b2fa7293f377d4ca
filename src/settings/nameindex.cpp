#include "settings/nameindex.h"

#include <QHashFunctions>

#include <algorithm>
#include <array>

namespace tavrin {

namespace {

quint32 hashOf(QByteArrayView name)
{
    const size_t hash = qHash(name, QHashSeed::globalSeed());
    return quint32(hash ^ (quint64(hash) >> 32));
}

// Stable least-significant-digit radix sort of the items by their high 32 bits, in
// three passes of 11 bits; the low halves come in rising, so equal hashes keep the
// order of their entries.
void sortByHash(std::vector<quint64> &items)
{
    constexpr int kDigitBits = 11;
    std::vector<quint64> scratch(items.size());
    for (int shift = 32; shift < 64; shift += kDigitBits) {
        std::array<size_t, 1 << kDigitBits> start{};
        const auto digitOf = [shift](quint64 item) { return (item >> shift) & ((1u << kDigitBits) - 1); };
        for (const quint64 item : items)
            ++start[digitOf(item)];
        size_t next = 0;
        for (size_t &count : start)
            next += std::exchange(count, next);
        for (const quint64 item : items)
            scratch[start[digitOf(item)]++] = item;
        items.swap(scratch);
    }
}

} // namespace

void NameIndex::append(QByteArrayView name, qsizetype value)
{
    m_entries.push_back({name, value});
}

void NameIndex::reserve(qsizetype count)
{
    m_entries.reserve(count);
}

void NameIndex::seal()
{
    m_sorted.reserve(m_entries.size());
    for (size_t entry = 0; entry < m_entries.size(); ++entry)
        m_sorted.push_back(quint64(hashOf(m_entries[entry].name)) << 32 | quint64(entry));
    sortByHash(m_sorted);
}

void NameIndex::insertCopy(const QByteArray &name, qsizetype value)
{
    // A deep copy: `name` may itself be a view of bytes that go away.
    m_inserted.insert(QByteArray(name.constData(), name.size()), value);
}

std::optional<qsizetype> NameIndex::find(QByteArrayView name) const
{
    const quint64 hash = hashOf(name);
    auto at = std::lower_bound(m_sorted.cbegin(), m_sorted.cend(), hash << 32);
    for (; at != m_sorted.cend() && (*at >> 32) == hash; ++at) {
        const Entry &entry = m_entries[quint32(*at)];
        if (entry.name == name)
            return entry.value;
    }
    if (m_inserted.isEmpty())
        return std::nullopt;
    const auto inserted = m_inserted.constFind(name.toByteArray());
    return inserted != m_inserted.cend() ? std::optional<qsizetype>(*inserted) : std::nullopt;
}

} // namespace tavrin
