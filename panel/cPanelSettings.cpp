#include "cPanelSettings.h"

#include "cDesktopActions.h"
#include "cDesktopConfig.h"

#include <QSettings>

namespace {
const QString g_notificationsKey = QStringLiteral("notifications/enabled");
} // namespace

cPanelSettings::cPanelSettings(const QString &path)
    : m_path(path)
    , m_volumeStep(cDesktopConfig::DefaultVolumeStep)
{ }

bool cPanelSettings::load(QString *error)
{
    cDesktopConfig config;
    if (!config.open(m_path, false, error))
        return false;
    // The commands are read as the host reads them, so that the window shows what runs.
    cDesktopActions actions;
    actions.load(*config.settings());
    m_commands.clear();
    for (const QString &event : cDesktopActions::events())
        m_commands.insert(event, actions.command(event));
    m_volumeStep = config.volumeStep().value_or(cDesktopConfig::DefaultVolumeStep);
    m_notifications = config.settings()->value(g_notificationsKey, true).toBool();
    return true;
}

bool cPanelSettings::save(QString *error) const
{
    // Opened again rather than kept: the service may have written the microphone's settings since.
    cDesktopConfig config;
    if (!config.open(m_path, false, error))
        return false;
    QSettings *settings = config.settings();
    settings->beginGroup(cDesktopActions::settingsGroup());
    for (const QString &event : cDesktopActions::events()) {
        const QString command = m_commands.value(event).trimmed();
        if (command.isEmpty())
            settings->remove(event);
        else
            settings->setValue(event, command);
    }
    settings->endGroup();
    settings->setValue(cDesktopConfig::volumeStepKey(), m_volumeStep);
    // Only a panel told to be quiet says so in the file; the default needs no line.
    if (m_notifications)
        settings->remove(g_notificationsKey);
    else
        settings->setValue(g_notificationsKey, false);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        *error = QStringLiteral("cannot write config %1").arg(m_path);
        return false;
    }
    return true;
}
