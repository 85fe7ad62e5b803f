// Brask::FileReadDom with alias and plain paths, the locale override, and cLog's output.
#include "Brask.h"
#include "NexaroHost.h"
#include "cLog.h"
#include "cToolRun.h"

#include <QDomDocument>
#include <QtTest>

struct cLogged
{
    QtMsgType type;
    QString category;
    QString text;
};
static QList<cLogged> g_logged;
static void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    g_logged.append({type, QString::fromUtf8(context.category), text});
}

class tst_NexaroFiles : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    void write(const QString &relativePath, const QByteArray &content)
    {
        const QString path = m_dir.filePath(relativePath);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()) && writeFile(path, content));
    }
    // A path that begins like "C:/" and is no alias's: a relative directory named like a drive
    // where drives do not exist, and where they do (Windows), a file on a real drive.
    QString drivePath() const
    {
#ifdef Q_OS_WIN
        return m_dir.filePath("drive.xml");
#else
        return "C:/drive.xml";
#endif
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QByteArray manifest = R"(<manifest xmlns="urn:q71"><device model="Q71"/></manifest>)";
        write("plugins/Device_Manifest.xml", manifest);
#ifdef Q_OS_WIN
        write("drive.xml", manifest);
        QCOMPARE(drivePath().mid(1, 2), QStringLiteral(":/"));
#else
        write(drivePath(), manifest);
        write("Q72:Device_Manifest.xml", manifest); // a file named like an alias path
#endif
        QVERIFY(QDir::setCurrent(m_dir.path()));
        Nexaro::registerAliasDirectory("Q71", m_dir.filePath("plugins"));
    }

    // Windows keeps a folder that is some program's current one.
    void cleanupTestCase()
    {
        QDir::setCurrent(QDir::tempPath());
    }

    void fileReadDom_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("ok");
        QTest::newRow("alias") << "Q71:Device_Manifest.xml" << true;
        QTest::newRow("absolute") << m_dir.filePath("plugins/Device_Manifest.xml") << true;
        QTest::newRow("drive without alias") << drivePath() << true;
#ifndef Q_OS_WIN
        QTest::newRow("unknown alias is a path") << "Q72:Device_Manifest.xml" << true;
#endif
        QTest::newRow("missing") << "Q71:Missing.xml" << false;
    }
    void fileReadDom()
    {
        QFETCH(QString, path);
        QFETCH(bool, ok);
        QDomDocument document;
        QVERIFY(document.setContent(QByteArray("<stale/>")));
        QCOMPARE(Brask::FileReadDom(path, document, true), ok);
        QCOMPARE(document.documentElement().tagName(), ok ? QStringLiteral("manifest") : QString());
        QCOMPARE(document.documentElement().namespaceURI(), ok ? QStringLiteral("urn:q71") : QString());
    }

    void namespaceProcessingFlag()
    {
        QDomDocument document;
        QVERIFY(Brask::FileReadDom("Q71:Device_Manifest.xml", document, false));
        QCOMPARE(document.documentElement().namespaceURI(), QString());

        // Once the drive's letter names an alias, the same path means a file of that alias.
        const QString drive = drivePath().left(1);
        Nexaro::registerAliasDirectory(drive, m_dir.filePath("plugins"));
#ifndef Q_OS_WIN
        // (On Windows the alias's folder joined with "/..." is that path on the current drive: the
        // same file.)
        QVERIFY(!Brask::FileReadDom(drivePath(), document, true));
#endif
        QVERIFY(Brask::FileReadDom(drive + ":Device_Manifest.xml", document, true));
        Nexaro::unregisterAliasDirectory(drive);
        QVERIFY(Brask::FileReadDom(drivePath(), document, true));
    }

    void localeOverride()
    {
        Nexaro::setLocaleOverride("xx-YY");
        QCOMPARE(Brask::currentLocale(), QStringLiteral("xx-YY"));
        Nexaro::setLocaleOverride(QString());
        QVERIFY(Brask::currentLocale() != QLatin1String("xx-YY"));
        QVERIFY(!Brask::currentLocale().contains(QLatin1Char('_')));
    }

    void logThresholdAndCategory()
    {
        g_logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
        cLog().write(cLog::Debug, "below the default threshold");
        cLog().write(cLog::Info, "by default");
        const cLog log("q71.plugin", cLog::Warning);
        log.write(cLog::Info, "below the threshold");
        log.write(cLog::Critical, "written");
        qInstallMessageHandler(previous);
        QCOMPARE(g_logged.size(), 2);
        QCOMPARE(g_logged.at(0).category + ' ' + g_logged.at(0).text, QStringLiteral("nexaro by default"));
        QCOMPARE(g_logged.at(1).category + ' ' + g_logged.at(1).text, QStringLiteral("q71.plugin written"));
        QCOMPARE(g_logged.at(1).type, QtCriticalMsg);
    }
};

QTEST_GUILESS_MAIN(tst_NexaroFiles)
#include "tst_nexaro_files.moc"
