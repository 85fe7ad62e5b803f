#pragma once
#include <QJsonValue>
#include <QStringList>
#include <QVariant>

// Every property of a headset object as q71ctl shows it: its name on the bus, in the JSON output,
// in `show`, as a column of `list` and as a setting of `set`. The one table all of them read, so
// that a property added to the interface is added here once.
namespace HeadsetFields {

// How a value reads to a person; the JSON type follows from it too.
enum Kind {
    Text, // a string; "-" when empty
    Count, // an unsigned number
    OnOff, // a switch
    YesNo, // a state
    Percent, // a percentage, negative when unknown
};

struct cField
{
    const char *property; // on the bus
    const char *json;
    const char *label; // in `show`
    const char *column; // the heading in `list`; nullptr when not listed
    const char *setting; // the name `set` takes; nullptr when read-only
    Kind kind;
};

const QList<cField> &all();
// nullptr when none has that name.
const cField *byProperty(const QString &property);
const cField *bySetting(const QString &setting);
// The names `set` accepts, in table order.
QStringList settings();

QString text(const cField &field, const QVariant &value);
// Null when the service did not give the property.
QJsonValue json(const cField &field, const QVariant &value);

} // namespace HeadsetFields
