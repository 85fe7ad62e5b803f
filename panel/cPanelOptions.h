#pragma once
#include <QString>
#include <QStringList>

// The command line of q71-panel.
class cPanelOptions
{
public:
    // What becomes of the window at the start: shown beside the tray icon, only in the tray until
    // asked for (autostart), or shown without any tray icon.
    enum class Window { Show, Hide, Only };

    // False, with the one line to tell the user in `error`, for a command line that is not right.
    // --help and --version print and end the process, as they do in every program.
    bool parse(const QStringList &arguments, QString *error);

    Window window() const { return m_window; }
    // The configuration file to edit.
    QString configPath() const { return m_configPath; }

private:
    Window m_window = Window::Show;
    QString m_configPath;
};
