#pragma once
#include <QLatin1String>

// The kinds of event a run's trace holds, each with its name: what the JSON Lines carry as "ev" and
// what the timeline writes where it names a kind. The names are a public interface, so they are
// kept stable and new ones are only added. Each kind and its name stand on one line, so that the
// enumeration and the names cannot drift apart.
#define Q71_TRACE_KINDS(X)                                                                                   \
    X(Plug, "plug")                                                                                          \
    X(Unplug, "unplug")                                                                                      \
    X(CreateDevice, "createDevice")                                                                          \
    X(AddTransport, "addTransport")                                                                          \
    X(RemoveTransport, "removeTransport")                                                                    \
    X(Validate, "validate")                                                                                  \
    X(DeviceRemoved, "deviceRemoved")                                                                        \
    X(Start, "start")                                                                                        \
    X(Stop, "stop")                                                                                          \
    X(Transport, "transport")                                                                                \
    X(Audio, "audio")                                                                                        \
    X(HidWrite, "hid.write")                                                                                 \
    X(HidComplete, "hid.complete")                                                                           \
    X(HidInput, "hid.input")                                                                                 \
    X(Volume, "volume")                                                                                      \
    X(Dolby, "dolby")                                                                                        \
    X(Model, "model")                                                                                        \
    X(Event, "event")                                                                                        \
    X(MicSet, "mic.set")                                                                                     \
    X(Mic, "mic")                                                                                            \
    X(Info, "info")                                                                                          \
    X(Exit, "exit")                                                                                          \
    X(Log, "log")                                                                                            \
    X(Error, "error")                                                                                        \
    X(Service, "service")                                                                                    \
    X(Latency, "latency")                                                                                    \
    X(Completions, "completions")                                                                            \
    X(Locale, "locale")                                                                                      \
    X(Replay, "replay")                                                                                      \
    X(Expect, "expect")                                                                                      \
    X(ServiceRequire, "service.require")                                                                     \
    X(ServiceCall, "service.call")                                                                           \
    X(ServicePost, "service.post")                                                                           \
    X(ServiceSubscribe, "service.subscribe")                                                                 \
    X(ServiceUnsubscribe, "service.unsubscribe")                                                             \
    X(Summary, "summary")

namespace TraceKind {

#define Q71_TRACE_KIND_ENUMERATOR(kind, text) kind,
enum TraceKind_t { Q71_TRACE_KINDS(Q71_TRACE_KIND_ENUMERATOR) };
#undef Q71_TRACE_KIND_ENUMERATOR

inline QLatin1String name(TraceKind_t kind)
{
#define Q71_TRACE_KIND_TEXT(kind, text) text,
    static const char *const names[] = {Q71_TRACE_KINDS(Q71_TRACE_KIND_TEXT)};
#undef Q71_TRACE_KIND_TEXT
    return QLatin1String(names[kind]);
}

} // namespace TraceKind
