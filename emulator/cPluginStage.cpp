#include "cPluginStage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

const char cPluginStage::ManifestName[] = "Device_Manifest.xml";

namespace {

// Copies what is left of `in` to a new file `fileName`.
bool keep(QFile *in, const QString &fileName)
{
    QFile out(fileName);
    const QByteArray bytes = in->readAll();
    return in->error() == QFileDevice::NoError && out.open(QIODevice::WriteOnly)
        && out.write(bytes) == bytes.size() && out.flush();
}

} // namespace

cPluginStage::cPluginStage() = default;

cPluginStage::~cPluginStage() = default;

bool cPluginStage::prepare(const QString &pluginFile, const QString &manifestFile, QString *error)
{
    const QFileInfo plugin(pluginFile);
    const QString manifestName = QLatin1String(ManifestName);
    const QFileInfo manifest(manifestFile.isEmpty() ? plugin.absoluteDir().filePath(manifestName)
                                                    : manifestFile);
    // A manifest from a pipe or a FIFO gives its bytes once, and both the check and the plugin read
    // it: it is kept in the directory as a file.
    QFile given(manifestFile);
    const bool once = !manifestFile.isEmpty() && given.open(QIODevice::ReadOnly) && given.isSequential();
    if (!plugin.isFile())
        *error = QStringLiteral("no plugin at %1 (give one with --plugin PATH)").arg(pluginFile);
    else if (manifestFile.isEmpty() && !manifest.isFile())
        *error = QStringLiteral("no %1 beside the plugin %2").arg(manifestName, pluginFile);
    else if (!once && (!manifest.isFile() || !manifest.isReadable()))
        *error = QStringLiteral("cannot read the manifest %1").arg(manifestFile);
    if (!error->isEmpty())
        return false;
    m_pluginFile = plugin.absoluteFilePath();
    m_manifestFile = manifest.filePath();
    m_manifestPath = m_manifestFile;
    if (manifestFile.isEmpty())
        return true;

    m_dir.reset(new QTemporaryDir);
    const QDir dir(m_dir->path());
    const QString linked = dir.filePath(plugin.fileName());
    const QString staged = dir.filePath(manifestName);
    if (once)
        m_manifestPath = staged;
    if (!m_dir->isValid() || !QFile::link(m_pluginFile, linked)
        || !(once ? keep(&given, staged) : QFile::link(manifest.absoluteFilePath(), staged))) {
        *error = QStringLiteral("cannot make a plugin directory for the manifest %1").arg(manifestFile);
        return false;
    }
    m_pluginFile = linked;
    return true;
}
