#pragma once

#include <QString>

// The texts of the state reading, pair creation and pair break, in one place. A line
// break inside a message is "\r".
namespace tavrin::operationtext {

// "Выполняеся" in the three progress texts is kept on purpose, as the users know it.
inline const QString ReadingState = QStringLiteral(" Выполняеся чтение состояния устройства");
inline const QString CreatingPair = QStringLiteral(" Выполняеся создание пары");
inline const QString BreakingPair = QStringLiteral(" Выполняеся разрыв пары");

// The state view's values.
inline const QString Yes = QStringLiteral("Есть");
inline const QString No = QStringLiteral("Нет");
inline const QString NoAddress = QStringLiteral("--");
inline const QString Operational = QStringLiteral("Эксплуатационный");
inline const QString Commissioning = QStringLiteral("Пусконаладочный");

// command: "PING", "PEERADDR" or "DEVADDR".
inline QString UndefinedReply(const char *command)
{
    return QStringLiteral("Неопределенный ответ на команду \"%1\"").arg(QLatin1String(command));
}

inline const QString PairExistsAlready = QStringLiteral("Сбой операции: пара уже существует");
inline const QString ConfirmationTitle = QStringLiteral("?");
// address: the peripheral's address in display form.
inline QString ConfirmPair(const QString &address)
{
    return QStringLiteral("Создать пару с периферийным устройством\r(MAC %1) ?").arg(address);
}
// KEEP's refusals say "невозможна"; the failure of both passes with an address says
// "невозможно".
inline const QString KeepNoConnection = QStringLiteral("Создание пары невозможна.\rНет соединения.");
inline const QString KeepMemError = QStringLiteral("Создание пары невозможна.\rСбой модуля Bluetooth.");
inline const QString PairResultUnknown =
    QStringLiteral("Результат операции неизвестен.\rНеопределенный ответ на команду создания пары.");
inline const QString PairImpossible = QStringLiteral("Создание пары невозможно.\rСбой модуля Bluetooth.");
inline const QString PairNotCreated = QStringLiteral("Не создана пара\rс периферийным устройством");
inline const QString PairCreated = QStringLiteral("Операция создания пары\rвыполнена успешно");
inline const QString PairWrongAddress = QStringLiteral("Операция создания пары не выполнена.\rСбой модуля Bluetooth");

inline const QString NoPairBeforeBreak = QStringLiteral("Перед началом операции\rне подтверждено наличие пары");
inline const QString PairBroken = QStringLiteral("Операция разрыва пары выполнена");
inline const QString BreakFailed = QStringLiteral("Сбой операции разрыва пары");

} // namespace tavrin::operationtext
