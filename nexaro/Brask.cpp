#include "Brask.h"
#include "NexaroHost.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>

namespace {

// Why a document was not read. Off by default: the caller reports its own failure.
Q_LOGGING_CATEGORY(lcNexaroFiles, "nexaro.files", QtCriticalMsg)

struct cHostSettings
{
    QMutex mutex;
    QHash<QString, QString> aliasDirectories;
    QString localeOverride;
};

cHostSettings &hostSettings()
{
    static cHostSettings settings;
    return settings;
}

// "ALIAS:NAME" names a file of a registered alias; anything else, a drive path such as "C:/x"
// included unless "C" is registered, is a path of its own.
QString resolvePath(const QString &path)
{
    const int colon = int(path.indexOf(QLatin1Char(':')));
    if (colon <= 0)
        return path;
    cHostSettings &settings = hostSettings();
    QMutexLocker lock(&settings.mutex);
    const auto it = settings.aliasDirectories.constFind(path.left(colon));
    if (it == settings.aliasDirectories.constEnd())
        return path;
    return QDir(*it).filePath(path.mid(colon + 1));
}

} // namespace

bool Brask::FileReadDom(const QString &path, QDomDocument &document, bool namespaceProcessing)
{
    document = QDomDocument();
    const QString filePath = resolvePath(path);
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcNexaroFiles, "FileReadDom: cannot open %s: %s", qUtf8Printable(filePath),
                  qUtf8Printable(file.errorString()));
        return false;
    }
    QString error;
    int line = 0;
    int column = 0;
    if (!document.setContent(&file, namespaceProcessing, &error, &line, &column)) {
        qCWarning(lcNexaroFiles, "FileReadDom: %s:%d:%d: %s", qUtf8Printable(filePath), line, column,
                  qUtf8Printable(error));
        document = QDomDocument();
        return false;
    }
    return true;
}

QString Brask::currentLocale()
{
    {
        cHostSettings &settings = hostSettings();
        QMutexLocker lock(&settings.mutex);
        if (!settings.localeOverride.isEmpty())
            return settings.localeOverride;
    }
    return QLocale::system().name().replace(QLatin1Char('_'), QLatin1Char('-'));
}

void Nexaro::registerAliasDirectory(const QString &alias, const QString &directory)
{
    cHostSettings &settings = hostSettings();
    QMutexLocker lock(&settings.mutex);
    settings.aliasDirectories.insert(alias, directory);
}

void Nexaro::unregisterAliasDirectory(const QString &alias)
{
    cHostSettings &settings = hostSettings();
    QMutexLocker lock(&settings.mutex);
    settings.aliasDirectories.remove(alias);
}

void Nexaro::setLocaleOverride(const QString &locale)
{
    cHostSettings &settings = hostSettings();
    QMutexLocker lock(&settings.mutex);
    settings.localeOverride = locale;
}
