#pragma once
// What the framework offers the host application beyond what plugins use: registering services,
// watching every call and event, resolving plugin aliases and fixing the locale.
#include "NexaroGlobal.h"

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QVariant>

class QObject;

// Why a call or an event failed: the service, the method signature, the type mismatch. Off by
// default, so that the only line a user sees about a failed call is the caller's. Failed calls are
// warnings ("nexaro.services.warning=true"); events that a subscriber has no handler for, or that
// nobody handled, are debug lines ("nexaro.services.debug=true"). Written out rather than with
// Q_DECLARE_LOGGING_CATEGORY so that the export attribute sits on a plain declaration, whatever
// that macro expands to.
NEXARO_EXPORT const QLoggingCategory &lcNexaroServices();

namespace Nexaro {

// One non-empty generic argument as a caller passed it. `value` is a copy made through the meta-type
// system when the type name is registered there, and invalid otherwise.
struct cTracedArgument
{
    QByteArray typeName;
    QVariant value;
};

// One operation of the service manager, seen after it ran.
struct cServiceTrace
{
    enum Kind { Require, Call, Post, Subscribe, Unsubscribe };
    Kind kind = Call;
    QString name; // service (Require, Call) or event source (Post, Subscribe, Unsubscribe)
    QString member; // method (Call), event (Post), handler prefix (Subscribe), version (Require)
    QByteArray resultType; // Call with a result: its type name as passed; empty otherwise
    QList<cTracedArgument> arguments;
    QVariant result; // Call with a result that succeeded, when the type is registered
    QObject *receiver = nullptr; // Subscribe, Unsubscribe
    bool ok = false; // the outcome the caller saw
};

class NEXARO_EXPORT IServiceObserver
{
public:
    virtual void observe(const cServiceTrace &trace) = 0;

protected:
    ~IServiceObserver() = default;
};

// A service is reachable under its name from registration until it is unregistered or destroyed.
// Registering a name again replaces the earlier object.
NEXARO_EXPORT void registerService(const QString &name, QObject *service);
NEXARO_EXPORT void unregisterService(const QString &name);
NEXARO_EXPORT QObject *service(const QString &name);

// Observers see every operation of the manager, in the order they finish, on the calling thread.
NEXARO_EXPORT void addObserver(IServiceObserver *observer);
NEXARO_EXPORT void removeObserver(IServiceObserver *observer);

// Forgets every method the manager has looked up, so that the next call or event of each kind finds
// its method in the meta-object again. Results do not change: a lookup's answer never does. For
// measuring what a first call costs.
NEXARO_EXPORT void clearMethodCache();

// Brask::FileReadDom resolves "ALIAS:NAME" to NAME in `directory`.
NEXARO_EXPORT void registerAliasDirectory(const QString &alias, const QString &directory);
NEXARO_EXPORT void unregisterAliasDirectory(const QString &alias);

// Brask::currentLocale reports `locale` ("ja-JP") until cleared with an empty string.
NEXARO_EXPORT void setLocaleOverride(const QString &locale);

} // namespace Nexaro
