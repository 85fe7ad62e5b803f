#pragma once
#include <QString>

// "1 byte", "5 bytes": a count and the noun it takes, for the messages and timelines that people
// read (a translation's plural rules do not apply: these are not translated).
inline QString counted(qint64 count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}
