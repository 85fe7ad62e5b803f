// The panel on a real X server without the service: what it says, where it shows itself, and
// the window and tray menu as pictures held to the committed ones.
#include "cScreenshot.h"
#include "cTestBus.h"

#include "cHeadsetService.h"
#include "cPanel.h"
#include "cPanelTray.h"
#include "cPanelWindow.h"

#include <QtTest>
#include <QtWidgets>

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

    void everyControlIsReachedWithTabAndNamed()
    {
        cPanel panel(m_bus.connection(), m_dir.filePath(QStringLiteral("q71.conf")));
        QString error;
        panel.start(cPanelOptions::Window::Only, &error);
        QVERIFY(!panel.tray());
        cPanelWindow *window = panel.window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QSet<QWidget *> controls;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            // A spin box's own line edit is a part of it, not a control.
            const bool part = qobject_cast<QAbstractSpinBox *>(widget->parentWidget());
            if (!part && widget->isVisibleTo(window) && widget->isEnabled()
                && (widget->focusPolicy() & Qt::TabFocus))
                controls.insert(widget);
        }
        QVERIFY(controls.size() >= 12);
        window->headsetTable()->setFocus();
        QSet<QWidget *> reached;
        for (int presses = 0; presses < 2 * controls.size() && !reached.contains(QApplication::focusWidget());
             ++presses) {
            reached.insert(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(reached, controls);
        for (QWidget *control : controls)
            QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
    }

    // The status line says the service is not running and how to start it. Started hidden: Xvfb
    // has no tray, and the panel would otherwise be out of reach.
    void picturesWithoutService()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        cPanel panel(m_bus.connection(), m_dir.filePath(QStringLiteral("q71.conf")));
        QString error;
        panel.start(cPanelOptions::Window::Hide, &error);
        QVERIFY(QTest::qWaitForWindowExposed(panel.window()));
        // Sized once shown: a size set before, the X server's first configure may undo.
        panel.window()->resize(g_windowSize);
        QTRY_COMPARE(panel.window()->size(), g_windowSize);
        QTRY_VERIFY(!panel.service()->isRunning());
        QVERIFY(panel.tray()->toolTip().contains(cHeadsetService::startCommand()));
        Q71_VERIFY_LOOKS_LIKE(panel.window(), "window-no-service");
        Q71_VERIFY_LOOKS_LIKE(panel.tray()->menu(), "tray-no-service");
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
