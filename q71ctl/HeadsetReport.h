#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QVariantMap>

// What `list` and `show` print, for a person or as JSON; each headset a map of its properties as
// the service gave them.
namespace HeadsetReport {

// The version of q71ctl's JSON: the major changes only when a field changes or goes.
const char ApiVersion[] = "1.0";

// {"api_version": ...}, the start of every JSON object q71ctl writes.
QJsonObject envelope();
QJsonObject headsetObject(const QVariantMap &properties);

QByteArray listText(const QList<QVariantMap> &headsets);
QByteArray listJson(const QList<QVariantMap> &headsets);
QByteArray showText(const QVariantMap &properties);
QByteArray showJson(const QVariantMap &properties);

} // namespace HeadsetReport
