// Brask::FileReadDom with alias and plain paths, the locale override, and cLog's output.
#include "Brask.h"
#include "NexaroHost.h"
#include "cLog.h"

#include <QDir>
#include <QDomDocument>
#include <QTemporaryDir>
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
        QFile file(m_dir.filePath(relativePath));
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QByteArray manifest = R"(<manifest xmlns="urn:q71"><device model="Q71"/></manifest>)";
        write("plugins/Device_Manifest.xml", manifest);
        write("C:/drive.xml", manifest); // a relative directory named like a drive
        write("Q72:Device_Manifest.xml", manifest); // a file named like an alias path
        QVERIFY(QDir::setCurrent(m_dir.path()));
        Nexaro::registerAliasDirectory("Q71", m_dir.filePath("plugins"));
    }

    void fileReadDom_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("ok");
        QTest::newRow("alias") << "Q71:Device_Manifest.xml" << true;
        QTest::newRow("absolute") << m_dir.filePath("plugins/Device_Manifest.xml") << true;
        QTest::newRow("drive without alias") << "C:/drive.xml" << true;
        QTest::newRow("unknown alias is a path") << "Q72:Device_Manifest.xml" << true;
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

        // Once "C" names an alias, the same path means a file of that alias.
        Nexaro::registerAliasDirectory("C", m_dir.filePath("plugins"));
        QVERIFY(!Brask::FileReadDom("C:/drive.xml", document, true));
        QVERIFY(Brask::FileReadDom("C:Device_Manifest.xml", document, true));
        Nexaro::unregisterAliasDirectory("C");
        QVERIFY(Brask::FileReadDom("C:/drive.xml", document, true));
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
        const cLog log(QStringLiteral("q71.plugin"), cLog::Warning);
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
