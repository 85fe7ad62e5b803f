#pragma once
#include <QGenericArgument>
#include <QString>

// One call of a host service by method name: the mechanism behind every operation of every
// service proxy. The caller defines its result variable first (holding the value to return when
// the call fails), builds a cServiceCall, adds the arguments in declaration order and runs it.
// A failed call writes one critical line, the operation's failure text followed by the service
// name, and leaves the result variable as it was; nothing is retried.
class cServiceCall
{
public:
    cServiceCall(const QString &serviceName, const char *serviceLiteral, const QString &methodName,
                 const char *failureText);

    // `value` must outlive run(): by-value parameters of the proxy, or the caller's object for a
    // const-reference parameter.
    cServiceCall &arg(const char *typeName, const void *value);

    bool run();
    bool run(QGenericReturnArgument result);

private:
    bool report(bool succeeded) const;

    static constexpr int s_argumentCount = 10;

    QString m_serviceName;
    const char *m_serviceLiteral;
    QString m_methodName;
    const char *m_failureText;
    QGenericArgument m_arguments[s_argumentCount];
    int m_used = 0;
};

// The failure text names the method inside its literal, so both come from the same token.
#define Q71_SERVICE_CALL(serviceLiteral, method)                                                             \
    cServiceCall(QStringLiteral(serviceLiteral), serviceLiteral, QStringLiteral(method),                     \
                 "Failed to call '" method "' on service")
