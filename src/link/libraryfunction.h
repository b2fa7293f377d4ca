#pragma once

#include <QLibrary>
#include <QString>

namespace tavrin {

// Looks up name in a loaded library as *function; when it is missing, the library's
// reason goes to *error, unless an earlier lookup already put one there.
template <typename Function>
void ResolveLibraryFunction(QLibrary &library, const char *name, Function *function, QString *error)
{
    *function = reinterpret_cast<Function>(library.resolve(name));
    if (!*function && error->isEmpty())
        *error = library.errorString();
}

} // namespace tavrin
