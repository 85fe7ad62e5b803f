#include "cDesktop.h"
#include "cDesktopConfig.h"

#include <QTemporaryDir>
#include <QtTest>

#include <optional>

// Where the volume step of a run comes from: the command line over the configuration file over the
// default, each one only when it is given, and only a whole percentage from 1 to 100 is one.
class tst_Desktop : public QObject
{
    Q_OBJECT
private slots:
    void resolvesTheVolumeStep_data();
    void resolvesTheVolumeStep();
    void takesWholePercentagesOnly_data();
    void takesWholePercentagesOnly();

private:
    QTemporaryDir m_dir;
};

void tst_Desktop::resolvesTheVolumeStep_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<int>("option"); // 0: not given
    QTest::addColumn<int>("step");

    QTest::newRow("nothing given") << QByteArray() << 0 << int(cDesktopConfig::DefaultVolumeStep);
    QTest::newRow("a file without one")
        << QByteArray("[actions]\ndolby.on=true\n") << 0 << int(cDesktopConfig::DefaultVolumeStep);
    QTest::newRow("the file's") << QByteArray("[volume]\nstep=20\n") << 0 << 20;
    QTest::newRow("the option over the file's") << QByteArray("[volume]\nstep=20\n") << 10 << 10;
    QTest::newRow("the option without a file") << QByteArray() << 1 << 1;
}

void tst_Desktop::resolvesTheVolumeStep()
{
    QFETCH(QByteArray, file);
    QFETCH(int, option);
    QFETCH(int, step);

    const QString path
        = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".conf"));
    if (!file.isEmpty()) {
        QFile written(path);
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write(file);
    }
    cDesktopConfig config;
    QString error;
    QVERIFY2(config.open(path, false, &error), qPrintable(error));
    QCOMPARE(cDesktop::volumeStep(option ? std::optional<int>(option) : std::nullopt, config), step);
}

void tst_Desktop::takesWholePercentagesOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("percent"); // 0: none

    QTest::newRow("lowest") << QStringLiteral("1") << 1;
    QTest::newRow("highest") << QStringLiteral("100") << 100;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("beyond") << QStringLiteral("101") << 0;
    QTest::newRow("negative") << QStringLiteral("-5") << 0;
    QTest::newRow("with a unit") << QStringLiteral("5%") << 0;
    QTest::newRow("a fraction") << QStringLiteral("2.5") << 0;
    QTest::newRow("empty") << QString() << 0;
}

void tst_Desktop::takesWholePercentagesOnly()
{
    QFETCH(QString, text);
    QFETCH(int, percent);

    const std::optional<int> parsed = cDesktopConfig::percent(text);
    QCOMPARE(parsed.has_value(), percent != 0);
    if (parsed)
        QCOMPARE(*parsed, percent);
}

QTEST_GUILESS_MAIN(tst_Desktop)
#include "tst_desktop.moc"
