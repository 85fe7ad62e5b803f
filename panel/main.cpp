#include "cPanel.h"
#include "cPanelOptions.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QSystemTrayIcon>

#include <cstdio>

namespace {

// True when the command line asks only for the help or the version.
bool asksForText(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-h" || argument == "--help" || argument == "--help-all" || argument == "-v"
            || argument == "--version")
            return true;
    }
    return false;
}

// True when Qt's own -platform option is given.
bool namesPlatform(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-platform" || argument.startsWith("-platform=") || argument == "--platform")
            return true;
    }
    return false;
}

// The options, or the exit code of a command line that ends here: 0 after the help or the version,
// 2 after a wrong option.
int readOptions(cPanelOptions *options)
{
    QCoreApplication::setApplicationName(QStringLiteral("q71-panel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(Q71_VERSION));
    QString error;
    if (!options->parse(QCoreApplication::arguments(), &error)) {
        std::fprintf(stderr, "q71-panel: %s\n", qUtf8Printable(error));
        return 2;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    cPanelOptions options;
    // The help and the version need no display, which a QApplication would fail without (a
    // terminal over ssh, help2man making the manual page).
    if (asksForText(argc, argv)) {
        QCoreApplication text(argc, argv);
        const int status = readOptions(&options);
        return status < 0 ? 0 : status;
    }
    // QApplication would abort with Qt's own lines where there is no display to open.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY")
        && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && !namesPlatform(argc, argv)) {
        std::fputs("q71-panel: no display to show the panel on (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("q71-panel"));
    if (const int status = readOptions(&options); status >= 0)
        return status;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "q71-panel: no session bus: %s\n", qUtf8Printable(bus.lastError().message()));
        return 2;
    }
    cPanel panel(bus, options.configPath());
    QObject::connect(&panel, &cPanel::quitRequested, &app, &QCoreApplication::quit);
    // Closing the window leaves the tray icon, and "Quit" ends the panel; without a tray icon the
    // window is all there is, and closing it ends the panel.
    QApplication::setQuitOnLastWindowClosed(options.window() == cPanelOptions::Window::Only
                                            || !QSystemTrayIcon::isSystemTrayAvailable());
    QString error;
    panel.start(options.window(), &error);
    if (!error.isEmpty())
        std::fprintf(stderr, "q71-panel: warning: %s\n", qUtf8Printable(error));
    return app.exec();
}
