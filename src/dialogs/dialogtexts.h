#pragma once

#include <QString>

// The fixed texts of the connect dialog, the wait window and the address dialog. A line
// break inside a message is "\r".
namespace tavrin {

namespace ConnectTexts {
inline const QString Caption = QStringLiteral(" Параметры связи");
inline const QString KindLabel = QStringLiteral("Тип связи");
inline const QString AbonentLabel = QStringLiteral("Абонент");
inline const QString ListLabel = QStringLiteral("Список абонентов");
inline const QString KindDirect = QStringLiteral("Непосредственная связь");
inline const QString KindPhone = QStringLiteral("Связь по телефону");
inline const QString NewAbonent = QStringLiteral("Новый абонент");
inline const QString ChangeParameters = QStringLiteral("Изменить параметры связи");
inline const QString Accept = QStringLiteral("Принять");
inline const QString Exit = QStringLiteral("Выход");
inline const QString NotAllParameters = QStringLiteral("Введены не все параметры");
} // namespace ConnectTexts

namespace WaitTexts {
inline const QString Caption = QStringLiteral("...");
inline const QString Wait = QStringLiteral("Ожидайте...");
inline const QString StateReadingLine1 = QStringLiteral("Выполняется чтение");
inline const QString StateReadingLine2 = QStringLiteral("параметров состояния устройства");
inline const QString PairCreationLine1 = QStringLiteral("Выполняется операция");
inline const QString PairCreationLine2 = QStringLiteral("создания пары с периферийным устройством");
} // namespace WaitTexts

namespace AddressTexts {
inline const QString Line1 = QStringLiteral("Введите адрес");
inline const QString Line2 = QStringLiteral("для создания пары");
inline const QString Accept = QStringLiteral("Принять");
inline const QString Cancel = QStringLiteral("Отменить");
} // namespace AddressTexts

} // namespace tavrin
