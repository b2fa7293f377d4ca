#pragma once

#include <QString>

// The main window's fixed texts, in one place.
namespace tavrin::apptext {

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;

inline QString Caption()
{
    return QStringLiteral("Программа обслуживания Bluetooth-устройства tavrin_V%1_%2.exe")
        .arg(kVersionMajor, 2, 10, QLatin1Char('0'))
        .arg(kVersionMinor, 2, 10, QLatin1Char('0'));
}

// What `tavrin --version` and `tavrin --help` print, before any window is made.
inline QString VersionText()
{
    return QStringLiteral("tavrin %1.%2\n"
                          "Программа обслуживания Bluetooth-устройства\n")
        .arg(kVersionMajor)
        .arg(kVersionMinor);
}
inline const QString HelpText = QStringLiteral(
    "Использование: tavrin [--help | --version]\n"
    "\n"
    "Обслуживание Bluetooth-модуля: чтение состояния, команды модуля, создание\n"
    "и разрыв пары, по кабелю или через GSM-модем. Программа открывает окно\n"
    "и диалог \"Параметры связи\"; другие аргументы она не читает.\n"
    "\n"
    "  --help      показать эту справку и выйти\n"
    "  --version   показать версию и выйти\n"
    "\n"
    "Настройки: папка INI рядом с программой или ~/.config/tavrin/INI.\n"
    "Подробнее: man tavrin.\n"
    "\n"
    "Usage: tavrin [--help | --version]\n"
    "\n"
    "Service tool for a Bluetooth serial module: reads its state, sends its\n"
    "commands, creates and breaks its pair, by cable or through a GSM modem.\n"
    "The program opens its window and the connect dialog; it reads no other\n"
    "arguments. The user interface is in Russian. See man tavrin.\n");

// The main menu.
inline const QString ConnectionParametersItem = QStringLiteral("Параметры связи");
inline const QString SettingsMenu = QStringLiteral("Настройки");
inline const QString StateItem = QStringLiteral("Сoстояние"); // kept on purpose: the second letter is a Latin o
inline const QString CommandModeItem = QStringLiteral("Командный режим");
inline const QString CreatePairItem = QStringLiteral("Создание пары");
inline const QString BreakPairItem = QStringLiteral("Разрыв пары");
inline const QString ExitItem = QStringLiteral("Выход");

// Both views.
inline const QString Exit = QStringLiteral("Выход");

// The command view.
inline const QString CommandViewCaption = QStringLiteral(" Передать команду Bluetuth-устройству "); // "Bluetuth" kept on purpose
inline const QString CommandHint = QStringLiteral("?");
inline const QString CommandMode = QStringLiteral(" Командный режим");

// The state view. "МАС" is written with Cyrillic letters, and two blanks follow
// "периферийного", as the users know them.
inline const QString StateViewCaption = QStringLiteral(" Состояние ");
inline const QString ModeCaption = QStringLiteral("Режим");
inline const QString ConnectionCaption = QStringLiteral("Соединение");
inline const QString PairCaption = QStringLiteral("Пара");
inline const QString MacAddressCaption = QStringLiteral("МАС-адрес");
inline const QString PeripheralCaption = QStringLiteral("периферийного  устройства");
inline const QString CentralCaption = QStringLiteral("центрального устройства");
inline const QString VersionCaption = QStringLiteral("Версия модуля");
inline const QString BreakPair = QStringLiteral("Разрыв пары");
inline const QString CreatePair = QStringLiteral("Создание пары");
inline const QString Refresh = QStringLiteral("Обновить");

// The exchange log.
inline const QString LogCaption = QStringLiteral("  Результат обмена ");
inline const QString ClearLog = QStringLiteral("Очистить список");

// The call panel.
inline const QString CallDurationCaption = QStringLiteral("Продолжительность связи по телефону");
inline const QString Disconnect = QStringLiteral("Отключить связь");
inline const QString CallStarted = QStringLiteral("00:00:00");

// The exchange log's context menu and the saving of the trace. %1: the file's path.
inline const QString LogCopy = QStringLiteral("Копировать");
inline const QString LogSelectAll = QStringLiteral("Выделить всё");
inline const QString LogSave = QStringLiteral("Сохранить в файл...");
inline const QString SaveLogCaption = QStringLiteral("Сохранить протокол обмена");
inline const QString LogFileFilter = QStringLiteral("Протокол обмена (*.log);;Все файлы (*)");
// %2: the system's reason.
inline const QString LogNotSaved = QStringLiteral("Не удалось сохранить протокол обмена в файл %1: %2");
inline const QString LogFind = QStringLiteral("Найти...");
inline const QString LogHexView = QStringLiteral("Шестнадцатеричный вид");
inline const QString LogTimes = QStringLiteral("Время");

// The find bar under the exchange log.
inline const QString FindLabel = QStringLiteral("Найти:");
inline const QString FindNext = QStringLiteral("Следующее");
inline const QString FindPrevious = QStringLiteral("Предыдущее");
inline const QString FindClose = QStringLiteral("Закрыть (Esc)");
inline const QString FindNotFound = QStringLiteral("Не найдено");
inline const QString FindWrappedToStart = QStringLiteral("Продолжено с начала");
inline const QString FindWrappedToEnd = QStringLiteral("Продолжено с конца");

// Status bar before a connection kind is first shown.
inline const QString InitialPortPanel = QStringLiteral("СОМ1 230540 бит/с"); // kept on purpose: Cyrillic "СОМ", rate as the users know it
inline const QString InitialKindPanel = QStringLiteral("Непосредственная связь");

} // namespace tavrin::apptext
