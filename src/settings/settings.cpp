#include "settings/settings.h"

#include "settings/cp1251.h"

#include <QByteArray>

#include <algorithm>
#include <numeric>
#include <optional>

namespace tavrin {

const AbonentRecord *Settings::selectedAbonent() const
{
    const int used = std::min<int>(directory.count, kMaxAbonents);
    if (directory.selectedIndex >= used)
        return nullptr;
    return &directory.entries[directory.selectedIndex];
}

int RateIndex(qint32 rate)
{
    const auto it = std::find(BaudRates.begin(), BaudRates.end(), rate);
    return it == BaudRates.end() ? -1 : static_cast<int>(it - BaudRates.begin());
}

qint32 RateAt(int position)
{
    return position >= 0 && position < static_cast<int>(BaudRates.size()) ? BaudRates[position]
                                                                           : 0;
}

namespace {

// The key the directory is ordered by: the CP1251 bytes in the Windows ANSI upper
// case, compared as unsigned values. So digits and Latin come before Cyrillic, and Ё
// (0xA8) before А (0xC0).
QByteArray sortKey(const QString &text)
{
    QByteArray bytes = cp1251::encode(text);
    for (char &byte : bytes)
        byte = static_cast<char>(cp1251::toUpper(static_cast<unsigned char>(byte)));
    return bytes;
}

bool keyLess(const QByteArray &left, const QByteArray &right)
{
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(), [](char leftByte, char rightByte) {
            return static_cast<unsigned char>(leftByte) < static_cast<unsigned char>(rightByte);
        });
}

// The position of the subscriber remembered before a sort: the last entry with its
// name and phone number, or, when no entry has both, the last with its name alone.
std::optional<int> positionOf(const AbonentDirectory &directory, int used,
                              const AbonentRecord &remembered)
{
    std::optional<int> byName;
    for (int i = used - 1; i >= 0; --i) {
        const AbonentRecord &entry = directory.entries[i];
        if (entry.name != remembered.name)
            continue;
        if (entry.phoneNumber == remembered.phoneNumber)
            return i;
        if (!byName)
            byName = i;
    }
    return byName;
}

void sortEntries(AbonentDirectory &directory, int used, int sortKeyKind)
{
    std::array<QByteArray, kMaxAbonents> keys;
    for (int i = 0; i < used; ++i) {
        const AbonentRecord &entry = directory.entries[i];
        keys[i] = sortKey(sortKeyKind == ByName ? entry.name : entry.phoneNumber);
    }
    std::array<int, kMaxAbonents> order{};
    std::iota(order.begin(), order.begin() + used, 0);
    std::stable_sort(order.begin(), order.begin() + used,
                     [&keys](int left, int right) { return keyLess(keys[left], keys[right]); });
    const auto unsorted = directory.entries;
    for (int i = 0; i < used; ++i)
        directory.entries[i] = unsorted[order[i]];
}

} // namespace

void SortAbonents(AbonentDirectory &directory, int sortKeyKind)
{
    const int used = std::min<int>(directory.count, kMaxAbonents);
    const bool hasSelection = directory.selectedIndex < kMaxAbonents;
    const AbonentRecord remembered =
        hasSelection ? directory.entries[directory.selectedIndex] : AbonentRecord();

    if (sortKeyKind == ByName || sortKeyKind == ByPhone)
        sortEntries(directory, used, sortKeyKind);

    if (!hasSelection)
        return;
    // Two subscribers may share a name; the phone number tells them apart, so the one
    // dialled stays the one the user chose.
    if (const std::optional<int> position = positionOf(directory, used, remembered))
        directory.selectedIndex = static_cast<quint8>(*position);
}

} // namespace tavrin
