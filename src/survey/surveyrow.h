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
};

// What a survey found at one site: the report's row.
struct SurveyRow {
    SurveySubscriber subscriber;
    bool read = false; // the module was read; state holds its values
    QString result;    // "Прочитано", or why not
    DeviceState state; // the state view's display forms; empty unless read
    QDateTime started; // when the site's call began; invalid for a site never reached
    double durationSeconds = 0;
};

// The row of a site that a stop of the round left unreached.
SurveyRow UnreachedRow(const SurveySubscriber &subscriber);

// The subscribers of a directory, numbered from 1 in the directory's order.
QList<SurveySubscriber> DirectorySubscribers(const AbonentDirectory &directory);

// Picks from all by directory numbers ("1,4-7"). False, with the reason in *error, for
// a list that does not parse or names a number not in the directory.
bool ChooseSubscribers(const QList<SurveySubscriber> &all, const QString &numbers,
                       QList<SurveySubscriber> &chosen, QString *error);

} // namespace tavrin
