// The panel against q71-host serving a virtual headset on a private bus, on an X server of its
// own: what a person sees and changes, and the service coming and going.
#include "HeadsetsClient.h"
#include "cScreenshot.h"
#include "cServiceRun.h"
#include "cTestBus.h"

#include "cCommandsEditor.h"
#include "cHeadset.h"
#include "cHeadsetModel.h"
#include "cHeadsetService.h"
#include "cMicrophoneEditor.h"
#include "cPanel.h"
#include "cPanelTray.h"
#include "cPanelWindow.h"

#include <QDBusMessage>
#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

// A person's edit of a spin box: the text replaced by typing, then Return.
void type(QSpinBox *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class tst_PanelService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { cScreenshot::setUp(); }

    void init()
    {
        m_bus.reset(new cTestBus);
        QVERIFY(m_bus->start());
        m_dir.reset(new QTemporaryDir);
        m_config = m_dir->filePath(QStringLiteral("q71.conf"));
        // The host reads the file it is given, and refuses one that is not there.
        QVERIFY(writeFile(m_config, QByteArray()));
    }

    void cleanup()
    {
        m_panel.reset();
        if (m_notifications) {
            m_notifications->terminate();
            m_notifications->waitForFinished(60000);
            m_notifications.reset();
        }
        m_service.reset();
        m_bus.reset();
    }

    void micLightChangedInTheWindow()
    {
        startService(cServiceRun::headset());
        startPanel(cPanelOptions::Window::Only);
        cMicrophoneEditor *editor = m_panel->window()->microphoneEditor();
        QTRY_VERIFY(editor->isEnabled());
        QTRY_COMPARE(editor->lightBox()->value(), 2);

        type(editor->lightBox(), QStringLiteral("3"));
        QTRY_VERIFY2(
            m_service->trace().contains(QStringLiteral("\"ev\":\"mic.set\",\"setting\":\"light\",\"value\":3,"
                                                       "\"result\":true")),
            qPrintable(m_service->trace().right(2000)));
        QTRY_COMPARE(property("MicLight"), QVariant(3u));

        // A value the headset does not take: the service's own words, and the box back at 3.
        type(editor->lightBox(), QStringLiteral("7"));
        const QDBusMessage reply = HeadsetsClient::set(m_bus->connection(), "MicLight", 7u);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        const QString refusal = reply.errorMessage();
        QTRY_COMPARE(editor->messageLabel()->text(), refusal);
        QTRY_COMPARE(editor->lightBox()->value(), 3);
        QCOMPARE(property("MicLight"), QVariant(3u));
    }

    void keyPressedShowsInTheWindow()
    {
        startService(cServiceRun::headset()
                     + QStringLiteral("wait 3s\ninput 02 10 00 00 33\nwait 100ms\n"
                                      "input 02 10 00 00 00\n"));
        startPanel(cPanelOptions::Window::Only);
        cHeadsetModel *model = m_panel->model();
        QTRY_COMPARE(model->headsets().size(), 1);
        QTRY_COMPARE(model->data(model->index(0, cHeadsetModel::KeyColumn)).toString(), QStringLiteral("G3"));
    }

    void unplugLeavesTheListWithOneNotification_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("notifications on") << true;
        QTest::newRow("notifications off") << false;
    }
    void unplugLeavesTheListWithOneNotification()
    {
        QFETCH(bool, enabled);
        if (!enabled)
            QVERIFY(writeFile(m_config, "[notifications]\nenabled=false\n"));
        startNotificationServer();
        startService(cServiceRun::headset() + QStringLiteral("wait 3s\nunplug\n"));
        // The headset is there before the panel: it is listed, not announced as plugged in.
        startPanel(cPanelOptions::Window::Only);
        QTRY_COMPARE(m_panel->model()->headsets().size(), 1);
        QTRY_COMPARE(m_panel->model()->rowCount(), 0);
        QTRY_COMPARE(notifications(QStringLiteral("unplugged")), int(enabled));
        QCOMPARE(notifications(QStringLiteral("Notify")), int(enabled));
        QCOMPARE(notificationLog().contains(QStringLiteral("desktop-entry")), enabled);
    }

    void serviceKilledAndStartedAgain()
    {
        startService(cServiceRun::headset());
        startPanel(cPanelOptions::Window::Hide);
        QTRY_COMPARE(m_panel->model()->headsets().size(), 1);
        QVERIFY(m_panel->tray()->toolTip().startsWith(
            cHeadsetModel::title(m_panel->model()->headsets().first())));

        m_service->stop(SIGKILL);
        QTRY_COMPARE(m_panel->window()->statusLabel()->text(), cPanelWindow::notRunningText());
        QCOMPARE(m_panel->tray()->toolTip(), cPanelWindow::notRunningText());
        QCOMPARE(m_panel->model()->rowCount(), 0);

        startService(cServiceRun::headset());
        QTRY_COMPARE(m_panel->model()->headsets().size(), 1);
        QCOMPARE(m_panel->model()->headsets().first()->path(), QLatin1String(HeadsetsClient::FirstHeadset));
        QVERIFY(!m_panel->window()->statusLabel()->text().contains(cHeadsetService::startCommand()));
    }

    void savedSettingsAreReloaded()
    {
        startService(cServiceRun::headset());
        startPanel(cPanelOptions::Window::Only);
        QTRY_VERIFY(m_panel->service()->isRunning());
        cCommandsEditor *editor = m_panel->window()->commandsEditor();
        type(editor->volumeStepBox(), QStringLiteral("9"));
        QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
        QTRY_COMPARE(editor->statusLabel()->text(), QStringLiteral("Saved; the service uses it now."));
        QSettings saved(m_config, QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("volume/step")).toInt(), 9);
    }

    void picturesWithAHeadset()
    {
        startService(cServiceRun::headset());
        startPanel(cPanelOptions::Window::Hide);
        QTRY_COMPARE(m_panel->model()->headsets().size(), 1);
        cPanelWindow *window = m_panel->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->resize(520, 640);
        QTRY_COMPARE(window->size(), QSize(520, 640));
        Q71_VERIFY_LOOKS_LIKE(window, "window-headset");
        Q71_VERIFY_LOOKS_LIKE(m_panel->tray()->menu(), "tray-headset");
    }

private:
    void startService(const QString &scenario)
    {
        m_service.reset(new cServiceRun);
        QVERIFY(m_service->start(m_bus->environment(), m_config, scenario));
        // The headset has started and reported its status; a host that stopped says why.
        QTRY_VERIFY2_WITH_TIMEOUT(property("MicLight") == QVariant(2u) || !m_service->isRunning(),
                                  qPrintable(m_service->errors()), 60000);
        QVERIFY2(m_service->isRunning(), qPrintable(m_service->errors()));
    }

    void startPanel(cPanelOptions::Window window)
    {
        m_panel.reset(new cPanel(m_bus->connection(), m_config));
        QString error;
        m_panel->start(window, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void startNotificationServer()
    {
        m_notifications.reset(new QProcess);
        m_notifications->setProcessEnvironment(m_bus->environment());
        m_notifications->setProcessChannelMode(QProcess::ForwardedChannels);
        m_notifications->start(QStringLiteral("/usr/bin/python3"),
                               {"-m", "dbusmock", "--template", "notification_daemon", "-l", logFile()});
        QVERIFY(m_notifications->waitForStarted(60000));
        QTRY_VERIFY_WITH_TIMEOUT(m_bus->connection().interface()->isServiceRegistered(
                                     QStringLiteral("org.freedesktop.Notifications")),
                                 60000);
    }

    QString logFile() const { return m_dir->filePath(QStringLiteral("notifications.log")); }

    QString notificationLog() const { return QString::fromUtf8(readFile(logFile())); }

    // The Notify calls the server has logged that hold `text`. A call on the panel's own
    // connection first: whatever the panel sent before it has reached the server, and been logged.
    int notifications(const QString &text)
    {
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("GetServerInformation"));
        m_bus->connection().call(ping);
        return int(notificationLog()
                       .split(QLatin1Char('\n'))
                       .filter(QStringLiteral(" Notify "))
                       .filter(text)
                       .size());
    }

    QVariant property(const char *name) { return HeadsetsClient::get(m_bus->connection(), name); }

    std::unique_ptr<cTestBus> m_bus;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_config;
    std::unique_ptr<cServiceRun> m_service;
    std::unique_ptr<QProcess> m_notifications;
    std::unique_ptr<cPanel> m_panel;
};

QTEST_MAIN(tst_PanelService)
#include "tst_panelservice.moc"
