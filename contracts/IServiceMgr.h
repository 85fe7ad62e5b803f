#pragma once
#include "NexaroGlobal.h"

#include <QGenericArgument>
#include <QString>

class QObject;

// The process-wide service manager. Host services are QObjects registered under a name; callers
// reach their invokable methods by method name and the type names of their arguments, so that
// neither side links against the other.
//
// Calls and events run synchronously on the calling thread. Events are delivered to the
// subscribers of a source in the order in which they subscribed.
class NEXARO_EXPORT IServiceMgr
{
public:
    static IServiceMgr *instance();

    // Declares the caller's use of a service at a version; true when the service is registered.
    virtual bool requireService(const QString &serviceName, const QString &version) = 0;

    // Invokes `methodName` on the service. The method is found by the signature made of its name
    // and the type names of the non-empty arguments, as written and then in Qt's normalized form
    // ("const QString" reaches a QString parameter). True only once the method has run.
    virtual bool
    callService(const QString &serviceName, const QString &methodName,
                QGenericArgument arg0 = QGenericArgument(), QGenericArgument arg1 = QGenericArgument(),
                QGenericArgument arg2 = QGenericArgument(), QGenericArgument arg3 = QGenericArgument(),
                QGenericArgument arg4 = QGenericArgument(), QGenericArgument arg5 = QGenericArgument(),
                QGenericArgument arg6 = QGenericArgument(), QGenericArgument arg7 = QGenericArgument(),
                QGenericArgument arg8 = QGenericArgument(), QGenericArgument arg9 = QGenericArgument())
        = 0;

    // As above, storing the method's value through `result`, whose type name must be the
    // method's result type. On false `result` is left untouched.
    virtual bool
    callService(const QString &serviceName, const QString &methodName, QGenericReturnArgument result,
                QGenericArgument arg0 = QGenericArgument(), QGenericArgument arg1 = QGenericArgument(),
                QGenericArgument arg2 = QGenericArgument(), QGenericArgument arg3 = QGenericArgument(),
                QGenericArgument arg4 = QGenericArgument(), QGenericArgument arg5 = QGenericArgument(),
                QGenericArgument arg6 = QGenericArgument(), QGenericArgument arg7 = QGenericArgument(),
                QGenericArgument arg8 = QGenericArgument(), QGenericArgument arg9 = QGenericArgument())
        = 0;

    // After subscribing, an event E posted on `sourceName` calls the receiver's invokable method
    // named handlerPrefix + E whose parameters match the event's argument types; a receiver
    // without one is skipped. A destroyed receiver is dropped silently.
    virtual bool subscribeEvents(const QString &sourceName, QObject *receiver, const QString &handlerPrefix)
        = 0;
    virtual bool unsubscribeEvents(const QString &sourceName, QObject *receiver) = 0;

    // Delivers at once to every subscriber of the source; true when at least one handled it.
    virtual bool
    postEvent(const QString &sourceName, const QString &eventName, QGenericArgument arg0 = QGenericArgument(),
              QGenericArgument arg1 = QGenericArgument(), QGenericArgument arg2 = QGenericArgument(),
              QGenericArgument arg3 = QGenericArgument(), QGenericArgument arg4 = QGenericArgument(),
              QGenericArgument arg5 = QGenericArgument(), QGenericArgument arg6 = QGenericArgument(),
              QGenericArgument arg7 = QGenericArgument(), QGenericArgument arg8 = QGenericArgument(),
              QGenericArgument arg9 = QGenericArgument())
        = 0;

protected:
    // The manager lives as long as the process; nobody deletes it through this interface.
    ~IServiceMgr() = default;
};
