// Loads the network module on first use. QtNetwork, and the Kerberos and proxy
// libraries it brings, took a tenth of the main window's start-up when they were
// linked; most starts never open a network link.
#include "link/libraryfunction.h"
#include "link/linklog.h"
#include "link/linktexts.h"
#include "link/networkmodule.h"
#include "link/networktarget.h"
#include "link/serialport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace tavrin {

namespace {

struct Loaded {
    networkmodule::OpenPort openPort = nullptr;
    networkmodule::IsAddressLiteral isIpv4Literal = nullptr;
    networkmodule::IsAddressLiteral isIpv6Literal = nullptr;
    QString folder; // where the module was looked for
    QString error;  // the loader's reason; empty when every entry point was found
};

Loaded Load()
{
    Loaded loaded;
    // Where the build and the package put it, relative to the programs' folder; kept
    // loaded, as the ports it makes run its code until the process ends.
    const QString path = QDir::cleanPath(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TAVRIN_NETWORK_MODULE)));
    loaded.folder = QDir::toNativeSeparators(QFileInfo(path).path());
    QLibrary library(path);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load()) {
        loaded.error = library.errorString();
    } else {
        ResolveLibraryFunction(library, networkmodule::kOpenPort, &loaded.openPort, &loaded.error);
        ResolveLibraryFunction(library, networkmodule::kIsIpv4Literal, &loaded.isIpv4Literal, &loaded.error);
        ResolveLibraryFunction(library, networkmodule::kIsIpv6Literal, &loaded.isIpv6Literal, &loaded.error);
    }
    if (!loaded.error.isEmpty())
        qCDebug(linkLog, "network module not loaded: %s", qUtf8Printable(loaded.error));
    return loaded;
}

// Loaded by the first call, from any thread, and kept.
const Loaded &Module()
{
    static const Loaded loaded = Load();
    return loaded;
}

} // namespace

std::unique_ptr<SerialPort> OpenNetworkPort(const NetworkTarget &target, LinkUi *ui, QString *failure)
{
    const Loaded &module = Module();
    if (!module.error.isEmpty()) {
        if (failure)
            *failure = linktext::NetworkModuleMissing(NetworkAddressText(target.address), module.folder);
        return nullptr;
    }
    return std::unique_ptr<SerialPort>(module.openPort(target, ui, failure));
}

bool IsIpv4Literal(const QString &text)
{
    const Loaded &module = Module();
    return !module.error.isEmpty() || module.isIpv4Literal(text);
}

bool IsIpv6Literal(const QString &text)
{
    const Loaded &module = Module();
    return !module.error.isEmpty() || module.isIpv6Literal(text);
}

} // namespace tavrin
