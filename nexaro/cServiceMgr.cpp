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
    changed();
}

QObject *cServiceMgr::service(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return m_services.value(name).data();
}

// Every proxy asks before each call, so the answer is read without building a string: class info
// is moc's copy of a source literal, ASCII in practice; anything else is decoded as UTF-8.
static bool sameVersion(const QString &version, const char *declared)
{
    for (const char *c = declared; *c; ++c) {
        if (uchar(*c) >= 0x80)
            return version == QString::fromUtf8(declared);
    }
    return version == QLatin1String(declared);
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
        ok = sameVersion(version, declared);
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
    const QGenericArgument *const given[]
        = {&arg0, &arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8, &arg9};
    return call(serviceName, methodName, QGenericReturnArgument(), cArgumentList(given));
}

bool cServiceMgr::callService(const QString &serviceName, const QString &methodName,
                              QGenericReturnArgument result, QGenericArgument arg0, QGenericArgument arg1,
                              QGenericArgument arg2, QGenericArgument arg3, QGenericArgument arg4,
                              QGenericArgument arg5, QGenericArgument arg6, QGenericArgument arg7,
                              QGenericArgument arg8, QGenericArgument arg9)
{
    const QGenericArgument *const given[]
        = {&arg0, &arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8, &arg9};
    return call(serviceName, methodName, result, cArgumentList(given));
}

cServiceMgr::cCallSlot &cServiceMgr::callSlot(quint32 hash)
{
    static thread_local cCallSlot recent[64];
    return recent[hash % 64];
}

bool cServiceMgr::call(const QString &serviceName, const QString &methodName,
                       const QGenericReturnArgument &result, const cArgumentList &arguments)
{
    bool ok = false;
    if (!callCached(serviceName, methodName, result, arguments, &ok))
        ok = callResolving(serviceName, methodName, result, arguments);

    if (isObserved()) {
        const char *resultType = result.name();
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

bool cServiceMgr::callCached(const QString &serviceName, const QString &methodName,
                             const QGenericReturnArgument &result, const cArgumentList &arguments, bool *ok)
{
    const char *resultType = result.name();
    // A call that lacks a value fails, and says why, on the resolving path.
    if (!arguments.isComplete() || (resultType && !result.data()))
        return false;
    const cCallSlot &slot
        = callSlot(cCallSignature::slotHash(serviceName, methodName, resultType, arguments));
    if (slot.generation != m_generation.load(std::memory_order_acquire)
        || !slot.signature.matches(serviceName, methodName, resultType, arguments))
        return false;
    QObject *target = slot.target.data();
    if (!target)
        return false;
    *ok = slot.method.invoke(target, result.data(), arguments);
    return true;
}

bool cServiceMgr::callResolving(const QString &serviceName, const QString &methodName,
                                const QGenericReturnArgument &result, const cArgumentList &arguments)
{
    const char *resultType = result.name();
    QObject *target = nullptr;
    cMethodKey key;
    cMethodEntry entry;
    bool cached = false;
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        generation = m_generation.load(std::memory_order_relaxed);
        const auto it = m_services.constFind(serviceName);
        if (it != m_services.constEnd())
            target = it->data();
        if (target) {
            key = cMethodKey(cMethodKey::Call, target->metaObject(), methodName, QString(), resultType,
                             arguments);
            cached = m_cache.find(key, &entry);
        }
    }

    if (!target) {
        qCWarning(lcNexaroServices, "callService: no service \"%s\" for %s", qUtf8Printable(serviceName),
                  cMethodKey(cMethodKey::Call, nullptr, methodName, QString(), resultType, arguments)
                      .signature()
                      .constData());
        return false;
    }
    if (!arguments.isComplete() || (resultType && !result.data())) {
        qCWarning(lcNexaroServices, "callService: %s on service \"%s\" has a type name without a value",
                  key.signature().constData(), qUtf8Printable(serviceName));
        return false;
    }
    if (!cached)
        entry = resolveAndCache(key);
    switch (entry.outcome) {
    case cMethodEntry::Found: {
        // Filled before the call: the method may call again and take this slot for itself.
        cCallSlot &slot = callSlot(cCallSignature::slotHash(serviceName, methodName, resultType, arguments));
        slot.generation = generation;
        slot.signature.assign(serviceName, methodName, resultType, arguments);
        slot.target = target;
        slot.method = cInvoker(key.metaObject, entry.index);
        return invoke(target, entry.index, result.data(), arguments);
    }
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
    return false;
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

cServiceMgr::cInvoker::cInvoker(const QMetaObject *metaObject, int methodIndex)
    : m_index(methodIndex)
{
    const QMetaObject *declaring = metaObject;
    while (declaring && declaring->methodOffset() > methodIndex)
        declaring = declaring->superClass();
    if (declaring && declaring->d.static_metacall) {
        m_function = declaring->d.static_metacall;
        m_index = methodIndex - declaring->methodOffset();
    }
}

bool cServiceMgr::cInvoker::invoke(QObject *target, void *result, const cArgumentList &arguments) const
{
    if (!m_function)
        return cServiceMgr::invoke(target, m_index, result, arguments);
    void *argv[cArgumentList::MaxArguments + 1];
    argv[0] = result;
    for (int i = 0; i < arguments.count(); ++i)
        argv[i + 1] = arguments.data(i);
    m_function(target, QMetaObject::InvokeMetaMethod, m_index, argv);
    return true;
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

void cServiceMgr::clearMethodCache()
{
    QMutexLocker lock(&m_mutex);
    m_cache.clear();
    changed();
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

void Nexaro::clearMethodCache()
{
    cServiceMgr::manager()->clearMethodCache();
}
