#include "survey/surveyrow.h"

#include "link/modem.h"
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

QList<SurveySubscriber> DirectorySubscribers(const AbonentDirectory &directory, int *skipped)
{
    AbonentDirectory byName = directory;
    SortAbonents(byName, ByName);
    QList<SurveySubscriber> subscribers;
    int empty = 0;
    for (int index = 0; index < byName.count && index < kMaxAbonents; ++index) {
        const AbonentRecord &entry = byName.entries[size_t(index)];
        if (entry.name.trimmed().isEmpty() && entry.phoneNumber.trimmed().isEmpty() &&
            entry.networkAddress.trimmed().isEmpty()) {
            ++empty;
            continue;
        }
        subscribers.append({int(subscribers.size()) + 1, entry.name, entry.phoneNumber, entry.networkAddress,
                            entry.networkProtocol});
    }
    if (skipped)
        *skipped = empty;
    return subscribers;
}

namespace {

bool ChooseByNumbers(const QList<SurveySubscriber> &all, const QString &numbers, std::set<int> &wanted,
                     QString *error)
{
    static const QRegularExpression item(QStringLiteral("^\\s*(\\d{1,3})\\s*(?:-\\s*(\\d{1,3})\\s*)?$"));
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
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
    return true;
}

bool ChooseByPhones(const QList<SurveySubscriber> &all, const QString &phones, std::set<int> &wanted,
                    QString *error)
{
    for (const QString &part : phones.split(QLatin1Char(','))) {
        const QString phone = StripPhoneNumber(part.trimmed());
        bool found = false;
        for (const SurveySubscriber &subscriber : all) {
            if (!phone.isEmpty() && StripPhoneNumber(subscriber.phone.trimmed()) == phone) {
                wanted.insert(subscriber.number);
                found = true;
            }
        }
        if (!found) {
            if (error)
                *error = phone.isEmpty() ? surveytext::BadPhoneList(phones) : surveytext::NoSuchPhone(part.trimmed());
            return false;
        }
    }
    return true;
}

} // namespace

bool ChooseSubscribers(const QList<SurveySubscriber> &all, const QString &numbers, const QString &phones,
                       QList<SurveySubscriber> &chosen, QString *error)
{
    std::set<int> wanted;
    if (!numbers.isEmpty() && !ChooseByNumbers(all, numbers, wanted, error))
        return false;
    if (!phones.isEmpty() && !ChooseByPhones(all, phones, wanted, error))
        return false;
    chosen.clear();
    // Number order, each subscriber once, whatever order the lists name them in.
    for (int number : wanted)
        chosen.append(all[number - 1]);
    return true;
}

} // namespace tavrin
