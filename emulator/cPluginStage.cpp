#include "cPluginStage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

const char cPluginStage::ManifestName[] = "Device_Manifest.xml";

namespace {

// Why the user's manifest cannot be read, as "cannot read the manifest FILE: why"; empty when it
// can. Opening it is the one test that gives the system's own reason (no such file, permission
// denied), where QFileInfo only says that it cannot.
QString unreadable(const QFileInfo &manifest)
{
    const QString what = QStringLiteral("cannot read the manifest %1: ").arg(manifest.filePath());
    if (manifest.isDir())
        return what + QStringLiteral("it is a directory");
    // A device node would hold the open (or the plugin's read) up for good; a pipe or a FIFO is
    // read once before this is asked.
    if (manifest.exists() && !manifest.isFile())
        return what + QStringLiteral("it is not a regular file");
    QFile file(manifest.filePath());
    return file.open(QIODevice::ReadOnly) ? QString() : what + file.errorString();
}

// A manifest is a few kilobytes of XML. A source that gives more (/dev/zero, a runaway pipe) is
// refused, not read until memory runs out.
const qint64 g_manifestLimit = 1024 * 1024;

// Reads a manifest given once; empty with `error` set when it is too long or cannot be read.
QByteArray readOnce(QFile *in, QString *error)
{
    const QByteArray bytes = in->read(g_manifestLimit + 1);
    const QString what = QStringLiteral("cannot read the manifest %1: ").arg(in->fileName());
    if (in->error() != QFileDevice::NoError)
        *error = what + in->errorString();
    else if (bytes.size() > g_manifestLimit)
        *error = what + QStringLiteral("longer than %1 bytes").arg(g_manifestLimit);
    return error->isEmpty() ? bytes : QByteArray();
}

bool keep(const QByteArray &bytes, const QString &fileName)
{
    QFile out(fileName);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush();
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
    else if (!manifestFile.isEmpty() && !once)
        *error = unreadable(manifest);
    const QByteArray givenBytes = once && error->isEmpty() ? readOnce(&given, error) : QByteArray();
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
        || !(once ? keep(givenBytes, staged) : QFile::link(manifest.absoluteFilePath(), staged))) {
        *error = QStringLiteral("cannot make a plugin directory for the manifest %1").arg(manifestFile);
        return false;
    }
    m_pluginFile = linked;
    return true;
}
