#pragma once

#include <QString>

// The main window's fixed texts, in one place. "СОМ" in the initial port panel is
// written with Cyrillic letters; the status bar's own " COM%d" is Latin.
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

inline const QString CommandMode = QStringLiteral(" Командный режим");
inline const QString CallStarted = QStringLiteral("00:00:00");

// The exchange log's context menu and the saving of the trace. %1: the file's path.
inline const QString LogCopy = QStringLiteral("Копировать");
inline const QString LogSelectAll = QStringLiteral("Выделить всё");
inline const QString LogSave = QStringLiteral("Сохранить в файл...");
inline const QString SaveLogCaption = QStringLiteral("Сохранить протокол обмена");
inline const QString LogFileFilter = QStringLiteral("Протокол обмена (*.log);;Все файлы (*)");
inline const QString LogNotSaved = QStringLiteral("Не удалось сохранить протокол обмена в файл %1");
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
inline const QString InitialPortPanel = QStringLiteral("СОМ1 230540 бит/с");
inline const QString InitialKindPanel = QStringLiteral("Непосредственная связь");

} // namespace tavrin::apptext
