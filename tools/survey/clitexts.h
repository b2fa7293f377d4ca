#pragma once

#include <QString>

// The messages of tavrin-survey, in one place. Russian, as every text of the program;
// --help adds English below the Russian.
namespace tavrin::clitext {

inline const QString Usage = QStringLiteral(
    "Использование: tavrin-survey [параметры]\n"
    "\n"
    "Опрос объектов: звонит по очереди каждому выбранному абоненту справочника через\n"
    "GSM-модем, читает состояние модуля (PING, PEERADDR, DEVADDR, VER), кладёт трубку и\n"
    "записывает строку отчёта. Абонента с сетевым адресом читает по сети (TCP или\n"
    "RFC 2217, как задано в справочнике), каждого по своему соединению, по нескольку\n"
    "одновременно. Модуль ничем не изменяется.\n"
    "\n"
    "Параметры:\n"
    "  --ini ПАПКА            папка с bluetooth.ini и abonents.ini (по умолчанию та же,\n"
    "                         что у tavrin)\n"
    "  --subscribers СПИСОК   номера абонентов, например 1,4-7: места в справочнике,\n"
    "                         упорядоченном по наименованию (по умолчанию все)\n"
    "  --phones СПИСОК        номера телефонов абонентов, например 101,102: выбор,\n"
    "                         который не меняется при добавлении абонентов\n"
    "  --report ФАЙЛ          отчёт: ФАЙЛ.csv и таблица ФАЙЛ.xlsx (ФАЙЛ.csv или ФАЙЛ.xlsx\n"
    "                         дают ту же пару); по умолчанию новые файлы в папке\n"
    "                         reports рядом с папкой INI\n"
    "  --resume ФАЙЛ          продолжить опрос по отчёту CSV: абоненты, уже прочитанные\n"
    "                         в нём, пропускаются, строки опроса дописываются в него\n"
    "  --ports СПИСОК         порты модемов, например COM3,COM4: абоненты делятся между\n"
    "                         модемами (по умолчанию порт связи по телефону)\n"
    "  --parallel N           сколько абонентов с сетевым адресом читать одновременно,\n"
    "                         от 1 до 32 (по умолчанию 8)\n"
    "  --help                 эта справка\n"
    "  --version              версия программы\n"
    "\n"
    "Код завершения: 0 - прочитаны все объекты; 1 - прочитаны не все (или опрос\n"
    "прерван, или модем не ответил на ATH и, возможно, остался на линии); 2 - опрос\n"
    "не начат (неверные параметры, нет порта, настройки не прочитаны).\n"
    "SIGINT и SIGTERM завершают текущий звонок, закрывают сетевые соединения,\n"
    "записывают прочитанное и завершают опрос.\n"
    "\n"
    "Survey of the sites: dials every chosen subscriber of the directory through the GSM\n"
    "modem (or connects to its network address, up to --parallel sites at once), reads\n"
    "the module's state, hangs up and writes one report row per site\n"
    "(CSV, UTF-8, \";\", and the same as an .xlsx spreadsheet beside it). Options as\n"
    "above. Exit status: 0 every site read, 1 some site not read, the round\n"
    "interrupted or a modem that may still hold its call, 2 the survey could not start.\n");

inline QString Version(const QString &version)
{
    return QStringLiteral("tavrin-survey %1\n").arg(version);
}

inline QString UnknownOption(const QString &option)
{
    return QStringLiteral("Неизвестный параметр %1").arg(option);
}
inline QString MissingValue(const QString &option)
{
    return QStringLiteral("Для параметра %1 не задано значение").arg(option);
}
inline QString BadPortList(const QString &ports)
{
    return QStringLiteral("Неверный список портов: \"%1\"").arg(ports);
}
inline QString BadParallel(const QString &value, int most)
{
    return QStringLiteral("Неверное число одновременных сетевых соединений: \"%1\" (допустимо от 1 до %2)")
        .arg(value)
        .arg(most);
}
inline QString NoIniFolder(const QString &folder)
{
    return QStringLiteral("Папка настроек %1 не найдена").arg(folder);
}
inline const QString NoSubscribers = QStringLiteral("В справочнике абонентов нет ни одного абонента");
inline const QString TryHelp = QStringLiteral("Справка: tavrin-survey --help");

inline QString Progress(int done, int total, int read, const QString &left)
{
    return QStringLiteral("Опрос: %1 из %2, прочитано %3, осталось %4").arg(done).arg(total).arg(read).arg(left);
}
inline QString Finished(int read, int total, const QString &report)
{
    return QStringLiteral("Опрос завершён: прочитано %1 из %2. Отчёт: %3").arg(read).arg(total).arg(report);
}
inline QString Summary(int read, int total, const QString &report)
{
    return QStringLiteral("Прочитано %1 из %2. Отчёт: %3").arg(read).arg(total).arg(report);
}
inline QString SummaryUnwritten(int read, int total)
{
    return QStringLiteral("Прочитано %1 из %2. Отчёт не записан").arg(read).arg(total);
}
inline QString Skipped(int count)
{
    return QStringLiteral("Пропущено записей справочника без наименования и номера телефона: %1").arg(count);
}
inline QString Interrupted(const QString &report)
{
    return QStringLiteral("Опрос прерван. Прочитанное записано в отчёт %1").arg(report);
}
// Above the report's lines that could not be written, as CSV.
inline const QString RowsNotWritten = QStringLiteral("Строки опроса, не записанные в отчёт:");
inline const QString InterruptedUnwritten = QStringLiteral("Опрос прерван.");
inline QString NothingLeft(const QString &report)
{
    return QStringLiteral("Все выбранные абоненты уже прочитаны в отчёте %1").arg(report);
}

} // namespace tavrin::clitext
