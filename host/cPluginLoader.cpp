#include "cPluginLoader.h"

#include "IPlugin.h"
#include "NexaroHost.h"
#include "cPluginContext.h"
#include "cPluginFile.h"

#include <QFileInfo>
#include <QLibrary>

const char *const cPluginLoader::DefaultAlias = "Q71Device";

cPluginLoader::cPluginLoader() = default;

cPluginLoader::~cPluginLoader() = default;

bool cPluginLoader::load(const QString &fileName, const QString &alias)
{
    if (m_plugin)
        return fail(QStringLiteral("Cannot load plugin '%1': plugin '%2' is already loaded by this loader")
                        .arg(fileName, m_fileName));
    m_fileName = fileName;
    m_alias = alias;
    m_errorString.clear();

    // Never unloaded: the plugin's meta-objects are known to the meta-type system for the rest of
    // the process, and its objects may outlive any shutdown.
    const QString fileProblem = cPluginFile::problem(fileName);
    if (!fileProblem.isEmpty())
        return fail(QStringLiteral("Cannot load plugin '%1': %2").arg(fileName, fileProblem));
    QLibrary library(fileName);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load())
        return fail(QStringLiteral("Cannot load plugin '%1': %2").arg(fileName, library.errorString()));

    const QFunctionPointer symbol = library.resolve("entrypoint");
    if (!symbol)
        return fail(
            QStringLiteral("Cannot load plugin '%1': it exports no function 'entrypoint'").arg(fileName));
    const QString symbolProblem
        = cPluginFile::symbolProblem(reinterpret_cast<const void *>(symbol), "entrypoint");
    if (!symbolProblem.isEmpty())
        return fail(QStringLiteral("Cannot load plugin '%1': %2").arg(fileName, symbolProblem));
    const auto entrypoint = reinterpret_cast<cPluginEntrypoint>(symbol);

    IPlugin *plugin = entrypoint();
    if (!plugin)
        return fail(
            QStringLiteral("Cannot load plugin '%1': 'entrypoint' returned no plugin object").arg(fileName));

    // The plugin reads its manifest through the alias while it initialises, so the alias must
    // resolve before initialize() runs.
    const QString directory = QFileInfo(fileName).absolutePath();
    Nexaro::registerAliasDirectory(alias, directory);
    m_context.reset(new cPluginContext(alias, directory, cLog(QStringLiteral("q71.plugin.") + alias)));
    if (!plugin->initialize(m_context.data())) {
        Nexaro::unregisterAliasDirectory(alias);
        m_context.reset();
        return fail(QStringLiteral("Cannot load plugin '%1': its initialisation failed").arg(fileName));
    }
    m_plugin = plugin;
    return true;
}

void cPluginLoader::shutdown()
{
    if (!m_plugin)
        return;
    m_plugin->shutdown();
    m_plugin = nullptr;
    Nexaro::unregisterAliasDirectory(m_alias);
    m_context.reset();
}

bool cPluginLoader::fail(const QString &reason)
{
    m_errorString = reason;
    return false;
}
