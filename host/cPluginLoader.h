#pragma once
#include <QScopedPointer>
#include <QString>

class IPlugin;
class cPluginContext;

// Loads one device plugin as the host application does: the library stays loaded for the rest
// of the process, its alias resolves to its own directory, and failures are reported as text.
class cPluginLoader
{
public:
    static const char *const DefaultAlias;

    cPluginLoader();
    ~cPluginLoader();

    // Loads `fileName`, resolves "entrypoint" and initialises the plugin under `alias`. False with
    // errorString() set when any step fails; nothing of the plugin runs after a failed step.
    bool load(const QString &fileName, const QString &alias = QLatin1String(DefaultAlias));
    // Asks a loaded plugin to let go of what it registered. The library itself stays loaded.
    void shutdown();

    bool isLoaded() const { return m_plugin != nullptr; }
    QString alias() const { return m_alias; }
    QString errorString() const { return m_errorString; }

private:
    bool fail(const QString &reason);

    IPlugin *m_plugin = nullptr;
    QScopedPointer<cPluginContext> m_context;
    QString m_fileName;
    QString m_alias;
    QString m_errorString;
};
