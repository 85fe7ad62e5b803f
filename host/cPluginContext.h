#pragma once
#include "IPlugin.h"

// What the host tells one plugin about itself and where it lives.
class cPluginContext final : public IPluginContext
{
public:
    cPluginContext(const QString &alias, const QString &directory, const cLog &log);
    virtual ~cPluginContext();

    QString hostVersion() const override;
    QString pluginAlias() const override { return m_alias; }
    QString pluginDirectory() const override { return m_directory; }
    cLog log() const override { return m_log; }

private:
    QString m_alias;
    QString m_directory;
    cLog m_log;
};
