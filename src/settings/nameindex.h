#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <optional>
#include <vector>

namespace tavrin {

// Names to numbers, for the section and key names of a settings file, where the first
// of a name wins. The names read from the file are views into bytes that outlive the
// index (the file's text), so a file of a hundred thousand names copies none of them.
// They are listed in the file's order, then sorted once by hash (a radix sort, which
// reads and writes memory in order, where a hash table of a large file would miss the
// processor's caches once per name); a lookup is a binary search. The hash is Qt's
// seeded one, so a file cannot be made of names that all collide.
class NameIndex {
public:
    // Lists a name of the file in the file's order. `name`'s bytes must outlive the
    // index and never change.
    void append(QByteArrayView name, qsizetype value);
    // Room for `count` names to be appended.
    void reserve(qsizetype count);
    // Sorts what was appended; lookups find it from then on.
    void seal();
    // A name made after sealing, which the index has not got; the index keeps a copy.
    void insertCopy(const QByteArray &name, qsizetype value);
    // The value of the first name appended that equals `name`, or the inserted one.
    std::optional<qsizetype> find(QByteArrayView name) const;

private:
    struct Entry {
        QByteArrayView name;
        qsizetype value = 0;
    };

    // std::vector: appending a hundred thousand entries costs a third of QList's work.
    std::vector<Entry> m_entries;
    // The name's hash in the high half, its entry in the low half, sorted: the entries
    // of one hash follow one another in the file's order.
    std::vector<quint64> m_sorted;
    QHash<QByteArray, qsizetype> m_inserted;
};

} // namespace tavrin
