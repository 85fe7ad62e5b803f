#pragma once
#include <QHash>
#include <QString>

// What the window edits in the user's configuration file, the one the service reads: the
// commands of the keys and switches, the volume step, and whether the panel notifies. The keys
// and their defaults are the desktop side's (cDesktopConfig, cDesktopActions); only the
// notifications switch is the panel's own.
class cPanelSettings
{
public:
    explicit cPanelSettings(const QString &path);

    QString path() const { return m_path; }

    // Reads the file; one that is not there gives the defaults. False, with the line to show the
    // user in `error`, when it cannot be read.
    bool load(QString *error);
    // Writes what was set into the file, leaving its other settings (the microphone's, which the
    // service writes) as they are. False, with the line to show the user in `error`, otherwise.
    bool save(QString *error) const;

    QString command(const QString &event) const { return m_commands.value(event); }
    void setCommand(const QString &event, const QString &command) { m_commands.insert(event, command); }
    int volumeStep() const { return m_volumeStep; }
    void setVolumeStep(int percent) { m_volumeStep = percent; }
    bool notificationsEnabled() const { return m_notifications; }
    void setNotificationsEnabled(bool enabled) { m_notifications = enabled; }

private:
    QString m_path;
    QHash<QString, QString> m_commands;
    int m_volumeStep;
    bool m_notifications = true;
};
