#pragma once

#include <cstddef>
#include <string>

namespace devsim {

// A word of the control channel and the setting it stands for.
template <class T>
struct Named {
    const char *name;
    T value;
};

template <class T, std::size_t N>
bool ValueOf(const Named<T> (&table)[N], const std::string &name, T &out)
{
    for (const Named<T> &entry : table)
        if (name == entry.name) {
            out = entry.value;
            return true;
        }
    return false;
}

template <class T, std::size_t N>
const char *NameOf(const Named<T> (&table)[N], T value)
{
    for (const Named<T> &entry : table)
        if (entry.value == value)
            return entry.name;
    return table[0].name;
}

} // namespace devsim
