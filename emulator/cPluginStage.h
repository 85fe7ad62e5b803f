#pragma once
#include <QScopedPointer>
#include <QString>

class QTemporaryDir;

// Where the plugin is loaded from. The plugin reads its manifest through its alias, which the
// host resolves to the directory the plugin was loaded from; a manifest of the user's own (a
// headset with other ids) therefore needs a directory of its own: a temporary one holding a link
// to the plugin and a link named Device_Manifest.xml to the given file. The directory goes with
// the object.
class cPluginStage
{
public:
    static const char ManifestName[];

    cPluginStage();
    ~cPluginStage();

    // `manifestFile` empty: the plugin is loaded where it is, with the manifest beside it. False,
    // with the one line to tell the user in `error`, when either file is missing or the directory
    // cannot be made.
    bool prepare(const QString &pluginFile, const QString &manifestFile, QString *error);
    QString pluginFile() const { return m_pluginFile; }
    // The manifest as the user knows it: the file given, or the one beside the plugin, never the
    // link the plugin reads it through, so that what is said about it names a file the user has.
    QString manifestFile() const { return m_manifestFile; }
    // Where the manifest is read: the file itself, or the copy of one that can be read only once.
    QString manifestPath() const { return m_manifestPath; }

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_pluginFile;
    QString m_manifestFile;
    QString m_manifestPath;
};
