#pragma once
#include <QByteArray>
#include <QString>

// What the headset's HID reports mean, in the words a timeline reader wants: "key 2 setup",
// "status: Dolby on, light 2, notification 1". Only the report is read; what a device does with
// it is for the trace to show.
namespace ReportMeaning {

// Upper-case hex pairs separated by single spaces: "02 10 11 00 00".
QString hex(const QByteArray &bytes);
// The bytes hex() spelled.
QByteArray fromHex(const QString &text);

// A report the host writes to the headset.
QString output(const QByteArray &report);
// A report the headset sends to the host.
QString input(const QByteArray &report);

} // namespace ReportMeaning
