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

// Status panel 2 while a network connection is made; %1 is "host:port".
inline QString NetworkConnecting(const QString &address)
{
    return QStringLiteral(" Установление связи по сети с %1...").arg(address);
}

// The chosen subscriber has no network address that can be used (a hand-edited file).
inline QString NoNetworkAddress(const QString &abonent)
{
    return QStringLiteral("У абонента «%1» нет верного сетевого адреса.\rСвязь по сети не установлена").arg(abonent);
}

} // namespace tavrin::sessiontext
