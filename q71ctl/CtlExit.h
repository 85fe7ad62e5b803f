#pragma once
#include <QString>

// The exit codes scripts may rely on.
namespace CtlExit {

enum Code {
    Ok = 0,
    // No session bus, no service on it, or the service went away while q71ctl waited on it.
    NoService = 1,
    // A usage error, a headset the service does not serve, or a value it refused.
    Refused = 2,
};

// What ends q71ctl with a code other than Ok: one line for stderr.
struct cFailure
{
    Code code = Ok;
    QString message;
};

// The one line a user reads when there is nothing to talk to, with how to start it.
inline QString noServiceLine(const QString &why)
{
    return QStringLiteral("%1; start it with: systemctl --user start q71-host").arg(why);
}

} // namespace CtlExit
