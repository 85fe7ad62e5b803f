#include "cTimelineSink.h"

#include "ReportMeaning.h"

#include <QFileDevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

const int g_timeWidth = 8;
const int g_partyWidth = 21;
const int g_bytesWidth = 15;

struct cRow
{
    QString party;
    QString bytes;
    QString text;
};

QString str(const cTraceEvent &event, const char *key)
{
    return event.value(QLatin1String(key)).toString();
}

int num(const cTraceEvent &event, const char *key)
{
    return event.value(QLatin1String(key)).toInt();
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString device(const cTraceEvent &event)
{
    return event.has(QStringLiteral("device")) ? QStringLiteral("device %1").arg(num(event, "device"))
                                               : QStringLiteral("device");
}

QString validation(int result)
{
    switch (result) {
    case 1:
        return QStringLiteral("1 invalid");
    case 2:
        return QStringLiteral("2 incomplete");
    case 4:
        return QStringLiteral("4 complete");
    default:
        break;
    }
    return QString::number(result);
}

QString jsonText(const QJsonValue &value)
{
    const QByteArray text = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}

QString otherFields(const cTraceEvent &event)
{
    QStringList parts;
    for (const cTraceEvent::Field &field : event.fields())
        parts << field.first + QLatin1Char('=') + jsonText(field.second);
    return parts.join(QLatin1Char(' '));
}

QString argumentList(const QJsonValue &args)
{
    QStringList names;
    for (const QJsonValue &arg : args.toArray())
        names << arg.toString();
    return names.join(QStringLiteral(", "));
}

cRow row(const cTraceEvent &event)
{
    const QString kind = event.kind();
    const QString arrow = QStringLiteral(" \u2192 ");
    if (kind == QLatin1String("plug") || kind == QLatin1String("unplug"))
        return {QStringLiteral("bus") + arrow + QStringLiteral("host"), QString(),
                QStringLiteral("%1 transport %2 %3")
                    .arg(str(event, "transport"), str(event, "uid"),
                         kind == QLatin1String("plug") ? QStringLiteral("appears")
                                                       : QStringLiteral("disappears"))};
    if (kind == QLatin1String("createDevice"))
        return {QStringLiteral("host") + arrow + QStringLiteral("provider"), QString(),
                QStringLiteral("createDevice(%1) \u2192 %2")
                    .arg(str(event, "transport"),
                         event.value(QStringLiteral("result")).toBool() ? device(event)
                                                                        : QStringLiteral("no device"))};
    if (kind == QLatin1String("addTransport"))
        return {QStringLiteral("host") + arrow + device(event), QString(),
                QStringLiteral("addTransport(%1) \u2192 %2")
                    .arg(str(event, "transport"), boolText(event.value(QStringLiteral("result")).toBool()))};
    if (kind == QLatin1String("removeTransport"))
        return {QStringLiteral("host") + arrow + device(event), QString(),
                QStringLiteral("removeTransport(%1)").arg(str(event, "transport"))};
    if (kind == QLatin1String("validate"))
        return {QStringLiteral("host") + arrow + device(event), QString(),
                QStringLiteral("validate() \u2192 %1").arg(validation(num(event, "result")))};
    if (kind == QLatin1String("deviceRemoved"))
        return {QStringLiteral("host"), QString(),
                QStringLiteral("drops %1: it holds no transport").arg(device(event))};
    if (kind == QLatin1String("start") || kind == QLatin1String("stop"))
        return {QStringLiteral("host") + arrow + device(event), QString(), kind + QStringLiteral("()")};
    if (kind == QLatin1String("transport"))
        return {device(event) + arrow + str(event, "transport"), QString(),
                str(event, "op") + QStringLiteral("()")};
    if (kind == QLatin1String("audio")) {
        const bool create = str(event, "op") == QLatin1String("create");
        return {device(event) + arrow + QStringLiteral("audio mgr"), QString(),
                create ? QStringLiteral("createAudioDevice \u2192 %1").arg(str(event, "uid"))
                       : QStringLiteral("destroyAudioDevice(%1)").arg(str(event, "uid"))};
    }
    if (kind == QLatin1String("hid.write")) {
        const QByteArray report = QByteArray::fromHex(str(event, "report").toLatin1());
        QString text = ReportMeaning::output(report);
        if (num(event, "cookie") != -1)
            text += QStringLiteral(" (cookie %1)").arg(num(event, "cookie"));
        return {device(event) + arrow + QStringLiteral("headset"), str(event, "report"), text};
    }
    if (kind == QLatin1String("hid.complete"))
        return {QStringLiteral("hid") + arrow + device(event), QString(),
                QStringLiteral("writeComplete(%1)").arg(num(event, "cookie"))};
    if (kind == QLatin1String("hid.input")) {
        const QByteArray report = QByteArray::fromHex(str(event, "report").toLatin1());
        return {QStringLiteral("headset") + arrow + device(event), str(event, "report"),
                ReportMeaning::input(report)};
    }
    if (kind == QLatin1String("volume"))
        return {device(event) + arrow + QStringLiteral("audio"), QString(),
                str(event, "op") + QStringLiteral("()")};
    if (kind == QLatin1String("dolby"))
        return {
            device(event) + arrow + QStringLiteral("audio"), QString(),
            QStringLiteral("enableDolby(%1)").arg(boolText(event.value(QStringLiteral("enable")).toBool()))};
    if (kind == QLatin1String("model"))
        return {device(event) + arrow + QStringLiteral("audio"), QString(), str(event, "call")};
    if (kind == QLatin1String("event")) {
        const QJsonArray args = event.value(QStringLiteral("args")).toArray();
        const QString name = str(event, "name");
        QString text = QStringLiteral("%1 on %2").arg(name, str(event, "source"));
        if (args.size() == 3
            && (name == QLatin1String("GKeyPressed") || name == QLatin1String("GKeyReleased")))
            text = QStringLiteral("key %1 %2 (%3, %4)")
                       .arg(args.at(0).toInt())
                       .arg(name == QLatin1String("GKeyPressed") ? QStringLiteral("pressed")
                                                                 : QStringLiteral("released"),
                            args.at(1).toString(), args.at(2).toString());
        return {QStringLiteral("device") + arrow + QStringLiteral("profiler"), QString(), text};
    }
    if (kind == QLatin1String("mic.set")) {
        const bool light = str(event, "setting") == QLatin1String("light");
        return {QStringLiteral("host") + arrow + device(event) + QStringLiteral(" mic"), QString(),
                QStringLiteral("%1(%2) \u2192 %3")
                    .arg(light ? QStringLiteral("setLightConfig") : QStringLiteral("setNotificationConfig"))
                    .arg(num(event, "value"))
                    .arg(boolText(event.value(QStringLiteral("result")).toBool()))};
    }
    if (kind == QLatin1String("mic"))
        return {QStringLiteral("host") + arrow + device(event) + QStringLiteral(" mic"), QString(),
                QStringLiteral("caps %1, light %2, notification %3, %4")
                    .arg(num(event, "caps"))
                    .arg(num(event, "light"))
                    .arg(num(event, "notify"))
                    .arg(event.value(QStringLiteral("muted")).toBool() ? QStringLiteral("muted")
                                                                       : QStringLiteral("not muted"))};
    if (kind == QLatin1String("info")) {
        const QJsonObject info = event.value(QStringLiteral("deviceInfo")).toObject();
        return {QStringLiteral("host") + arrow + device(event), QString(),
                QStringLiteral("id \"%1\", model %2, name \"%3\", audio device name \"%4\"")
                    .arg(str(event, "id"), info.value(QStringLiteral("model")).toString(),
                         info.value(QStringLiteral("name")).toString(),
                         info.value(QStringLiteral("audio_device_name")).toString())};
    }
    if (kind == QLatin1String("exit"))
        return {QStringLiteral("host") + arrow + QStringLiteral("devices"), QString(),
                QStringLiteral("%1 on %2").arg(str(event, "name"), str(event, "source"))};
    if (kind == QLatin1String("log"))
        return {QStringLiteral("log"), QString(),
                str(event, "level") + QStringLiteral(": ") + str(event, "message")};
    if (kind == QLatin1String("error"))
        return {QStringLiteral("emulator"), QString(),
                QStringLiteral("line %1: %2: %3")
                    .arg(num(event, "line"))
                    .arg(str(event, "command"), str(event, "message"))};
    if (kind == QLatin1String("service"))
        return {QStringLiteral("host"), QString(),
                QStringLiteral("service %1 %2")
                    .arg(str(event, "name"),
                         event.value(QStringLiteral("available")).toBool() ? QStringLiteral("up")
                                                                           : QStringLiteral("down"))};
    if (kind == QLatin1String("latency"))
        return {QStringLiteral("hid"), QString(),
                QStringLiteral("completions come %1 ms after each write").arg(num(event, "ms"))};
    if (kind == QLatin1String("completions"))
        return {QStringLiteral("hid"), QString(), QStringLiteral("completions %1").arg(str(event, "mode"))};
    if (kind == QLatin1String("locale"))
        return {QStringLiteral("host"), QString(), QStringLiteral("locale %1").arg(str(event, "name"))};
    if (kind == QLatin1String("replay"))
        return {QStringLiteral("emulator"), QString(),
                QStringLiteral("replays %1 input reports from %2")
                    .arg(num(event, "reports"))
                    .arg(str(event, "file"))};
    if (kind == QLatin1String("service.call"))
        return {QStringLiteral("services"), QString(),
                QStringLiteral("call %1 %2(%3) %4")
                    .arg(str(event, "service"), str(event, "method"),
                         argumentList(event.value(QStringLiteral("args"))),
                         event.value(QStringLiteral("ok")).toBool() ? QStringLiteral("ok")
                                                                    : QStringLiteral("failed"))};
    if (kind == QLatin1String("service.post"))
        return {QStringLiteral("services"), QString(),
                QStringLiteral("post %1 on %2(%3) %4")
                    .arg(str(event, "name"), str(event, "source"),
                         argumentList(event.value(QStringLiteral("args"))),
                         event.value(QStringLiteral("ok")).toBool() ? QStringLiteral("handled")
                                                                    : QStringLiteral("not handled"))};
    if (kind.startsWith(QLatin1String("service.")))
        return {QStringLiteral("services"), QString(), kind.mid(8) + QLatin1Char(' ') + otherFields(event)};
    return {QString(), QString(), kind + QLatin1Char(' ') + otherFields(event)};
}

} // namespace

cTimelineSink::cTimelineSink(QIODevice *out, const QString &title, bool quiet)
    : m_out(out)
    , m_title(title)
    , m_quiet(quiet)
{ }

QString cTimelineSink::line(const cTraceEvent &event)
{
    const cRow cells = row(event);
    QString text = QStringLiteral("%1 ms  ").arg(event.msecs(), g_timeWidth - 3);
    text += cells.party.leftJustified(g_partyWidth) + QLatin1Char(' ');
    text += cells.bytes.leftJustified(g_bytesWidth) + QLatin1Char(' ');
    text += cells.text;
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString cTimelineSink::summaryText(const cTraceEvent &summary)
{
    const auto count = [&summary](const char *label, const char *key) {
        return QStringLiteral("  %1 %2\n")
            .arg(QLatin1String(label), -20)
            .arg(summary.value(QLatin1String(key)).toInt(), 6);
    };
    QString text = QStringLiteral("Summary: %1 ms on the %2 clock\n")
                       .arg(summary.msecs())
                       .arg(summary.value(QStringLiteral("clock")).toString());
    text += count("reports written", "written");
    text += count("reports read", "read");
    text += count("write completions", "completions");
    text += count("events posted", "posted");
    text += count("failures logged", "failures");
    text += count("warnings logged", "warnings");
    text += count("scenario errors", "errors");
    return text;
}

void cTimelineSink::write(const cTraceEvent &event)
{
    if (m_quiet)
        return;
    writeHeader();
    writeText(line(event) + QLatin1Char('\n'));
}

void cTimelineSink::finish(const cTraceEvent &summary)
{
    if (!m_quiet) {
        writeHeader();
        writeText(QStringLiteral("\n"));
    }
    writeText(summaryText(summary));
}

void cTimelineSink::writeHeader()
{
    if (m_headerWritten)
        return;
    m_headerWritten = true;
    QString header = m_title + QLatin1Char('\n');
    header += QStringLiteral("%1  %2 %3 %4\n")
                  .arg(QStringLiteral("time"), g_timeWidth)
                  .arg(QStringLiteral("who"), -g_partyWidth)
                  .arg(QStringLiteral("report"), -g_bytesWidth)
                  .arg(QStringLiteral("meaning"));
    writeText(header);
}

void cTimelineSink::writeText(const QString &text)
{
    m_out->write(text.toUtf8());
    if (auto *file = qobject_cast<QFileDevice *>(m_out))
        file->flush();
}
