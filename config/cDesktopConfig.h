#pragma once
#include <QScopedPointer>
#include <QSettings>
#include <QString>

#include <optional>

// The user's configuration file, in the INI format QSettings reads: [actions] holds the commands
// the headset's keys and switches run, [microphone] the settings kept from one plug to the next,
// [volume] step= how far one step of the volume wheel moves the headset's sink, [audio] default=
// whether a headset plugged in becomes the sound server's default sink and source.
class cDesktopConfig
{
public:
    // $XDG_CONFIG_HOME/q71/q71.conf, ~/.config/q71/q71.conf when XDG_CONFIG_HOME is not set.
    static QString defaultPath();

    // A file that is not there is an empty configuration unless `required`; it is made when a
    // setting is written back. One that is there must be readable and in the INI format. False,
    // with the line to tell the user in `error`, otherwise.
    bool open(const QString &path, bool required, QString *error);

    // How far one step of a headset's volume wheel moves its sink when neither the command line
    // nor the file says, in percent of the full volume.
    static constexpr int DefaultVolumeStep = 5;

    // The file's volume step in percent, none when it gives none (open() refuses one outside
    // 1..100).
    std::optional<int> volumeStep() const;
    // `text` as a whole percentage from 1 to 100, the volume step's range wherever it is given;
    // none when it is not one.
    static std::optional<int> percent(const QString &text);
    // The key of the volume step in the file.
    static QString volumeStepKey() { return QStringLiteral("volume/step"); }

    // Whether a live headset's sink and source become the defaults while it is plugged in; off
    // unless the file says true (open() refuses anything but true and false).
    bool audioDefault() const;

    // Null until open() succeeded.
    QSettings *settings() const { return m_settings.data(); }

private:
    QScopedPointer<QSettings> m_settings;
};
