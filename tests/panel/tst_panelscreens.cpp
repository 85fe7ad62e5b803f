// The panel on a real X server without the service: what it says, where it shows itself, and
// the window and tray menu as pictures held to the committed ones.
#include "cScreenshot.h"
#include "cTestBus.h"

#include "cHeadsetService.h"
#include "cPanel.h"
#include "cPanelTray.h"
#include "cPanelWindow.h"

#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtTest>

class tst_PanelScreens : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cScreenshot::setUp();
        QVERIFY(m_bus.start());
        QVERIFY(m_dir.isValid());
    }

    void noServiceIsSaidWithTheCommandThatStartsIt()
    {
        cPanel panel(m_bus.connection(), m_dir.filePath(QStringLiteral("q71.conf")));
        QString error;
        panel.start(cPanelOptions::Window::Show, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // The service is looked for once; the answer that it is not there leaves the text as it is.
        QTRY_VERIFY(panel.window()->statusLabel()->text().contains(cHeadsetService::startCommand()));
        QVERIFY(panel.tray()->toolTip().contains(cHeadsetService::startCommand()));
        QVERIFY(!panel.service()->isRunning());
    }

    void withoutTrayTheWindowOpensInstead()
    {
        // Xvfb has no tray; the panel would otherwise be out of reach when started hidden.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        cPanel hidden(m_bus.connection(), m_dir.filePath(QStringLiteral("q71.conf")));
        QString error;
        hidden.start(cPanelOptions::Window::Hide, &error);
        QVERIFY(QTest::qWaitForWindowExposed(hidden.window()));

        cPanel only(m_bus.connection(), m_dir.filePath(QStringLiteral("q71.conf")));
        only.start(cPanelOptions::Window::Only, &error);
        QVERIFY(!only.tray());
        QVERIFY(QTest::qWaitForWindowExposed(only.window()));
    }

    void windowWithoutService()
    {
        cPanel panel(m_bus.connection(), m_dir.filePath(QStringLiteral("q71.conf")));
        QString error;
        panel.start(cPanelOptions::Window::Only, &error);
        panel.window()->resize(g_windowSize);
        QVERIFY(QTest::qWaitForWindowExposed(panel.window()));
        QTRY_VERIFY(!panel.service()->isRunning());
        const QString problem = cScreenshot::compare(panel.window(), QStringLiteral(Q71_GOLDEN_DIR),
                                                     QStringLiteral(Q71_OUTPUT_DIR), QStringLiteral("window-no-service"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void trayMenuWithoutService()
    {
        cPanel panel(m_bus.connection(), m_dir.filePath(QStringLiteral("q71.conf")));
        QString error;
        panel.start(cPanelOptions::Window::Hide, &error);
        QMenu *menu = panel.tray()->menu();
        menu->resize(menu->sizeHint());
        const QString problem = cScreenshot::compare(menu, QStringLiteral(Q71_GOLDEN_DIR),
                                                     QStringLiteral(Q71_OUTPUT_DIR), QStringLiteral("tray-no-service"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void differenceIsWhatTheEyeSees()
    {
        // A changed glyph is a difference; a channel moved by a few counts (anti-aliasing) is not.
        QLabel label(QStringLiteral("Q71"));
        label.resize(80, 24);
        const QImage before = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
        label.setText(QStringLiteral("Q72"));
        const QImage after = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage difference;
        QVERIFY(cScreenshot::differ(before, after, &difference) > 0);
        QCOMPARE(difference.pixelColor(difference.width() - 1, 0), QColor(Qt::white));
        QImage nearly = before;
        const QColor pixel = nearly.pixelColor(0, 0);
        nearly.setPixelColor(0, 0, QColor(qMax(pixel.red() - 10, 0), pixel.green(), pixel.blue()));
        QCOMPARE(cScreenshot::differ(before, nearly, &difference), 0);
    }

private:
    static constexpr QSize g_windowSize {520, 640};
    cTestBus m_bus;
    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_PanelScreens)
#include "tst_panelscreens.moc"
