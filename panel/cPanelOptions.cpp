#include "cPanelOptions.h"

#include "cDesktopConfig.h"

#include <QCommandLineParser>
#include <QHash>

bool cPanelOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The tray icon and settings window of the Q71 headsets that "
                       "q71-host serves on the session bus."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption window(
        QStringLiteral("window"),
        QStringLiteral("show: the window and the tray icon (the default); hide: only the "
                       "tray icon until the window is asked for; only: the window "
                       "without a tray icon."),
        QStringLiteral("show|hide|only"), QStringLiteral("show"));
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("The configuration file to edit (default: %1).").arg(cDesktopConfig::defaultPath()),
        QStringLiteral("file"), cDesktopConfig::defaultPath());
    parser.addOptions({window, config});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return false;
    }
    const QHash<QString, Window> windows {{QStringLiteral("show"), Window::Show},
                                          {QStringLiteral("hide"), Window::Hide},
                                          {QStringLiteral("only"), Window::Only}};
    const QString choice = parser.value(window);
    if (!windows.contains(choice)) {
        *error = QStringLiteral("--window=%1: show, hide or only").arg(choice);
        return false;
    }
    m_window = windows.value(choice);
    m_configPath = parser.value(config);
    return true;
}
