#include "cPluginContext.h"

cPluginContext::cPluginContext(const QString &alias, const QString &directory, const cLog &log)
    : m_alias(alias)
    , m_directory(directory)
    , m_log(log)
{ }

cPluginContext::~cPluginContext() = default;

QString cPluginContext::hostVersion() const
{
    return QStringLiteral(Q71_HOST_VERSION);
}
