#pragma once
#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The kinds of event a run's trace holds, each with its name and its fields. The name is what the
// JSON Lines carry as "ev" and what the timeline writes where it names a kind. The fields are the
// ones that say what happened, most telling first: the order in which a scenario's expectation
// gives their values. Left out are the device number, which any kind may carry, and details no
// expectation looks at (a write's cookie, an error's line, an info's deviceInfo). Names and fields
// are a public interface, so they are kept stable and new ones are only added. Each kind stands on
// one line with its name and fields, so that the three cannot drift apart.
#define Q71_TRACE_KINDS(X)                                                                                   \
    X(Plug, "plug", "transport uid")                                                                         \
    X(Unplug, "unplug", "transport uid")                                                                     \
    X(CreateDevice, "createDevice", "transport result")                                                      \
    X(AddTransport, "addTransport", "transport result")                                                      \
    X(RemoveTransport, "removeTransport", "transport")                                                       \
    X(Validate, "validate", "result")                                                                        \
    X(DeviceRemoved, "deviceRemoved", "")                                                                    \
    X(Start, "start", "")                                                                                    \
    X(Stop, "stop", "")                                                                                      \
    X(Transport, "transport", "transport op")                                                                \
    X(Audio, "audio", "op uid")                                                                              \
    X(HidWrite, "hid.write", "report")                                                                       \
    X(HidComplete, "hid.complete", "cookie")                                                                 \
    X(HidInput, "hid.input", "report")                                                                       \
    X(Volume, "volume", "op")                                                                                \
    X(Dolby, "dolby", "enable")                                                                              \
    X(Model, "model", "call")                                                                                \
    X(Event, "event", "name args")                                                                           \
    X(MicSet, "mic.set", "setting value result")                                                             \
    X(Mic, "mic", "caps light notify muted")                                                                 \
    X(Info, "info", "id")                                                                                    \
    X(Exit, "exit", "name")                                                                                  \
    X(Log, "log", "level message")                                                                           \
    X(Error, "error", "command message")                                                                     \
    X(Service, "service", "name available")                                                                  \
    X(Latency, "latency", "ms")                                                                              \
    X(Completions, "completions", "mode")                                                                    \
    X(Locale, "locale", "name")                                                                              \
    X(Replay, "replay", "file reports")                                                                      \
    X(Expect, "expect", "")                                                                                  \
    X(ServiceRequire, "service.require", "service version ok")                                               \
    X(ServiceCall, "service.call", "service method")                                                         \
    X(ServicePost, "service.post", "source name")                                                            \
    X(ServiceSubscribe, "service.subscribe", "source prefix receiver ok")                                    \
    X(ServiceUnsubscribe, "service.unsubscribe", "source receiver ok")                                       \
    X(Summary, "summary", "")

namespace TraceKind {

#define Q71_TRACE_KIND_ENUMERATOR(kind, text, fields) kind,
enum TraceKind_t { Q71_TRACE_KINDS(Q71_TRACE_KIND_ENUMERATOR) };
#undef Q71_TRACE_KIND_ENUMERATOR

inline QLatin1String name(TraceKind_t kind)
{
#define Q71_TRACE_KIND_TEXT(kind, text, fields) text,
    static const char *const names[] = {Q71_TRACE_KINDS(Q71_TRACE_KIND_TEXT)};
#undef Q71_TRACE_KIND_TEXT
    return QLatin1String(names[kind]);
}

// The kind's fields, as described above; empty for a kind that has none worth comparing.
inline QStringList fields(TraceKind_t kind)
{
#define Q71_TRACE_KIND_FIELDS(kind, text, fields) fields,
    static const char *const lists[] = {Q71_TRACE_KINDS(Q71_TRACE_KIND_FIELDS)};
#undef Q71_TRACE_KIND_FIELDS
    return QString::fromLatin1(lists[kind]).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// What a "log" event's level says of a Qt message: "debug", "info", "warning", "critical" or
// "fatal".
inline QString logLevel(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("debug");
    case QtInfoMsg:
        return QStringLiteral("info");
    case QtWarningMsg:
        return QStringLiteral("warning");
    case QtCriticalMsg:
        return QStringLiteral("critical");
    case QtFatalMsg:
        break;
    }
    return QStringLiteral("fatal");
}

} // namespace TraceKind
