#include "protocol/protocoltexts.h"

namespace tavrin {

namespace {

const QString kExchangeFailed = QStringLiteral("Сбой операции.\rНе выполнена команда \"%1\".");
const QString kNoEcho = QStringLiteral("Сбой модуля. Команда \"%1\".");

} // namespace

QString CommandExchangeFailedText(const char *command)
{
    return kExchangeFailed.arg(QString::fromLatin1(command));
}

QString CommandNoEchoText(const char *command)
{
    return kNoEcho.arg(QString::fromLatin1(command));
}

} // namespace tavrin
