#include "cServiceMgr.h"

#include "cJsonValue.h"

#include <QMetaClassInfo>
#include <QMetaMethod>
#include <QMetaType>
#include <QMutexLocker>

#include <utility>

// Off by default: a failed call is the caller's to report, in its own words.
Q_LOGGING_CATEGORY(lcNexaroServices, "nexaro.services", QtCriticalMsg)

using Nexaro::cServiceTrace;
using Nexaro::cTracedArgument;

IServiceMgr *IServiceMgr::instance()
{
    return cServiceMgr::manager();
}

cServiceMgr *cServiceMgr::manager()
{
    // Never destroyed: objects torn down late at exit, after this library's statics, may still
    // unsubscribe or call.
    static cServiceMgr *const manager = new cServiceMgr;
    return manager;
}

cServiceMgr::cServiceMgr()
{
    // Our own value type crosses by name in device information and manifest results; registering
    // it lets results of that type be checked by meta-type and traced.
    qRegisterMetaType<cJsonValue>("cJsonValue");
}

void cServiceMgr::registerService(const QString &name, QObject *service)
{
    QMutexLocker lock(&m_mutex);
    if (service)
        m_services.insert(name, service);
    else
        m_services.remove(name);
}

QObject *cServiceMgr::service(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return m_services.value(name).data();
}

bool cServiceMgr::requireService(const QString &serviceName, const QString &version)
{
    QObject *target = service(serviceName);
    bool ok = false;
    if (!target) {
        qCWarning(lcNexaroServices, "requireService: no service \"%s\"", qUtf8Printable(serviceName));
    } else {
        const QMetaObject *metaObject = target->metaObject();
        const int index = metaObject->indexOfClassInfo("version");
        const char *declared = index >= 0 ? metaObject->classInfo(index).value() : "";
        ok = version == QString::fromUtf8(declared);
        if (!ok)
            qCWarning(lcNexaroServices, "requireService: service \"%s\" is at version \"%s\", not \"%s\"",
                      qUtf8Printable(serviceName), declared, qUtf8Printable(version));
    }
    if (isObserved()) {
        cServiceTrace trace;
        trace.kind = cServiceTrace::Require;
        trace.name = serviceName;
        trace.member = version;
        trace.ok = ok;
        notify(trace);
    }
    return ok;
}

bool cServiceMgr::callService(const QString &serviceName, const QString &methodName, QGenericArgument arg0,
                              QGenericArgument arg1, QGenericArgument arg2, QGenericArgument arg3,
                              QGenericArgument arg4, QGenericArgument arg5, QGenericArgument arg6,
                              QGenericArgument arg7, QGenericArgument arg8, QGenericArgument arg9)
{
    const QGenericArgument given[] = {arg0, arg1, arg2, arg3, arg4, arg5, arg6, arg7, arg8, arg9};
    return call(serviceName, methodName, QGenericReturnArgument(), cArgumentList(given));
}

bool cServiceMgr::callService(const QString &serviceName, const QString &methodName,
                              QGenericReturnArgument result, QGenericArgument arg0, QGenericArgument arg1,
                              QGenericArgument arg2, QGenericArgument arg3, QGenericArgument arg4,
                              QGenericArgument arg5, QGenericArgument arg6, QGenericArgument arg7,
                              QGenericArgument arg8, QGenericArgument arg9)
{
    const QGenericArgument given[] = {arg0, arg1, arg2, arg3, arg4, arg5, arg6, arg7, arg8, arg9};
    return call(serviceName, methodName, result, cArgumentList(given));
}

bool cServiceMgr::call(const QString &serviceName, const QString &methodName,
                       const QGenericReturnArgument &result, const cArgumentList &arguments)
{
    const char *resultType = result.name();
    QObject *target = nullptr;
    cMethodKey key;
    cMethodEntry entry;
    bool cached = false;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_services.constFind(serviceName);
        if (it != m_services.constEnd())
            target = it->data();
        if (target) {
            key = cMethodKey(cMethodKey::Call, target->metaObject(), methodName, QString(), resultType,
                             arguments);
            cached = m_cache.find(key, &entry);
        }
    }

    bool ok = false;
    if (!target) {
        qCWarning(lcNexaroServices, "callService: no service \"%s\" for %s", qUtf8Printable(serviceName),
                  cMethodKey(cMethodKey::Call, nullptr, methodName, QString(), resultType, arguments)
                      .signature()
                      .constData());
    } else if (!arguments.isComplete() || (resultType && !result.data())) {
        qCWarning(lcNexaroServices, "callService: %s on service \"%s\" has a type name without a value",
                  key.signature().constData(), qUtf8Printable(serviceName));
    } else {
        if (!cached)
            entry = resolveAndCache(key);
        switch (entry.outcome) {
        case cMethodEntry::Found:
            ok = invoke(target, entry.index, result.data(), arguments);
            break;
        case cMethodEntry::NoMethod:
            qCWarning(lcNexaroServices, "callService: service \"%s\" (%s) has no method %s",
                      qUtf8Printable(serviceName), key.metaObject->className(), key.signature().constData());
            break;
        case cMethodEntry::ResultMismatch:
            qCWarning(lcNexaroServices, "callService: %s of service \"%s\" returns %s, not %s",
                      key.signature().constData(), qUtf8Printable(serviceName),
                      key.metaObject->method(entry.index).typeName(), resultType);
            break;
        }
    }

    if (isObserved()) {
        cServiceTrace trace;
        trace.kind = cServiceTrace::Call;
        trace.name = serviceName;
        trace.member = methodName;
        trace.resultType = QByteArray(resultType);
        trace.arguments = traceArguments(arguments);
        if (ok && resultType)
            trace.result = traceValue(resultType, result.data());
        trace.ok = ok;
        notify(trace);
    }
    return ok;
}

cMethodEntry cServiceMgr::resolveAndCache(const cMethodKey &key)
{
    // Resolved outside the lock: it only reads the meta-object, and two threads racing on the same
    // key find the same answer.
    const cMethodEntry entry = cMethodCache::resolve(key);
    QMutexLocker lock(&m_mutex);
    m_cache.insert(key, entry);
    return entry;
}

bool cServiceMgr::invoke(QObject *target, int methodIndex, void *result, const cArgumentList &arguments)
{
    void *argv[cArgumentList::MaxArguments + 1];
    argv[0] = result;
    for (int i = 0; i < arguments.count(); ++i)
        argv[i + 1] = arguments.data(i);
    // Straight into the class's qt_metacall, as Qt 4's invokeMethod ended up doing for a direct
    // call. QMetaMethod::invoke and QMetaObject::invokeMethod would match the type names again on
    // every call and print warnings of their own; here the signature was matched once and cached.
    // The class's qt_metacall returns a negative index once it has run the method.
    return QMetaObject::metacall(target, QMetaObject::InvokeMetaMethod, methodIndex, argv) < 0;
}

void cServiceMgr::addObserver(Nexaro::IServiceObserver *observer)
{
    QMutexLocker lock(&m_mutex);
    if (observer && !m_observers.contains(observer))
        m_observers.append(observer);
    m_observerCount.storeRelaxed(int(m_observers.size()));
}

void cServiceMgr::removeObserver(Nexaro::IServiceObserver *observer)
{
    QMutexLocker lock(&m_mutex);
    m_observers.removeAll(observer);
    m_observerCount.storeRelaxed(int(m_observers.size()));
}

void cServiceMgr::notify(const cServiceTrace &trace)
{
    QList<Nexaro::IServiceObserver *> observers;
    {
        QMutexLocker lock(&m_mutex);
        observers = m_observers;
    }
    for (Nexaro::IServiceObserver *observer : std::as_const(observers)) {
        {
            // An observer may remove another one while it observes.
            QMutexLocker lock(&m_mutex);
            if (!m_observers.contains(observer))
                continue;
        }
        observer->observe(trace);
    }
}

QList<cTracedArgument> cServiceMgr::traceArguments(const cArgumentList &arguments)
{
    QList<cTracedArgument> traced;
    traced.reserve(arguments.count());
    for (int i = 0; i < arguments.count(); ++i)
        traced.append(
            {QByteArray(arguments.typeName(i)), traceValue(arguments.typeName(i), arguments.data(i))});
    return traced;
}

QVariant cServiceMgr::traceValue(const char *typeName, const void *data)
{
    if (!data)
        return QVariant();
    const QByteArray normalized = QMetaObject::normalizedType(typeName);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QMetaType type = QMetaType::fromName(normalized);
    if (!type.isValid() || type.id() == QMetaType::Void)
        return QVariant();
    return QVariant(type, data);
#else
    const int type = QMetaType::type(normalized.constData());
    if (type == QMetaType::UnknownType || type == QMetaType::Void)
        return QVariant();
    return QVariant(type, data);
#endif
}

void Nexaro::registerService(const QString &name, QObject *service)
{
    cServiceMgr::manager()->registerService(name, service);
}

void Nexaro::unregisterService(const QString &name)
{
    cServiceMgr::manager()->registerService(name, nullptr);
}

QObject *Nexaro::service(const QString &name)
{
    return cServiceMgr::manager()->service(name);
}

void Nexaro::addObserver(IServiceObserver *observer)
{
    cServiceMgr::manager()->addObserver(observer);
}

void Nexaro::removeObserver(IServiceObserver *observer)
{
    cServiceMgr::manager()->removeObserver(observer);
}
