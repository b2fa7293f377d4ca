#include "survey/surveytexts.h"

#include "link/modem.h"

#include <QDir>

namespace tavrin::surveytext {

const QString Read = QStringLiteral("Прочитано");
const QString Stopped = QStringLiteral("Опрос остановлен пользователем");
const QString NoPhoneNumber = QStringLiteral("Не задан номер телефона");

QString CarrierLost()
{
    return DialResultTexts()[DialNoCarrier];
}

QString BadNetworkAddress(const QString &address)
{
    return QStringLiteral("Неверный сетевой адрес «%1»").arg(address);
}

QString PortUnavailable(int portNumber)
{
    return QStringLiteral("Коммуникационный порт СОМ%1 недоступен").arg(portNumber);
}

QString ModemMayBeOnline(int portNumber)
{
    return QStringLiteral("Модем на порту СОМ%1 не ответил на ATH и, возможно, остался на линии").arg(portNumber);
}

QString ReadModemMayBeOnline(int portNumber)
{
    return Read + QStringLiteral(". ") + ModemMayBeOnline(portNumber);
}

bool SaysRead(const QString &result)
{
    return result == Read || result.startsWith(Read + QStringLiteral(". "));
}

const QStringList &ReportHeader()
{
    static const QStringList header = {
        QStringLiteral("№"),
        QStringLiteral("Наименование"),
        QStringLiteral("№ телефона"),
        QStringLiteral("Результат"),
        QStringLiteral("Соединение"),
        QStringLiteral("Пара"),
        QStringLiteral("МАС-адрес периферийного устройства"),
        QStringLiteral("МАС-адрес центрального устройства"),
        QStringLiteral("Версия модуля"),
        QStringLiteral("Режим"),
        QStringLiteral("Дата и время"),
        QStringLiteral("Длительность, с"),
        QStringLiteral("Сетевой адрес"),
    };
    return header;
}

const QString WindowTimeCaption = QStringLiteral("Время");

const QString SurveySheet = QStringLiteral("Опрос");
const QString TotalsSheet = QStringLiteral("Итоги");
const QString RoundStart = QStringLiteral("Начало опроса");
const QString RoundEnd = QStringLiteral("Окончание опроса");
const QString PortsUsed = QStringLiteral("Порты");
const QString PreviousSurvey = QStringLiteral("Предыдущий опрос");
const QString NoPreviousSurvey = QStringLiteral("нет");
const QString SitesCaption = QStringLiteral("Объектов");
const QString Total = QStringLiteral("Всего");
const QString ChangesCaption = QStringLiteral("Изменения с предыдущего опроса");
const QString NoChanges = QStringLiteral("Изменений нет");
const QString ChangedColumn = QStringLiteral("Столбец");
const QString ValueBefore = QStringLiteral("Было");
const QString ValueNow = QStringLiteral("Стало");
const QString EmptyValue = QStringLiteral("(пусто)");

QString ChangedFrom(const QString &oldValue, const QString &reportName)
{
    return QStringLiteral("Было: %1 (%2)").arg(oldValue.isEmpty() ? EmptyValue : oldValue, reportName);
}

QString WorkbookNotMade(const QString &reason)
{
    return QStringLiteral("не удалось составить таблицу: %1").arg(reason);
}

QString FolderNotCreated(const QString &folder)
{
    return QStringLiteral("не удалось создать папку %1").arg(QDir::toNativeSeparators(folder));
}

QString ReportNotWritten(const QString &path, const QString &reason)
{
    return QStringLiteral("Не удалось записать отчёт об опросе в файл %1: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString ReportNotRead(const QString &path, const QString &reason)
{
    return QStringLiteral("Не удалось прочитать отчёт об опросе %1: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

const QString NotARegularFile = QStringLiteral("это не обычный файл");

QString ReportTooLarge(qint64 bytes)
{
    return QStringLiteral("размер файла %1 байт больше 10 МБ").arg(bytes);
}

QString ReportLineBroken(int lineNumber)
{
    return QStringLiteral("строка %1 не является строкой отчёта").arg(lineNumber);
}

QString BadSubscriberList(const QString &numbers)
{
    return QStringLiteral("Неверный список номеров абонентов: \"%1\"").arg(numbers);
}

QString BadPhoneList(const QString &phones)
{
    return QStringLiteral("Неверный список номеров телефонов: \"%1\"").arg(phones);
}

QString NoSuchPhone(const QString &phone)
{
    return QStringLiteral("Абонента с номером телефона %1 нет в справочнике").arg(phone);
}

QString NoSuchSubscriber(int number)
{
    return QStringLiteral("Абонента с номером %1 нет в справочнике").arg(number);
}

} // namespace tavrin::surveytext
