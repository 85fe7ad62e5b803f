#pragma once
#include "CtlExit.h"
#include "HeadsetFields.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QList>
#include <QVariantMap>

#include <optional>

// The headset service as q71ctl's one-shot commands ask it: each question one call (or one round
// of calls sent together), each failure turned into the exit code and line a user gets.
class cHeadsetBus
{
public:
    static QString serviceName();
    static QString managerPath();
    static QString headsetPath(uint number);
    // The number at the end of a headset's object path; 0 when it has none.
    static uint numberOf(const QString &path);

    explicit cHeadsetBus(const QDBusConnection &connection);

    // Each false when it failed, with failure() saying why. The first call of a command starts the
    // service where the bus may start it.
    bool headsetPaths(QStringList *paths);
    // Every property of every headset, in the order the service lists them.
    bool headsets(QList<QVariantMap> *headsets);
    bool headset(uint number, QVariantMap *properties);
    bool set(uint number, const HeadsetFields::cField &setting, uint value);

    CtlExit::cFailure failure() const { return m_failure; }

private:
    // `headset`: the number of the headset the call was about, if it was about one.
    bool fail(const QDBusError &error, std::optional<uint> headset = std::nullopt);

    QDBusConnection m_connection;
    CtlExit::cFailure m_failure;
};
