#include "cCallSignature.h"

#include <cstring>

namespace {

bool sameString(const QString &kept, const QString &given)
{
    return (kept.constData() == given.constData() && kept.size() == given.size()) || kept == given;
}

} // namespace

quint32 cCallSignature::slotHash(const QString &name, const QString &member, const char *resultType,
                                 const cArgumentList &arguments)
{
    // The two names tell most calls apart; the first type name separates overloads. A collision
    // only costs a lookup under the lock.
    const quintptr first = arguments.count() > 0 ? quintptr(arguments.typeName(0)) : 0;
    const quint64 hash = (quintptr(name.constData()) ^ (quintptr(member.constData()) >> 3)
                          ^ (quintptr(resultType) >> 5) ^ (first >> 7))
        * 0x9e3779b97f4a7c15ULL;
    return quint32(hash >> 32);
}

void cCallSignature::assign(const QString &name, const QString &member, const char *resultType,
                            const cArgumentList &arguments)
{
    m_name = name;
    m_member = member;
    m_hasResult = resultType != nullptr;
    m_count = arguments.count();
    m_typeNames.clear();
    int names = 0;
    const auto append = [this, &names](const char *typeName) {
        m_offsets[names++] = quint16(m_typeNames.size());
        m_typeNames.append(typeName, int(std::strlen(typeName)) + 1);
    };
    if (resultType)
        append(resultType);
    for (int i = 0; i < m_count; ++i)
        append(arguments.typeName(i));
}

bool cCallSignature::matches(const QString &name, const QString &member, const char *resultType,
                             const cArgumentList &arguments) const
{
    if (m_count != arguments.count() || m_hasResult != (resultType != nullptr) || !sameString(m_name, name)
        || !sameString(m_member, member))
        return false;
    const char *stored = m_typeNames.constData();
    int names = 0;
    if (resultType && std::strcmp(stored + m_offsets[names++], resultType) != 0)
        return false;
    for (int i = 0; i < m_count; ++i) {
        if (std::strcmp(stored + m_offsets[names++], arguments.typeName(i)) != 0)
            return false;
    }
    return true;
}
