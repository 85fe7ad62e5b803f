#include "Brask.h"
#include "IServiceMgr.h"
#include "cPluginLoader.h"

#include <QDomDocument>
#include <QtTest>

// What the probe fixture reports through "Fixture_Events".
class cFixtureEvents : public QObject
{
    Q_OBJECT
public:
    // The alias, the directory, the log category, the host's version and the manifest's root.
    Q_INVOKABLE void onInitialized(const QStringList &seen) { initialized << seen; }
    Q_INVOKABLE void onShutdown() { ++shutdowns; }

    QList<QStringList> initialized;
    int shutdowns = 0;
};

class tst_PluginLoader : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_files;

private slots:
    void initTestCase()
    {
        // A plugin cut short, as an interrupted copy leaves it: the system loader would map pages past
        // its end and die of SIGBUS.
        QFile plugin(QStringLiteral(Q71_PLUGIN_FILE));
        QVERIFY(plugin.open(QIODevice::ReadOnly));
        QFile truncated(m_files.filePath("truncated.so"));
        QVERIFY(truncated.open(QIODevice::WriteOnly));
        QVERIFY(truncated.write(plugin.read(plugin.size() / 2)) > 0);
        QFile text(m_files.filePath("text.so"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("#!/bin/sh\n") > 0);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");

        const auto row = [](const char *name, const QString &file, const char *reason) {
            QTest::newRow(name) << file << QString::fromLatin1(reason);
        };
        row("missing file", Q71_FIXTURE_DIR "/no_such_plugin.so", ""); // the system loader says why
        row("no entrypoint", Q71_FIXTURE_NOENTRY, "it exports no function 'entrypoint'");
        row("no plugin object", Q71_FIXTURE_NULLENTRY, "'entrypoint' returned no plugin object");
        row("entrypoint is data", Q71_FIXTURE_DATAENTRY, "'entrypoint' is not a function");
#ifdef Q_OS_WIN
        // Windows' loader checks the image itself, and says why in its own words.
        row("not a library", m_files.filePath("text.so"), "");
        row("truncated", m_files.filePath("truncated.so"), "");
#else
        row("not a library", m_files.filePath("text.so"), "it is not a shared library (no ELF header)");
        row("truncated", m_files.filePath("truncated.so"), "the file is truncated: it has ");
#endif
    }

    void failures()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);

        cPluginLoader loader;
        QVERIFY(!loader.load(file));
        const QString prefix = QStringLiteral("Cannot load plugin '%1': ").arg(file);
        QVERIFY2(loader.errorString().startsWith(prefix + reason)
                     && loader.errorString().size() > prefix.size(),
                 qPrintable(loader.errorString()));
    }

    void aliasResolvesBeforeInitialize()
    {
        cFixtureEvents events;
        QVERIFY(IServiceMgr::instance()->subscribeEvents("Fixture_Events", &events, "on"));
        const QString file = QStringLiteral(Q71_FIXTURE_PROBE);

        cPluginLoader loader;
        QVERIFY2(loader.load(file, QStringLiteral("FixtureAlias")), qPrintable(loader.errorString()));
        QCOMPARE(events.initialized.size(), 1);
        QStringList seen = events.initialized.constFirst();
        QVERIFY(!seen.takeAt(3).isEmpty()); // the host's version
        QCOMPARE(seen,
                 QStringList(
                     {"FixtureAlias", QFileInfo(file).absolutePath(), "q71.plugin.FixtureAlias", "fixture"}));

        // A second load through the same loader would initialise the plugin twice.
        QVERIFY(!loader.load(file, "FixtureAlias"));
        QCOMPARE(events.initialized.size(), 1);

        loader.shutdown();
        QCOMPARE(events.shutdowns, 1);
        QVERIFY(!loader.isLoaded());
        QDomDocument document;
        QVERIFY(!Brask::FileReadDom("FixtureAlias:Fixture_Manifest.xml", document, true));
        loader.shutdown();
        QCOMPARE(events.shutdowns, 1);

        IServiceMgr::instance()->unsubscribeEvents("Fixture_Events", &events);
    }
};

QTEST_GUILESS_MAIN(tst_PluginLoader)

#include "tst_pluginloader.moc"
