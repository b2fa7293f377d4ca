#include "survey/surveyrow.h"

#include "survey/surveytexts.h"

#include <QRegularExpression>

#include <set>

namespace tavrin {

SurveyRow UnreachedRow(const SurveySubscriber &subscriber)
{
    SurveyRow row;
    row.subscriber = subscriber;
    row.result = surveytext::Stopped;
    return row;
}

QList<SurveySubscriber> DirectorySubscribers(const AbonentDirectory &directory)
{
    QList<SurveySubscriber> subscribers;
    for (int index = 0; index < directory.users_num && index < kMaxAbonents; ++index) {
        const AbonentRecord &entry = directory.entries[size_t(index)];
        subscribers.append({index + 1, entry.user_name, entry.phone_code});
    }
    return subscribers;
}

bool ChooseSubscribers(const QList<SurveySubscriber> &all, const QString &numbers,
                       QList<SurveySubscriber> &chosen, QString *error)
{
    static const QRegularExpression item(QStringLiteral("^\\s*(\\d{1,3})\\s*(?:-\\s*(\\d{1,3})\\s*)?$"));
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    std::set<int> wanted;
    for (const QString &part : numbers.split(QLatin1Char(','))) {
        const QRegularExpressionMatch match = item.match(part);
        if (!match.hasMatch())
            return fail(surveytext::BadSubscriberList(numbers));
        const int first = match.captured(1).toInt();
        const int last = match.captured(2).isEmpty() ? first : match.captured(2).toInt();
        if (first < 1 || last < first)
            return fail(surveytext::BadSubscriberList(numbers));
        for (int number = first; number <= last; ++number) {
            if (number > all.size())
                return fail(surveytext::NoSuchSubscriber(number));
            wanted.insert(number);
        }
    }
    chosen.clear();
    // Directory order, each subscriber once, whatever order the list names them in.
    for (int number : wanted)
        chosen.append(all[number - 1]);
    return true;
}

} // namespace tavrin
