#pragma once
#include <QLatin1String>

#include <iterator>

// The kinds of event a run's trace holds. Each kind's name is what the JSON Lines carry as "ev"
// and what the timeline writes where it names a kind; the names are a public interface, so they
// are kept stable and new ones are only added.
namespace TraceKind {

enum TraceKind_t {
    Plug,
    Unplug,
    CreateDevice,
    AddTransport,
    RemoveTransport,
    Validate,
    DeviceRemoved,
    Start,
    Stop,
    Transport,
    Audio,
    HidWrite,
    HidComplete,
    HidInput,
    Volume,
    Dolby,
    Model,
    Event,
    MicSet,
    Mic,
    Info,
    Exit,
    Log,
    Error,
    Service,
    Latency,
    Completions,
    Locale,
    Replay,
    ServiceRequire,
    ServiceCall,
    ServicePost,
    ServiceSubscribe,
    ServiceUnsubscribe,
    Summary,
};

// In the order of the enumeration.
constexpr const char *g_names[] = {
    "plug",
    "unplug",
    "createDevice",
    "addTransport",
    "removeTransport",
    "validate",
    "deviceRemoved",
    "start",
    "stop",
    "transport",
    "audio",
    "hid.write",
    "hid.complete",
    "hid.input",
    "volume",
    "dolby",
    "model",
    "event",
    "mic.set",
    "mic",
    "info",
    "exit",
    "log",
    "error",
    "service",
    "latency",
    "completions",
    "locale",
    "replay",
    "service.require",
    "service.call",
    "service.post",
    "service.subscribe",
    "service.unsubscribe",
    "summary",
};
static_assert(std::size(g_names) == Summary + 1, "every kind has exactly one name");

inline QLatin1String name(TraceKind_t kind)
{
    return QLatin1String(g_names[kind]);
}

} // namespace TraceKind
