#include "ReportMeaning.h"

#include "HeadsetReport.h"

#include <QStringList>

using namespace HeadsetReport;

namespace {

quint8 byteAt(const QByteArray &report, int index)
{
    return static_cast<quint8>(report.at(index));
}

QString unknown(const QByteArray &report, const char *direction)
{
    const int size = int(report.size());
    return QStringLiteral("not an %1 report of the headset (%2 %3)")
        .arg(QLatin1String(direction))
        .arg(size)
        .arg(size == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
}

QString volumeReport(const QByteArray &report)
{
    const quint8 keys = byteAt(report, 2);
    const quint8 both = VolumeUpBit | VolumeDownBit;
    QString text = (keys & both) == both ? QStringLiteral("volume up and down")
        : (keys & VolumeUpBit)           ? QStringLiteral("volume up")
        : (keys & VolumeDownBit)         ? QStringLiteral("volume down")
                                         : QStringLiteral("volume keys up");
    if (byteAt(report, 1) != 0)
        text += QStringLiteral(", setup request");
    return text;
}

QString statusAnswer(quint8 status)
{
    return QStringLiteral("status: Dolby %1, light %2, notification %3")
        .arg((status & DolbyBit) ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(int(micLightOf(status)))
        .arg(int(micNotificationOf(status)));
}

QString keyAnswer(const QByteArray &report)
{
    QStringList down;
    for (int key = 1; key <= KeyCount; ++key) {
        if (byteAt(report, 1 + key) == keyCode(key))
            down << QString::number(key);
    }
    if (down.isEmpty())
        return QStringLiteral("keys: none down");
    return QStringLiteral("keys: %1 down").arg(down.join(QStringLiteral(", ")));
}

} // namespace

QString ReportMeaning::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray ReportMeaning::fromHex(const QString &text)
{
    return QByteArray::fromHex(text.toLatin1());
}

QString ReportMeaning::output(const QByteArray &report)
{
    if (report.size() != ReportLength || byteAt(report, 0) != OutputReportId)
        return unknown(report, "output");
    const quint8 command = byteAt(report, 1);
    const quint8 value = byteAt(report, 2);
    for (const cOutputMeaning &meaning : OutputMeanings) {
        if (meaning.command == command && (meaning.value == AnyValue || meaning.value == value))
            return QLatin1String(meaning.name);
    }
    return unknown(report, "output");
}

QString ReportMeaning::input(const QByteArray &report)
{
    if (report.size() != ReportLength)
        return unknown(report, "input");
    switch (byteAt(report, 0)) {
    case VolumeReportId:
        return volumeReport(report);
    case AnswerReportId:
        break;
    default:
        return unknown(report, "input");
    }
    switch (byteAt(report, 1)) {
    case StatusSubId:
        return statusAnswer(byteAt(report, 2));
    case KeySubId:
        return keyAnswer(report);
    default:
        return QStringLiteral("answer, sub-id %1").arg(hex(report.mid(1, 1)));
    }
}
