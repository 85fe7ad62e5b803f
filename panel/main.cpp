#include "cPanel.h"
#include "cPanelOptions.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QSystemTrayIcon>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("q71-panel"));
    QApplication::setApplicationVersion(QStringLiteral(Q71_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("q71-panel"));
    cPanelOptions options;
    QString error;
    if (!options.parse(QApplication::arguments(), &error)) {
        std::fprintf(stderr, "q71-panel: %s\n", qUtf8Printable(error));
        return 2;
    }
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
    panel.start(options.window(), &error);
    if (!error.isEmpty())
        std::fprintf(stderr, "q71-panel: warning: %s\n", qUtf8Printable(error));
    return app.exec();
}
