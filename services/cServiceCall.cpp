#include "cServiceCall.h"

#include "IServiceMgr.h"

#include <QDebug>

cServiceCall::cServiceCall(const QString &serviceName, const char *serviceLiteral, const QString &methodName,
                           const char *failureText)
    : m_serviceName(serviceName)
    , m_serviceLiteral(serviceLiteral)
    , m_methodName(methodName)
    , m_failureText(failureText)
{ }

cServiceCall &cServiceCall::arg(const char *typeName, const void *value)
{
    Q_ASSERT(m_used < s_argumentCount);
    if (m_used < s_argumentCount)
        m_arguments[m_used++] = QGenericArgument(typeName, value);
    return *this;
}

bool cServiceCall::run()
{
    const QGenericArgument *a = m_arguments;
    return report(IServiceMgr::instance()->callService(m_serviceName, m_methodName, a[0], a[1], a[2], a[3],
                                                       a[4], a[5], a[6], a[7], a[8], a[9]));
}

bool cServiceCall::run(QGenericReturnArgument result)
{
    const QGenericArgument *a = m_arguments;
    return report(IServiceMgr::instance()->callService(m_serviceName, m_methodName, result, a[0], a[1], a[2],
                                                       a[3], a[4], a[5], a[6], a[7], a[8], a[9]));
}

bool cServiceCall::report(bool succeeded) const
{
    // The service name comes from the proxy's own literal: a const char* streams without the
    // quotes that Qt 5 and 6 put around a QString, as Qt 4 wrote it.
    if (!succeeded)
        qCritical() << m_failureText << m_serviceLiteral;
    return succeeded;
}
