#include "ReportMeaning.h"

#include "Counted.h"

#include <QStringList>

namespace {

constexpr int g_reportLength = 5;

quint8 byteAt(const QByteArray &report, int index)
{
    return static_cast<quint8>(report.at(index));
}

QString unknown(const QByteArray &report, const char *direction)
{
    return QStringLiteral("not an %1 report of the headset (%2)")
        .arg(QLatin1String(direction), counted(report.size(), "byte", "bytes"));
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
    if (report.size() != g_reportLength || byteAt(report, 0) != 0x02)
        return unknown(report, "output");
    const quint8 command = byteAt(report, 1);
    const quint8 value = byteAt(report, 2);
    switch (command) {
    case 0x08:
        return QStringLiteral("setup start");
    case 0x10:
        return value == 0x11 ? QStringLiteral("key 1 setup") : unknown(report, "output");
    case 0x20:
        return value == 0x22 ? QStringLiteral("key 2 setup") : unknown(report, "output");
    case 0x40:
        return value == 0x33 ? QStringLiteral("key 3 setup") : unknown(report, "output");
    case 0x01:
        return QStringLiteral("status request");
    case 0x02:
        // The third light setting is bit 2, not the value 3.
        if (value == 0x01 || value == 0x02)
            return QStringLiteral("mic light %1").arg(value);
        if (value == 0x04)
            return QStringLiteral("mic light 3");
        break;
    case 0x04:
        if (value == 0x01 || value == 0x02)
            return QStringLiteral("mic notification %1").arg(value);
        break;
    case 0x80:
        return QStringLiteral("exit");
    case 0x70:
        return QStringLiteral("keys release");
    default:
        break;
    }
    return unknown(report, "output");
}

QString ReportMeaning::input(const QByteArray &report)
{
    if (report.size() != g_reportLength)
        return unknown(report, "input");
    const quint8 id = byteAt(report, 0);
    if (id == 0x01) {
        const quint8 keys = byteAt(report, 2);
        QString text;
        if ((keys & 0x03) == 0x03)
            text = QStringLiteral("volume up and down");
        else if (keys & 0x01)
            text = QStringLiteral("volume up");
        else if (keys & 0x02)
            text = QStringLiteral("volume down");
        else
            text = QStringLiteral("volume keys up");
        if (byteAt(report, 1) != 0)
            text += QStringLiteral(", setup request");
        return text;
    }
    if (id != 0x02)
        return unknown(report, "input");

    const quint8 subId = byteAt(report, 1);
    if (subId == 0x01) {
        const quint8 status = byteAt(report, 2);
        const int light = (status & 0x02) ? 2 : (status & 0x04) ? 3 : 1;
        return QStringLiteral("status: Dolby %1, light %2, notification %3")
            .arg((status & 0x01) ? QStringLiteral("on") : QStringLiteral("off"))
            .arg(light)
            .arg((status & 0x08) ? 2 : 1);
    }
    if (subId == 0x10) {
        static const quint8 codes[] = {0x11, 0x22, 0x33};
        QStringList down;
        for (int key = 0; key < 3; ++key) {
            if (byteAt(report, 2 + key) == codes[key])
                down << QString::number(key + 1);
        }
        if (down.isEmpty())
            return QStringLiteral("keys: none down");
        return QStringLiteral("keys: %1 down").arg(down.join(QStringLiteral(", ")));
    }
    return QStringLiteral("answer, sub-id %1").arg(hex(report.mid(1, 1)));
}
