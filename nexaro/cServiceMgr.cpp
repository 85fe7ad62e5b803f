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
    const auto it = m_services.find(name);
    if (it != m_services.end()) {
        QObject::disconnect(it->watch);
        m_services.erase(it);
    }
    if (service)
        m_services.insert(name, {service, watch(service)});
    m_cache.invalidate(cMethodCache::Call, name);
}

QObject *cServiceMgr::service(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return serviceLocked(name);
}

QObject *cServiceMgr::serviceLocked(const QString &name) const
{
    const auto it = m_services.constFind(name);
    return it != m_services.constEnd() ? it->object.data() : nullptr;
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

inline bool cServiceMgr::call(const QString &serviceName, const QString &methodName, const char *resultType,
                              cArgumentList &arguments)
{
    bool ok = false;
    if (!arguments.isComplete() || (resultType && !arguments.result())) {
        reportIncomplete(serviceName, methodName, arguments);
    } else {
        cMethodCache::cView view;
        cMethodCache::cTarget target;
        const cMethodCache::cEntry *entry = nullptr;
        // Another thread may change the answer between the two reads; the call then asks again.
        do
            entry = answerFor(cMethodCache::Call, serviceName, methodName, resultType, arguments, &view);
        while (view.outcome != cMethodCache::NoService && !cMethodCache::target(entry, view, 0, &target));
        if (view.outcome == cMethodCache::Found)
            ok = invoke(target.object, target.method, arguments);
        else
            reportFailure(serviceName, methodName, resultType, arguments, view.outcome, target);
    }

    if (isObserved())
        traceCall(serviceName, methodName, resultType, arguments, ok);
    return ok;
}

void cServiceMgr::traceCall(const QString &serviceName, const QString &methodName, const char *resultType,
                            const cArgumentList &arguments, bool ok)
{
    cServiceTrace trace;
    trace.kind = cServiceTrace::Call;
    trace.name = serviceName;
    trace.member = methodName;
    trace.resultType = QByteArray(resultType);
    trace.arguments = traceArguments(arguments);
    if (ok && resultType)
        trace.result = traceValue(resultType, arguments.result());
    trace.ok = ok;
    notify(trace);
}

bool cServiceMgr::callService(const QString &serviceName, const QString &methodName, QGenericArgument arg0,
                              QGenericArgument arg1, QGenericArgument arg2, QGenericArgument arg3,
                              QGenericArgument arg4, QGenericArgument arg5, QGenericArgument arg6,
                              QGenericArgument arg7, QGenericArgument arg8, QGenericArgument arg9)
{
    cArgumentList arguments(nullptr, {&arg0, &arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8, &arg9});
    return call(serviceName, methodName, nullptr, arguments);
}

bool cServiceMgr::callService(const QString &serviceName, const QString &methodName,
                              QGenericReturnArgument result, QGenericArgument arg0, QGenericArgument arg1,
                              QGenericArgument arg2, QGenericArgument arg3, QGenericArgument arg4,
                              QGenericArgument arg5, QGenericArgument arg6, QGenericArgument arg7,
                              QGenericArgument arg8, QGenericArgument arg9)
{
    cArgumentList arguments(result.data(),
                            {&arg0, &arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8, &arg9});
    return call(serviceName, methodName, result.name(), arguments);
}

cMethodCache::cEntry *cServiceMgr::answerLocked(cMethodCache::cEntry *entry, cMethodCache::Kind kind,
                                                const QString &name, const QString &member,
                                                const char *resultType, const cArgumentList &arguments,
                                                cMethodCache::cView *view)
{
    QMutexLocker lock(&m_mutex);
    if (!entry)
        entry = m_cache.insert(kind, name, member, resultType, arguments);
    if (!cMethodCache::view(entry, view)) {
        const cMethodCache::cAnswer answer = kind == cMethodCache::Call
            ? resolveCall(name, member, resultType, arguments)
            : resolveEvent(name, member, arguments);
        cMethodCache::store(entry, answer, view);
    }
    return entry;
}

cMethodCache::cAnswer cServiceMgr::resolveCall(const QString &serviceName, const QString &methodName,
                                               const char *resultType, const cArgumentList &arguments) const
{
    cMethodCache::cAnswer answer;
    QObject *target = serviceLocked(serviceName);
    if (!target)
        return answer;
    int index = -1;
    answer.outcome = cMethodCache::findMethod(target->metaObject(), cMethodCache::Call,
                                              arguments.signature(methodName), resultType, &index);
    answer.targets.append({target, index, 0});
    return answer;
}

void cServiceMgr::reportFailure(const QString &serviceName, const QString &methodName, const char *resultType,
                                const cArgumentList &arguments, cMethodCache::Outcome outcome,
                                const cMethodCache::cTarget &service) const
{
    const QByteArray signature = arguments.signature(methodName);
    switch (outcome) {
    case cMethodCache::Found:
        break;
    case cMethodCache::NoService:
        qCWarning(lcNexaroServices, "callService: no service \"%s\" for %s", qUtf8Printable(serviceName),
                  signature.constData());
        break;
    case cMethodCache::NoMethod:
        qCWarning(lcNexaroServices, "callService: service \"%s\" (%s) has no method %s",
                  qUtf8Printable(serviceName), service.object->metaObject()->className(),
                  signature.constData());
        break;
    case cMethodCache::ResultMismatch:
        qCWarning(lcNexaroServices, "callService: %s of service \"%s\" returns %s, not %s",
                  signature.constData(), qUtf8Printable(serviceName),
                  service.object->metaObject()->method(service.method).typeName(), resultType);
        break;
    }
}

void cServiceMgr::reportIncomplete(const QString &serviceName, const QString &methodName,
                                   const cArgumentList &arguments) const
{
    if (!service(serviceName))
        qCWarning(lcNexaroServices, "callService: no service \"%s\" for %s", qUtf8Printable(serviceName),
                  arguments.signature(methodName).constData());
    else
        qCWarning(lcNexaroServices, "callService: %s on service \"%s\" has a type name without a value",
                  arguments.signature(methodName).constData(), qUtf8Printable(serviceName));
}

bool cServiceMgr::invoke(QObject *target, int methodIndex, cArgumentList &arguments)
{
    // Straight into the class's qt_metacall, as Qt 4's invokeMethod ended up doing for a direct
    // call. QMetaMethod::invoke and QMetaObject::invokeMethod would match the type names again on
    // every call and print warnings of their own; here the signature was matched once and cached.
    // The class's qt_metacall returns a negative index once it has run the method.
    return QMetaObject::metacall(target, QMetaObject::InvokeMetaMethod, methodIndex, arguments.argv()) < 0;
}

QMetaObject::Connection cServiceMgr::watch(QObject *object)
{
    // Direct, so that it runs inside the object's destructor, on whatever thread deletes it, before
    // anything else can be made at its address.
    return QObject::connect(object, &QObject::destroyed, [this](QObject *gone) { onDestroyed(gone); });
}

void cServiceMgr::onDestroyed(QObject *object)
{
    QMutexLocker lock(&m_mutex);
    m_cache.invalidate(object);
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
