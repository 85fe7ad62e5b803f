// q71-panel-measure startup COUNT: the panel's start until its window is shown with COUNT headsets
// read, from main() and from the process's start (which adds the loading of its libraries).
// q71-panel-measure idle SECONDS: the panel left alone with its tray icon, then the times its
// threads were woken (context switches) in that while.
#include "cHeadsetModel.h"
#include "cPanel.h"
#include "cPanelWindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Milliseconds since the process started, from the kernel's record of its start (in clock ticks).
double sinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which may itself hold spaces, in parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The context switches of the process so far, of every thread it has had: each is a wake-up.
long long wakeUps()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw + usage.ru_nivcsw;
}

int usage()
{
    std::fprintf(stderr, "usage: q71-panel-measure startup COUNT | idle SECONDS\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    bool isNumber = false;
    const int number = arguments.value(2).toInt(&isNumber);
    const QString mode = arguments.value(1);
    if (arguments.size() != 3 || !isNumber || number < 1
        || (mode != QLatin1String("startup") && mode != QLatin1String("idle")))
        return usage();
    cPanel panel(QDBusConnection::sessionBus(),
                 QDir::temp().filePath(QStringLiteral("q71-panel-measure.conf")));
    QString error;
    if (mode == QLatin1String("startup")) {
        panel.start(cPanelOptions::Window::Only, &error);
        bool done = false;
        QObject::connect(panel.model(), &cHeadsetModel::headsetsChanged, &app, [&] {
            if (done || panel.model()->headsets().size() < number || !panel.window()->isVisible())
                return;
            done = true;
            // What the window shows now is drawn before the figure is taken.
            panel.window()->repaint();
            std::printf(
                "window shown with %d headsets: %.1f ms from main(), %.0f ms from the process's start\n",
                number, double(sinceMain.nsecsElapsed()) / 1e6, sinceProcessStart());
            app.quit();
        });
        return app.exec();
    }
    panel.start(cPanelOptions::Window::Hide, &error);
    QTimer::singleShot(2000, &app, [&] {
        const long long before = wakeUps();
        QTimer::singleShot(number * 1000, &app, [&, before] {
            std::printf("idle %d s: %lld wake-ups (context switches)\n", number, wakeUps() - before);
            app.quit();
        });
    });
    return app.exec();
}
