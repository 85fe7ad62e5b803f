#pragma once
#include "cMethodCache.h"

#include <QByteArray>
#include <QString>

// The names and type names of one call or event, kept by value, so that a thread can tell that a
// call is the one it made before without taking the service manager's lock. Code that calls again
// passes the same addresses again (literals, or a string it keeps), so a slot is chosen by address;
// whether it matches is still decided by content, because a caller may reuse a buffer, or an
// address a freed string had, for other text.
class cCallSignature
{
public:
    static quint32 slotHash(const QString &name, const QString &member, const char *resultType,
                            const cArgumentList &arguments);

    void assign(const QString &name, const QString &member, const char *resultType,
                const cArgumentList &arguments);
    bool matches(const QString &name, const QString &member, const char *resultType,
                 const cArgumentList &arguments) const;

private:
    enum { MaxNames = cArgumentList::MaxArguments + 1 };

    // Shared copies: while this one holds the string's data, nobody can change or free it (Qt's
    // rule for raw data too), so a caller's string at the same address says the same.
    QString m_name;
    QString m_member;
    // Type names are copied: a caller may write another name into the same buffer. The result
    // type comes first when one is wanted; each name is followed by a NUL.
    QByteArray m_typeNames;
    quint16 m_offsets[MaxNames] = {};
    bool m_hasResult = false;
    int m_count = -1; // nothing assigned yet
};
