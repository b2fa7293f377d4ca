#pragma once

#include "protocol/moduleoperationhost.h" // DeviceState
#include "settings/settings.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace tavrin {

// One subscriber chosen for a survey.
struct SurveySubscriber {
    int number = 0; // its directory number, from 1, as the subscriber list shows it
    QString name;
    QString phone;
    // Where its module's serial line is served over the network ("host:port", as the
    // directory holds it); empty for a site reached through a modem.
    QString networkAddress{};
    NetworkProtocol networkProtocol = RawTcp;

    bool overNetwork() const { return !networkAddress.trimmed().isEmpty(); }
};

// What a survey found at one site: the report's row.
struct SurveyRow {
    SurveySubscriber subscriber;
    bool read = false; // the module was read; state holds its values
    QString result;    // "Прочитано", or why not; and whether the modem may be online
    int leftOnlinePort = 0; // the port whose modem never answered ATH; 0 when hung up
    DeviceState state; // the state view's display forms; empty unless read
    QDateTime started; // when the site's call began; invalid for a site never reached
    double durationSeconds = 0;
};

// The row of a site that a stop of the round left unreached.
SurveyRow UnreachedRow(const SurveySubscriber &subscriber);

// The sites of a directory, numbered from 1 in the order of their names, whatever order
// the directory is in or was left in by a click on a sort button: the numbers a
// scheduled job names stay the same. An entry with neither name, phone number nor network
// address is no site; *skipped counts them.
QList<SurveySubscriber> DirectorySubscribers(const AbonentDirectory &directory, int *skipped = nullptr);

// Picks from all by their numbers ("1,4-7") and by phone numbers ("101,(812) 555-01",
// compared without blanks, hyphens and parentheses); either list may be empty, and
// the choice is their union in number order. False, with the reason in *error, for a
// list that does not parse or names a number or phone not in the directory.
bool ChooseSubscribers(const QList<SurveySubscriber> &all, const QString &numbers, const QString &phones,
                       QList<SurveySubscriber> &chosen, QString *error);

} // namespace tavrin

// A row travels in queued signals from the engines' threads to a window.
Q_DECLARE_METATYPE(tavrin::SurveyRow)
