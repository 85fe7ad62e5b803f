#include "cDesktopConfig.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {
const QString g_audioDefaultKey = QStringLiteral("audio/default");
const bool g_audioDefault = false;

// The file's boolean as QSettings writes one; none for other text.
std::optional<bool> boolean(const QString &text)
{
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return std::nullopt;
}
} // namespace

QString cDesktopConfig::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("q71/q71.conf"));
}

bool cDesktopConfig::open(const QString &path, bool required, QString *error)
{
    // QSettings reads a file it cannot open as an empty one, and says so only by AccessError on
    // Qt 6; the file is opened here first so that the reason reaches the user on both.
    QFile file(path);
    if ((required || file.exists()) && !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read config %1: %2").arg(path, file.errorString());
        return false;
    }
    m_settings.reset(new QSettings(path, QSettings::IniFormat));
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 reads and writes INI files as UTF-8; Qt 5 would take a command's UTF-8 as Latin-1.
    m_settings->setIniCodec("UTF-8");
#endif
    QString problem;
    if (m_settings->status() == QSettings::FormatError)
        problem = QStringLiteral("cannot read config %1: not in the INI format").arg(path);
    else if (m_settings->contains(volumeStepKey()) && !volumeStep())
        problem = QStringLiteral("config %1: [volume] step=%2: a whole percentage from 1 to 100")
                      .arg(path, m_settings->value(volumeStepKey()).toString());
    else if (m_settings->contains(g_audioDefaultKey)
             && !boolean(m_settings->value(g_audioDefaultKey).toString()))
        problem = QStringLiteral("config %1: [audio] default=%2: true or false")
                      .arg(path, m_settings->value(g_audioDefaultKey).toString());
    if (problem.isEmpty())
        return true;
    *error = problem;
    m_settings.reset();
    return false;
}

std::optional<int> cDesktopConfig::volumeStep() const
{
    if (!m_settings || !m_settings->contains(volumeStepKey()))
        return std::nullopt;
    return percent(m_settings->value(volumeStepKey()).toString());
}

bool cDesktopConfig::audioDefault() const
{
    if (!m_settings)
        return g_audioDefault;
    return boolean(m_settings->value(g_audioDefaultKey).toString()).value_or(g_audioDefault);
}

std::optional<int> cDesktopConfig::percent(const QString &text)
{
    bool isNumber = false;
    const int value = text.toInt(&isNumber);
    if (isNumber && value >= 1 && value <= 100)
        return value;
    return std::nullopt;
}
