#include "link/exchangechannel.h"
#include "link/modem.h"

// The fixed texts of the exchange and dialling results, indexed by their codes.
namespace tavrin {

const std::array<QString, 8> &ExchangeResultTexts()
{
    static const std::array<QString, 8> texts = {
        QStringLiteral(u"Команда выполнена"),
        QStringLiteral(u"Сбой при выполнении операции записи"),
        QStringLiteral(u"Сбой при выполнении операции чтения"),
        QStringLiteral(u"Устройство не отвечает"),
        QStringLiteral(u"Ответ получен не полностью (превышено время между байтами)"),
        QStringLiteral(u"Обмен прерван по Esc"),
        QStringLiteral(u"Связь через модем прервана"),
        QStringLiteral(u"Буфер приема переполнен. Не принят признак конца ответа."),
    };
    return texts;
}

const std::array<QString, 12> &DialResultTexts()
{
    static const std::array<QString, 12> texts = {
        QStringLiteral(u"Соединение установлено"),
        QStringLiteral(u"Отсутствует сигнал АТС"),
        QStringLiteral(u"Номер абонента занят"),
        QStringLiteral(u"Потеря несущей"),
        QStringLiteral(u"Нет гудка в линии"),
        QStringLiteral(u"Абонент не отвечает"),
        QStringLiteral(u"Лимит времени, отведенного на соединение, исчерпан"),
        QStringLiteral(u"Модем отсутствует или не подключен"),
        QStringLiteral(u"Соединение не установлено"),
        QStringLiteral(u"Истекло время ожидания ответа от модема"),
        QStringLiteral(u"Попытка соединения прервана по требованию пользователя"),
        QStringLiteral(u"Нет готовности GSM"),
    };
    return texts;
}

} // namespace tavrin
