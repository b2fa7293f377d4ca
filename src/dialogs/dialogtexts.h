#pragma once

#include <QString>

// The fixed texts of the dialogs. A line break inside a message is "\r"; a label of two
// lines has "\n" between them.
namespace tavrin {

// Texts that several dialogs share.
namespace CommonTexts {
inline const QString Accept = QStringLiteral("Принять");
inline const QString Exit = QStringLiteral("Выход");
inline const QString Cancel = QStringLiteral("Отменить");
inline const QString NotAllParameters = QStringLiteral("Введены не все параметры");
inline const QString AbonentLabel = QStringLiteral("Абонент");
inline const QString NewAbonent = QStringLiteral("Новый абонент");
inline const QString ListLabel = QStringLiteral("Список абонентов");
inline const QString NameLabel = QStringLiteral("Наименование");
inline const QString PhoneLabel = QStringLiteral("№ телефона");
inline const QString NetworkAddressLabel = QStringLiteral("Сетевой адрес");
inline const QString ProtocolLabel = QStringLiteral("Протокол");
// The items of the protocol list, in the order of NetworkProtocol.
inline const QString ProtocolRawTcp = QStringLiteral("TCP");
inline const QString ProtocolRfc2217 = QStringLiteral("RFC 2217");
// The title of a window shown without one (the message boxes, the address dialog). Qt
// puts the program's name in the title bar of a window whose title is empty; a single
// blank shows nothing.
inline const QString BlankTitle = QStringLiteral(" ");
} // namespace CommonTexts

namespace ConnectTexts {
inline const QString Caption = QStringLiteral(" Параметры связи");
inline const QString KindLabel = QStringLiteral("Тип связи");
inline const QString KindDirect = QStringLiteral("Непосредственная связь");
inline const QString KindPhone = QStringLiteral("Связь по телефону");
inline const QString KindNetwork = QStringLiteral("Связь по сети");
inline const QString ChangeParameters = QStringLiteral("Изменить параметры связи");
} // namespace ConnectTexts

namespace ConnParTexts {
inline const QString DesignCaption = QStringLiteral("Параметры связи с устройством ");
inline const QString DirectCaption = QStringLiteral("Параметры связи с устройством (непосредственная связь)");
inline const QString PhoneCaption = QStringLiteral("Параметры связи с устройством (связь по телефону)");
inline const QString NetworkCaption = QStringLiteral("Параметры связи с устройством (связь по сети)");
// Beside the rate for the network kind: a server with port control sets it on the
// module's line; over raw TCP the server's own setting holds.
inline const QString NetworkRateNote = QStringLiteral("задаётся серверу по RFC 2217;\nпо TCP не используется");
inline const QString ConnectLimitLabel = QStringLiteral("Время ожидания\nсоединения (1...60)");
inline const QString ConnectLimitName = QStringLiteral("Время ожидания соединения");
inline const QString PortLabel = QStringLiteral("Порт подключения");
inline const QString RateLabel = QStringLiteral("Скорость обмена");
inline const QString RateUnit = QStringLiteral("бит/с");
inline const QString WaitTimeLabel = QStringLiteral("Время ожидания первого\nбайта ответа (1...120)");
inline const QString TimeOutLabel = QStringLiteral("Время ожидания следующих\nбайтов ответа (55...5000)");
inline const QString SecondsUnit = QStringLiteral("c"); // a Latin c
inline const QString MillisecondsUnit = QStringLiteral("мс");
inline const QString AttemptsLabel = QStringLiteral("Кол. попыток обмена");
inline const QString WakeUpByte = QStringLiteral("Требуется посылка байта\nпобудки перед командой");
inline const QString CommandLabel = QStringLiteral("Команда модему");
inline const QString ConnectWaitLabel = QStringLiteral("Ожидание соединения\n(1...360)");
inline const QString ConnRepeatLabel = QStringLiteral("Кол. попыток соединения\n(1...10)");
// The field names that the range message puts in brackets.
inline const QString WaitTimeName = QStringLiteral("Время ожидания первого байта ответа");
inline const QString TimeOutName = QStringLiteral("Время ожидания следующих байтов ответа");
inline const QString ConnectWaitName = QStringLiteral("Ожидание соединения");
inline const QString ConnRepeatName = QStringLiteral("Количество попыток соединения");
// %1: the field's name.
inline const QString OutOfRange = QStringLiteral("Параметр вне допустимого диапазона\r(%1)");
// %1: a port number.
inline const QString PortItem = QStringLiteral("COM%1");
// The tooltip of a port: %1 the device, %2 what the system says of the adapter.
// A published link and the device it leads to.
inline const QString PortLink = QStringLiteral("%1 → %2");
inline const QString PortDevice = QStringLiteral("Устройство: %1");
inline const QString PortDeviceWithAdapter = QStringLiteral("Устройство: %1\nАдаптер: %2");
inline const QString AdapterSerialNumber = QStringLiteral("%1, серийный № %2");
} // namespace ConnParTexts

namespace AbonentListTexts {
inline const QString Caption = QStringLiteral(" Список абонентов");
inline const QString NumberHeader = QStringLiteral("№");
inline const QString Edit = QStringLiteral("Изменить");
inline const QString Add = QStringLiteral("Добавить");
inline const QString Delete = QStringLiteral("Удалить");
inline const QString DeleteQuestion = QStringLiteral("Вы действительно хотите удалить этот абонент?");
inline const QString SortByName = QStringLiteral("Упорядочить по наименованию");
inline const QString SortByPhone = QStringLiteral("Упорядочить по номеру телефона");
} // namespace AbonentListTexts

namespace SurveyTexts {
inline const QString Caption = QStringLiteral(" Опрос объектов");
inline const QString SurveyButton = QStringLiteral("Опрос…");
inline const QString Start = QStringLiteral("Начать");
inline const QString Stop = QStringLiteral("Остановить");
inline const QString Save = QStringLiteral("Сохранить отчёт…");
inline const QString Close = QStringLiteral("Закрыть");
inline const QString InProgress = QStringLiteral("Выполняется опрос…");
inline const QString Stopping = QStringLiteral("Опрос завершается: кладётся трубка…");
// %1 sites done, %2 sites chosen.
inline const QString Progress = QStringLiteral("%v из %m");
// %1 the time left as hh:mm:ss.
inline const QString TimeLeft = QStringLiteral("Осталось около %1");
// %1 read, %2 chosen, %3 the report's path.
inline const QString Done = QStringLiteral("Прочитано %1 из %2. Отчёт: %3");
// %1 read, %2 chosen: the round's report lacks rows, which the table keeps.
inline const QString DoneNotWritten =
    QStringLiteral("Прочитано %1 из %2. Отчёт не записан: сохраните его кнопкой «Сохранить отчёт…».");
// After the report's failure, once a round.
inline const QString RowsKept =
    QStringLiteral("Строки опроса остались в таблице: сохраните их кнопкой «Сохранить отчёт…».");
inline const QString Idle = QStringLiteral("Выбрано объектов: %1. Модуль только читается: PING, PEERADDR, DEVADDR, VER.");
// The tooltip of a value that differs from the previous survey: %1 the old value, %2 its report.
inline const QString Changed = QStringLiteral("Изменилось с предыдущего опроса.\nБыло: %1\n(%2)");
// The modems of a round: the phone kind's port, and the others the user ticks.
inline const QString Modems = QStringLiteral("Модемы:");
inline const QString PhonePort = QStringLiteral("СОМ%1 (связь по телефону)");
inline const QString Port = QStringLiteral("СОМ%1");
// %1 bluetooth.ini, %2 the system's reason.
inline const QString PortsNotKept = QStringLiteral("Не удалось запомнить выбранные модемы в файле %1: %2");
// How many subscribers with a network address are read at once, each on its own connection.
inline const QString Parallel = QStringLiteral("Сетевых объектов одновременно:");
// %1 bluetooth.ini, %2 the system's reason.
inline const QString ParallelNotKept = QStringLiteral("Не удалось запомнить число сетевых объектов в файле %1: %2");
inline const QString SaveCaption = QStringLiteral("Сохранить отчёт об опросе");
inline const QString SaveWorkbookFilter = QStringLiteral("Таблица Excel (*.xlsx)");
inline const QString SaveReportFilter = QStringLiteral("Отчёт CSV (*.csv)");
} // namespace SurveyTexts

namespace AbonentTexts {
inline const QString Caption = QStringLiteral(" Параметры абонента");
// %1: the character, %2: the field's name.
inline const QString NoCp1251Form =
    QStringLiteral("Символ «%1» в поле «%2» не может быть сохранён в файле абонентов.\rЗамените его.");
// %1: the address as typed.
inline const QString BadNetworkAddress = QStringLiteral(
    "Неверный сетевой адрес «%1».\rУкажите узел и порт через двоеточие: имя:порт, IPv4:порт или [IPv6]:порт; "
    "порт от 1 до 65535.");
} // namespace AbonentTexts

namespace WaitTexts {
inline const QString Caption = QStringLiteral("...");
inline const QString Wait = QStringLiteral("Ожидайте...");
inline const QString StateReadingLine1 = QStringLiteral("Выполняется чтение");
inline const QString StateReadingLine2 = QStringLiteral("параметров состояния устройства");
inline const QString PairCreationLine1 = QStringLiteral("Выполняется операция");
inline const QString PairCreationLine2 = QStringLiteral("создания пары с периферийным устройством");
} // namespace WaitTexts

// The status bar's port and kind panels. %1: the port number, %2: the rate; %1: the
// subscriber's phone number.
namespace StatusTexts {
inline const QString PortAndRate = QStringLiteral(" COM%1,   %2 бит/с");
inline const QString DirectKind = QStringLiteral(" Непосредственная связь");
inline const QString PhoneKind = QStringLiteral(" Тел. %1");
// %1: "host:port"; %2: the rate.
inline const QString NetworkRawPort = QStringLiteral(" %1, TCP");
inline const QString NetworkControlledPort = QStringLiteral(" %1, RFC 2217, %2 бит/с");
inline const QString NetworkKind = QStringLiteral(" Связь по сети");
} // namespace StatusTexts

namespace AddressTexts {
inline const QString Line1 = QStringLiteral("Введите адрес");
inline const QString Line2 = QStringLiteral("для создания пары");
// %1: the address typed, which no device can have (all zeros, all ones).
inline const QString NoDeviceAddress =
    QStringLiteral("Адрес %1 не может быть адресом периферийного устройства.\rВведите адрес устройства");
} // namespace AddressTexts

} // namespace tavrin
