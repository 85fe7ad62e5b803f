#include "TimelineRows.h"

#include "Counted.h"
#include "ReportMeaning.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

namespace TimelineRows {

namespace {

QString str(const cTraceEvent &event, const char *key)
{
    return event.value(QLatin1String(key)).toString();
}

int num(const cTraceEvent &event, const char *key)
{
    return event.value(QLatin1String(key)).toInt();
}

bool flag(const cTraceEvent &event, const char *key)
{
    return event.value(QLatin1String(key)).toBool();
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

QString otherFields(const cTraceEvent &event)
{
    QStringList parts;
    for (const cTraceEvent::Field &field : event.fields())
        parts << field.first + QLatin1Char('=') + QString::fromUtf8(cTraceEvent::jsonText(field.second));
    return parts.join(QLatin1Char(' '));
}

QString argumentList(const QJsonValue &args)
{
    QStringList names;
    for (const QJsonValue &arg : args.toArray())
        names << arg.toString();
    return names.join(QStringLiteral(", "));
}

QString between(const QString &from, const QString &to)
{
    return from + QStringLiteral(" \u2192 ") + to;
}

cRow plugRow(const cTraceEvent &event)
{
    return {
        between(QStringLiteral("bus"), QStringLiteral("host")), QString(),
        QStringLiteral("%1 transport %2 %3")
            .arg(str(event, "transport"), str(event, "uid"),
                 event.kind() == TraceKind::Plug ? QStringLiteral("appears") : QStringLiteral("disappears"))};
}

cRow createDeviceRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("host"), QStringLiteral("provider")), QString(),
            QStringLiteral("createDevice(%1) \u2192 %2")
                .arg(str(event, "transport"),
                     flag(event, "result") ? device(event) : QStringLiteral("no device"))};
}

cRow addTransportRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("host"), device(event)), QString(),
            QStringLiteral("addTransport(%1) \u2192 %2")
                .arg(str(event, "transport"), boolText(flag(event, "result")))};
}

cRow removeTransportRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("host"), device(event)), QString(),
            QStringLiteral("removeTransport(%1)").arg(str(event, "transport"))};
}

cRow validateRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("host"), device(event)), QString(),
            QStringLiteral("validate() \u2192 %1").arg(validation(num(event, "result")))};
}

cRow deviceRemovedRow(const cTraceEvent &event)
{
    return {QStringLiteral("host"), QString(),
            QStringLiteral("drops %1: it holds no transport").arg(device(event))};
}

cRow startStopRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("host"), device(event)), QString(),
            TraceKind::name(event.kind()) + QStringLiteral("()")};
}

cRow transportRow(const cTraceEvent &event)
{
    return {between(device(event), str(event, "transport")), QString(),
            str(event, "op") + QStringLiteral("()")};
}

cRow audioRow(const cTraceEvent &event)
{
    const bool create = str(event, "op") == QLatin1String("create");
    return {between(device(event), QStringLiteral("audio mgr")), QString(),
            create ? QStringLiteral("createAudioDevice \u2192 %1").arg(str(event, "uid"))
                   : QStringLiteral("destroyAudioDevice(%1)").arg(str(event, "uid"))};
}

cRow hidWriteRow(const cTraceEvent &event)
{
    QString text = ReportMeaning::output(ReportMeaning::fromHex(str(event, "report")));
    // The headset's device writes with cookie -1; any other is worth a mention.
    if (num(event, "cookie") != -1)
        text += QStringLiteral(" (cookie %1)").arg(num(event, "cookie"));
    return {between(device(event), QStringLiteral("headset")), str(event, "report"), text};
}

cRow hidCompleteRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("hid"), device(event)), QString(),
            QStringLiteral("writeComplete(%1)").arg(num(event, "cookie"))};
}

cRow hidInputRow(const cTraceEvent &event)
{
    const QString meaning = ReportMeaning::input(ReportMeaning::fromHex(str(event, "report")));
    return {between(QStringLiteral("headset"), device(event)), str(event, "report"),
            flag(event, "dropped") ? QStringLiteral("dropped (transport not started): ") + meaning : meaning};
}

cRow volumeRow(const cTraceEvent &event)
{
    return {between(device(event), QStringLiteral("audio")), QString(),
            str(event, "op") + QStringLiteral("()")};
}

cRow dolbyRow(const cTraceEvent &event)
{
    return {between(device(event), QStringLiteral("audio")), QString(),
            QStringLiteral("enableDolby(%1)").arg(boolText(flag(event, "enable")))};
}

cRow modelRow(const cTraceEvent &event)
{
    return {between(device(event), QStringLiteral("audio")), QString(), str(event, "call")};
}

cRow profilerEventRow(const cTraceEvent &event)
{
    const QJsonArray args = event.value(QStringLiteral("args")).toArray();
    const QString name = str(event, "name");
    QString text = QStringLiteral("%1 on %2").arg(name, str(event, "source"));
    if (args.size() == 3 && (name == QLatin1String("GKeyPressed") || name == QLatin1String("GKeyReleased")))
        text = QStringLiteral("key %1 %2 (%3, %4)")
                   .arg(args.at(0).toInt())
                   .arg(name == QLatin1String("GKeyPressed") ? QStringLiteral("pressed")
                                                             : QStringLiteral("released"),
                        args.at(1).toString(), args.at(2).toString());
    return {between(device(event), QStringLiteral("profiler")), QString(), text};
}

cRow micSetRow(const cTraceEvent &event)
{
    const bool light = str(event, "setting") == QLatin1String("light");
    return {between(QStringLiteral("host"), device(event)) + QStringLiteral(" mic"), QString(),
            QStringLiteral("%1(%2) \u2192 %3")
                .arg(light ? QStringLiteral("setLightConfig") : QStringLiteral("setNotificationConfig"))
                .arg(num(event, "value"))
                .arg(boolText(flag(event, "result")))};
}

cRow micRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("host"), device(event)) + QStringLiteral(" mic"), QString(),
            QStringLiteral("caps %1, light %2, notification %3, %4")
                .arg(num(event, "caps"))
                .arg(num(event, "light"))
                .arg(num(event, "notify"))
                .arg(flag(event, "muted") ? QStringLiteral("muted") : QStringLiteral("not muted"))};
}

cRow infoRow(const cTraceEvent &event)
{
    const QJsonObject info = event.value(QStringLiteral("deviceInfo")).toObject();
    return {between(QStringLiteral("host"), device(event)), QString(),
            QStringLiteral("id \"%1\", model %2, name \"%3\", audio device name \"%4\"")
                .arg(str(event, "id"), info.value(QStringLiteral("model")).toString(),
                     info.value(QStringLiteral("name")).toString(),
                     info.value(QStringLiteral("audio_device_name")).toString())};
}

cRow exitRow(const cTraceEvent &event)
{
    return {between(QStringLiteral("host"), QStringLiteral("devices")), QString(),
            QStringLiteral("%1 on %2").arg(str(event, "name"), str(event, "source"))};
}

cRow logRow(const cTraceEvent &event)
{
    return {QStringLiteral("log"), QString(),
            str(event, "level") + QStringLiteral(": ") + str(event, "message")};
}

cRow errorRow(const cTraceEvent &event)
{
    return {QStringLiteral("emulator"), QString(),
            QStringLiteral("line %1: %2: %3")
                .arg(num(event, "line"))
                .arg(str(event, "command"), str(event, "message"))};
}

cRow serviceRow(const cTraceEvent &event)
{
    return {QStringLiteral("host"), QString(),
            QStringLiteral("service %1 %2")
                .arg(str(event, "name"),
                     flag(event, "available") ? QStringLiteral("up") : QStringLiteral("down"))};
}

cRow latencyRow(const cTraceEvent &event)
{
    return {QStringLiteral("hid"), QString(),
            QStringLiteral("completions come %1 ms after each write").arg(num(event, "ms"))};
}

cRow completionsRow(const cTraceEvent &event)
{
    return {QStringLiteral("hid"), QString(), QStringLiteral("completions %1").arg(str(event, "mode"))};
}

cRow localeRow(const cTraceEvent &event)
{
    return {QStringLiteral("host"), QString(), QStringLiteral("locale %1").arg(str(event, "name"))};
}

cRow replayRow(const cTraceEvent &event)
{
    return {QStringLiteral("emulator"), QString(),
            // `first` is a time of the capture's own clock: its first packet's, or a recording's start.
            QStringLiteral("replays %1 from %2, timed from %3 s on the capture's clock%4")
                .arg(counted(qint64(event.value(QStringLiteral("reports")).toDouble()), "input report",
                             "input reports"),
                     str(event, "file"), str(event, "first"),
                     num(event, "offset") == 0
                         ? QString()
                         : QStringLiteral(" shifted by %1 ms").arg(num(event, "offset")))};
}

cRow expectRow(const cTraceEvent &event)
{
    const QString verdict = flag(event, "result") ? QStringLiteral("held")
                                                  : QStringLiteral("FAILED, got %1").arg(str(event, "got"));
    return {QStringLiteral("scenario line %1").arg(num(event, "line")), QString(),
            QStringLiteral("expect %1: %2").arg(str(event, "expected"), verdict)};
}

cRow serviceCallRow(const cTraceEvent &event)
{
    return {QStringLiteral("services"), QString(),
            QStringLiteral("call %1 %2(%3) %4")
                .arg(str(event, "service"), str(event, "method"),
                     argumentList(event.value(QStringLiteral("args"))),
                     flag(event, "ok") ? QStringLiteral("ok") : QStringLiteral("failed"))};
}

cRow servicePostRow(const cTraceEvent &event)
{
    return {QStringLiteral("services"), QString(),
            QStringLiteral("post %1 on %2(%3) %4")
                .arg(str(event, "name"), str(event, "source"),
                     argumentList(event.value(QStringLiteral("args"))),
                     flag(event, "ok") ? QStringLiteral("handled") : QStringLiteral("not handled"))};
}

// The framework's other operations by the second part of their kind's name ("require", ...).
cRow serviceOperationRow(const cTraceEvent &event)
{
    const QString operation = QString(TraceKind::name(event.kind())).section(QLatin1Char('.'), 1);
    return {QStringLiteral("services"), QString(), operation + QLatin1Char(' ') + otherFields(event)};
}

const struct
{
    TraceKind::TraceKind_t kind;
    cRow (*row)(const cTraceEvent &event);
} g_rows[] = {
    {TraceKind::Plug, &plugRow},
    {TraceKind::Unplug, &plugRow},
    {TraceKind::CreateDevice, &createDeviceRow},
    {TraceKind::AddTransport, &addTransportRow},
    {TraceKind::RemoveTransport, &removeTransportRow},
    {TraceKind::Validate, &validateRow},
    {TraceKind::DeviceRemoved, &deviceRemovedRow},
    {TraceKind::Start, &startStopRow},
    {TraceKind::Stop, &startStopRow},
    {TraceKind::Transport, &transportRow},
    {TraceKind::Audio, &audioRow},
    {TraceKind::HidWrite, &hidWriteRow},
    {TraceKind::HidComplete, &hidCompleteRow},
    {TraceKind::HidInput, &hidInputRow},
    {TraceKind::Volume, &volumeRow},
    {TraceKind::Dolby, &dolbyRow},
    {TraceKind::Model, &modelRow},
    {TraceKind::Event, &profilerEventRow},
    {TraceKind::MicSet, &micSetRow},
    {TraceKind::Mic, &micRow},
    {TraceKind::Info, &infoRow},
    {TraceKind::Exit, &exitRow},
    {TraceKind::Log, &logRow},
    {TraceKind::Error, &errorRow},
    {TraceKind::Service, &serviceRow},
    {TraceKind::Latency, &latencyRow},
    {TraceKind::Completions, &completionsRow},
    {TraceKind::Locale, &localeRow},
    {TraceKind::Replay, &replayRow},
    {TraceKind::Expect, &expectRow},
    {TraceKind::ServiceRequire, &serviceOperationRow},
    {TraceKind::ServiceCall, &serviceCallRow},
    {TraceKind::ServicePost, &servicePostRow},
    {TraceKind::ServiceSubscribe, &serviceOperationRow},
    {TraceKind::ServiceUnsubscribe, &serviceOperationRow},
};

} // namespace

cRow row(const cTraceEvent &event)
{
    for (const auto &entry : g_rows) {
        if (entry.kind == event.kind())
            return entry.row(event);
    }
    // The summary, which has its own block, as any kind without a row of its own would be.
    return {QString(), QString(),
            QString(TraceKind::name(event.kind())) + QLatin1Char(' ') + otherFields(event)};
}

} // namespace TimelineRows
