#pragma once

#include <QString>

// The connection flow's texts, in one place. "СОМ" in the port text is written with
// Cyrillic letters, as the users know it.
namespace tavrin::sessiontext {

inline QString PortUnavailable(int port)
{
    return QStringLiteral("Коммуникационный порт СОМ%1 недоступен").arg(port);
}

inline QString RetryDial(const QString &dialResult)
{
    return dialResult + QStringLiteral("\rПовторить попытку соединения?");
}

inline const QString PhoneLinkFailed = QStringLiteral("Связь по телефону не установлена");

} // namespace tavrin::sessiontext
