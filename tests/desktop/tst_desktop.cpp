#include "cDesktop.h"
#include "cDesktopConfig.h"
#include "cToolRun.h"

#include <QtTest>

#include <optional>

// Where the volume step of a run comes from: the command line over the configuration file over the
// default, each one only when it is given. What is no whole percentage from 1 to 100 is refused
// before a run (tst_desktopconfig, and tst_emulator for the option).
class tst_Desktop : public QObject
{
    Q_OBJECT
private slots:
    void resolvesTheVolumeStep_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<int>("option"); // 0: not given
        QTest::addColumn<int>("step");

        QTest::newRow("nothing given") << QByteArray() << 0 << int(cDesktopConfig::DefaultVolumeStep);
        QTest::newRow("a file without one")
            << QByteArray("[actions]\ndolby.on=true\n") << 0 << int(cDesktopConfig::DefaultVolumeStep);
        QTest::newRow("the file's highest") << QByteArray("[volume]\nstep=100\n") << 0 << 100;
        QTest::newRow("the file's lowest") << QByteArray("[volume]\nstep=1\n") << 0 << 1;
        QTest::newRow("the option over the file's") << QByteArray("[volume]\nstep=20\n") << 10 << 10;
        QTest::newRow("the option without a file") << QByteArray() << 1 << 1;
    }
    void resolvesTheVolumeStep()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, option);
        QFETCH(int, step);

        const QString path
            = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".conf"));
        QVERIFY(file.isEmpty() || writeFile(path, file));
        cDesktopConfig config;
        QString error;
        QVERIFY2(config.open(path, false, &error), qPrintable(error));
        QCOMPARE(cDesktop::volumeStep(option ? std::optional<int>(option) : std::nullopt, config), step);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_Desktop)
#include "tst_desktop.moc"
