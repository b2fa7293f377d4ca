#include "link/linktexts.h"

#include "link/exchangechannel.h"
#include "link/modem.h"

#include <iterator>

namespace tavrin {

namespace {

template <typename Code>
struct CodeText {
    Code code;
    const char16_t *text;
};

// True when row k holds the text of code k, so that a table indexed by code can
// never hand out a neighbour's text.
template <typename Code, size_t N>
constexpr bool keyedInCodeOrder(const CodeText<Code> (&rows)[N])
{
    for (size_t row = 0; row < N; ++row) {
        if (size_t(rows[row].code) != row)
            return false;
    }
    return true;
}

template <typename Code, size_t N>
std::array<QString, N> textsByCode(const CodeText<Code> (&rows)[N])
{
    std::array<QString, N> texts;
    for (size_t row = 0; row < N; ++row)
        texts[row] = QString::fromUtf16(rows[row].text);
    return texts;
}

constexpr CodeText<ExchangeResult> kExchangeResultTexts[] = {
    {ExchangeOk, u"Команда выполнена"},
    {WriteFailed, u"Сбой при выполнении операции записи"},
    {ReadFailed, u"Сбой при выполнении операции чтения"},
    {NoAnswer, u"Устройство не отвечает"},
    {IncompleteReply, u"Ответ получен не полностью (превышено время между байтами)"},
    {Aborted, u"Обмен прерван по Esc"},
    {CarrierLost, u"Связь через модем прервана"},
    {ReceiveOverflow, u"Буфер приема переполнен. Не принят признак конца ответа."},
};
static_assert(std::size(kExchangeResultTexts) == ExchangeResultCount, "one text for every ExchangeResult");
static_assert(keyedInCodeOrder(kExchangeResultTexts), "ExchangeResult texts out of code order");

constexpr CodeText<DialResult> kDialResultTexts[] = {
    {DialOk, u"Соединение установлено"},
    {DialNoDialTone, u"Отсутствует сигнал АТС"},
    {DialBusy, u"Номер абонента занят"},
    {DialNoCarrier, u"Потеря несущей"},
    {DialError, u"Нет гудка в линии"},
    {DialNoAnswer, u"Абонент не отвечает"},
    {DialTimeLimit, u"Лимит времени, отведенного на соединение, исчерпан"},
    {DialNoModem, u"Модем отсутствует или не подключен"},
    {DialNotConnected, u"Соединение не установлено"},
    {DialReplyTimeout, u"Истекло время ожидания ответа от модема"},
    {DialAborted, u"Попытка соединения прервана по требованию пользователя"},
    {DialGsmNotReady, u"Нет готовности GSM"},
};
static_assert(std::size(kDialResultTexts) == DialResultCount, "one text for every DialResult");
static_assert(keyedInCodeOrder(kDialResultTexts), "DialResult texts out of code order");

} // namespace

const std::array<QString, ExchangeResultCount> &ExchangeResultTexts()
{
    static const std::array<QString, ExchangeResultCount> texts = textsByCode(kExchangeResultTexts);
    return texts;
}

const std::array<QString, DialResultCount> &DialResultTexts()
{
    static const std::array<QString, DialResultCount> texts = textsByCode(kDialResultTexts);
    return texts;
}

namespace linktext {

QString ExchangeActivity()
{
    return QStringLiteral("Обмен...");
}

QString RestoreQuestion()
{
    return QStringLiteral("Связь через модем прервана.\rВосстановить сейчас?");
}

QString ModemCommandSent(const QString &command)
{
    return QStringLiteral(" Установление связи по телефону. Команда %1.").arg(command);
}

QString ModemCommandAnswered(const QString &command, const QString &reply)
{
    return QStringLiteral(" Установление связи по телефону. Команда %1.  Ответ %2").arg(command, reply);
}

QString GsmCheckSent()
{
    return QStringLiteral(" Проверка готовности GSM. Команда AT+CPAS");
}

QString GsmCheckAnswered(const QString &reply)
{
    return QStringLiteral(" Проверка готовности GSM. Команда AT+CPAS. Ответ %1").arg(reply);
}

QString NoSuchPort()
{
    return QStringLiteral("Нет устройства с таким номером");
}

QString LineNotKept()
{
    return QStringLiteral("Драйвер не принял параметры линии");
}

QString NetworkHostNotFound(const QString &address)
{
    return QStringLiteral("Связь по сети с %1 не установлена:\rузел не найден").arg(address);
}

QString NetworkRefused(const QString &address)
{
    return QStringLiteral("Связь по сети с %1 не установлена:\rсоединение отклонено").arg(address);
}

QString NetworkTimeLimit(const QString &address, int seconds)
{
    return QStringLiteral("Связь по сети с %1 не установлена:\rнет ответа за %2 с").arg(address).arg(seconds);
}

QString NetworkClosedByPeer(const QString &address)
{
    return QStringLiteral("Связь по сети с %1 не установлена:\rсоединение закрыто удалённой стороной").arg(address);
}

QString NetworkNoPortControl(const QString &address)
{
    return QStringLiteral("Связь по сети с %1 не установлена:\rсервер не поддерживает RFC 2217 (управление COM-портом)")
        .arg(address);
}

QString NetworkCancelled(const QString &address)
{
    return QStringLiteral("Связь по сети с %1 не установлена:\rпрервано по Esc").arg(address);
}

QString NetworkFailed(const QString &address, const QString &reason)
{
    return QStringLiteral("Связь по сети с %1 не установлена:\r%2").arg(address, reason);
}

QString NetworkLost(const QString &address)
{
    return QStringLiteral("Связь по сети с %1 прервана").arg(address);
}

QString NetworkModuleMissing(const QString &address, const QString &folder)
{
    return NetworkFailed(address, QStringLiteral("не загружен сетевой модуль программы из папки %1").arg(folder));
}

QString NetworkRestoreQuestion(const QString &lossText)
{
    return lossText + QStringLiteral(".\rВосстановить сейчас?");
}

} // namespace linktext

} // namespace tavrin
