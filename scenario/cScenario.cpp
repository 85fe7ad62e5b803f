#include "cScenario.h"

namespace {

const struct
{
    cSimHidTransport::CompletionMode mode;
    const char *name;
} g_completionModes[] = {
    {cSimHidTransport::CompleteOnce, "on"},
    {cSimHidTransport::CompleteNever, "off"},
    {cSimHidTransport::CompleteTwice, "twice"},
};

} // namespace

QString cScenarioCommand::keywordOf(Kind kind)
{
    switch (kind) {
    case Plug:
        return QStringLiteral("plug");
    case Unplug:
        return QStringLiteral("unplug");
    case Start:
        return QStringLiteral("start");
    case Stop:
        return QStringLiteral("stop");
    case Input:
        return QStringLiteral("input");
    case Wait:
        return QStringLiteral("wait");
    case MicLight:
    case MicNotify:
    case MicRead:
        return QStringLiteral("mic");
    case Info:
        return QStringLiteral("info");
    case Exit:
        return QStringLiteral("exit");
    case Locale:
        return QStringLiteral("locale");
    case Latency:
        return QStringLiteral("latency");
    case Completions:
        return QStringLiteral("completions");
    case Expect:
        return QStringLiteral("expect");
    case Service:
        break;
    }
    return QStringLiteral("service");
}

QString cScenarioCommand::completionsName(cSimHidTransport::CompletionMode mode)
{
    for (const auto &entry : g_completionModes) {
        if (entry.mode == mode)
            return QLatin1String(entry.name);
    }
    return QString();
}

bool cScenarioCommand::completionsFromName(const QString &name, cSimHidTransport::CompletionMode *mode)
{
    for (const auto &entry : g_completionModes) {
        if (name == QLatin1String(entry.name)) {
            *mode = entry.mode;
            return true;
        }
    }
    return false;
}
