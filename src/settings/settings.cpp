#include "settings/settings.h"

#include "settings/cp1251.h"

#include <QByteArray>

#include <algorithm>
#include <numeric>

namespace tavrin {

const AbonentRecord *Settings::selectedAbonent() const
{
    const int used = std::min<int>(directory.users_num, kMaxAbonents);
    if (directory.user_index >= used)
        return nullptr;
    return &directory.entries[directory.user_index];
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
    for (char &b : bytes)
        b = static_cast<char>(cp1251::toUpper(static_cast<unsigned char>(b)));
    return bytes;
}

bool keyLess(const QByteArray &a, const QByteArray &b)
{
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
}

} // namespace

void SortAbonents(AbonentDirectory &directory, int sortKeyKind)
{
    const int used = std::min<int>(directory.users_num, kMaxAbonents);
    const bool hasSelection = directory.user_index < kMaxAbonents;
    const QString selectedName =
        hasSelection ? directory.entries[directory.user_index].user_name : QString();

    if (sortKeyKind == ByName || sortKeyKind == ByPhone) {
        std::array<QByteArray, kMaxAbonents> keys;
        for (int i = 0; i < used; ++i) {
            const AbonentRecord &e = directory.entries[i];
            keys[i] = sortKey(sortKeyKind == ByName ? e.user_name : e.phone_code);
        }
        std::array<int, kMaxAbonents> order{};
        std::iota(order.begin(), order.begin() + used, 0);
        std::stable_sort(order.begin(), order.begin() + used,
                         [&keys](int a, int b) { return keyLess(keys[a], keys[b]); });
        const auto old = directory.entries;
        for (int i = 0; i < used; ++i)
            directory.entries[i] = old[order[i]];
    }

    if (!hasSelection)
        return;
    for (int i = used - 1; i >= 0; --i) {
        if (directory.entries[i].user_name == selectedName) {
            directory.user_index = static_cast<quint8>(i);
            break;
        }
    }
}

} // namespace tavrin
