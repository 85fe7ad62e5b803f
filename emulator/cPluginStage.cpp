#include "cPluginStage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

const char cPluginStage::ManifestName[] = "Device_Manifest.xml";

cPluginStage::cPluginStage() = default;

cPluginStage::~cPluginStage() = default;

bool cPluginStage::prepare(const QString &pluginFile, const QString &manifestFile, QString *error)
{
    const QFileInfo plugin(pluginFile);
    const QString manifestName = QLatin1String(ManifestName);
    const QFileInfo manifest(manifestFile.isEmpty() ? plugin.absoluteDir().filePath(manifestName)
                                                    : manifestFile);
    if (!plugin.isFile())
        *error = QStringLiteral("no plugin at %1 (give one with --plugin PATH)").arg(pluginFile);
    else if (manifestFile.isEmpty() && !manifest.isFile())
        *error = QStringLiteral("no %1 beside the plugin %2").arg(manifestName, pluginFile);
    else if (!manifest.isFile() || !manifest.isReadable())
        *error = QStringLiteral("cannot read the manifest %1").arg(manifestFile);
    if (!error->isEmpty())
        return false;
    m_pluginFile = plugin.absoluteFilePath();
    m_manifestFile = manifest.filePath();
    if (manifestFile.isEmpty())
        return true;

    m_dir.reset(new QTemporaryDir);
    const QDir dir(m_dir->path());
    const QString linked = dir.filePath(plugin.fileName());
    if (!m_dir->isValid() || !QFile::link(m_pluginFile, linked)
        || !QFile::link(manifest.absoluteFilePath(), dir.filePath(manifestName))) {
        *error = QStringLiteral("cannot make a plugin directory for the manifest %1").arg(manifestFile);
        return false;
    }
    m_pluginFile = linked;
    return true;
}
