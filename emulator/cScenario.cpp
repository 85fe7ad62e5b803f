#include "cScenario.h"

QString cScenarioCommand::keyword() const
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
    case Service:
        break;
    }
    return QStringLiteral("service");
}
