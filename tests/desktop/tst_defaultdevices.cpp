#include "cDefaultDevices.h"

#include <QtTest>

namespace {

const cSoundCard g_card(QStringLiteral("/devices/pci0000:00/usb1/1-4/1-4:1.0/sound/card1"),
                        QStringLiteral("pci-0000:00:14.0-usb-0:4:1.0"));

// A server whose sinks are `sinks` ("headset" plays through g_card) with `current` the default,
// and no sources.
cSoundServerState server(const char *current, const QStringList &sinks)
{
    cSoundServerState state;
    state.defaultSink = QLatin1String(current);
    for (const QString &sink : sinks)
        state.sinks.append(
            {sink, sink == QLatin1String("headset") ? g_card.sysfsPath() : QString(), QString()});
    return state;
}

const QStringList g_two {"speakers", "headset"};
const QStringList g_three {"speakers", "monitor", "headset"};

// The changes as "take headset", "give back speakers", "leave speakers".
QStringList told(const QVector<cDefaultDevices::cChange> &changes)
{
    static const char *const actions[] = {"take", "give back", "leave"};
    QStringList lines;
    for (const cDefaultDevices::cChange &change : changes)
        lines << QLatin1String(actions[change.action]) + QLatin1Char(' ') + change.device;
    return lines;
}

// What the host tells once the server is read holding `current` default and `sinks`.
QStringList seen(cDefaultDevices &defaults, const char *current, const QStringList &sinks)
{
    return told(defaults.observe(server(current, sinks)));
}

// The headset pulled out, and what it gives back once the server is read again.
QStringList leaving(cDefaultDevices &defaults, const char *current, const QStringList &sinks)
{
    defaults.unplug(g_card);
    defaults.observe(server(current, sinks));
    return told(defaults.settle());
}

} // namespace

// Which defaults a headset takes and gives back, as the server's state unfolds; the live tests show
// the same against real servers, these the orders of events a test cannot bring about at will.
class tst_DefaultDevices : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_defaults = cDefaultDevices(); }
    void cardsMatchByWhicheverPropertyIsThere_data()
    {
        QTest::addColumn<QString>("sysfsPath");
        QTest::addColumn<QString>("busPath");
        QTest::addColumn<bool>("matches");
        const QString card = g_card.sysfsPath();
        // A sysfs.path of the card or of another starting alike, and the card's bus path, are
        // tst_livesound's (the volume's and the defaults' sinks).
        QTest::newRow("bus path as the card's /sys path")
            << QString() << QStringLiteral("/sys") + card << true;
        QTest::newRow("another bus path")
            << QString() << QStringLiteral("pci-0000:00:14.0-usb-0:5:1.0") << false;
        QTest::newRow("sysfs.path over the bus path") << card + QLatin1Char('0') << g_card.busPath() << false;
        QTest::newRow("neither") << QString() << QString() << false;
    }
    void cardsMatchByWhicheverPropertyIsThere()
    {
        QFETCH(QString, sysfsPath);
        QFETCH(QString, busPath);
        QFETCH(bool, matches);
        QCOMPARE(g_card.matches(sysfsPath, busPath), matches);
        // A card udev gave no bus path is matched by its sysfs path alone.
        QCOMPARE(cSoundCard(g_card.sysfsPath(), QString()).matches(QString(), QString()), false);
    }
    void aSinkWithoutCardPropertiesIsKnownByItsCard()
    {
        const cSoundDevice card {QStringLiteral("alsa_card.usb-Q71"), QString(), g_card.busPath()};
        const cSoundDevice bare {QStringLiteral("alsa_output.usb-Q71.analog-stereo"), QString(), QString()};
        const cSoundDevice known = bare.onCard(card);
        QCOMPARE(known.name, bare.name);
        QVERIFY(g_card.matches(known.sysfsPath, known.busPath));
        // A sink's own properties are the ones that count, and a sink without a card stays unknown.
        const cSoundDevice other {QStringLiteral("other"), g_card.sysfsPath() + QLatin1Char('0'), QString()};
        QVERIFY(!g_card.matches(other.onCard(card).sysfsPath, other.onCard(card).busPath));
        QVERIFY(!g_card.matches(bare.onCard(cSoundDevice()).sysfsPath, bare.onCard(cSoundDevice()).busPath));
    }
    void theServerPickingTheHeadsetItselfStillGivesBackTheEarlierDefault()
    {
        seen(m_defaults, "speakers", {"speakers"});
        m_defaults.plug(g_card);
        QCOMPARE(seen(m_defaults, "speakers", {"speakers"}), QStringList());
        // PipeWire makes a new sink the default when no default was chosen.
        QCOMPARE(seen(m_defaults, "headset", g_two), QStringList());
        QCOMPARE(leaving(m_defaults, "headset", g_two), QStringList {"give back speakers"});
    }
    void aDefaultSeenBeforeOursAppliesIsNotTheUsers()
    {
        m_defaults.plug(g_card);
        QCOMPARE(seen(m_defaults, "speakers", g_two), QStringList {"take headset"});
        // Read before the server had made the change.
        QCOMPARE(seen(m_defaults, "speakers", g_two), QStringList());
        QCOMPARE(seen(m_defaults, "headset", g_two), QStringList());
        QCOMPARE(leaving(m_defaults, "headset", g_two), QStringList {"give back speakers"});
    }
    void theServersStandInForAVanishedSinkIsNotTheUsers()
    {
        m_defaults.plug(g_card);
        seen(m_defaults, "speakers", g_three);
        seen(m_defaults, "headset", g_three);
        // The card left the server before the host heard of the unplug; the server fell back to a
        // sink of its own choosing.
        QCOMPARE(seen(m_defaults, "monitor", {"speakers", "monitor"}), QStringList());
        QCOMPARE(leaving(m_defaults, "monitor", {"speakers", "monitor"}), QStringList {"give back speakers"});
    }
    void theUsersChoiceIsToldOnceAndKept()
    {
        m_defaults.plug(g_card);
        seen(m_defaults, "speakers", g_three);
        seen(m_defaults, "headset", g_three);
        QCOMPARE(seen(m_defaults, "monitor", g_three), QStringList {"leave monitor"});
        QCOMPARE(seen(m_defaults, "speakers", g_three), QStringList());
        QCOMPARE(leaving(m_defaults, "speakers", g_three), QStringList());
        // Plugged in again, its sink already there, it takes the default at once, and gives back what
        // was in place then.
        seen(m_defaults, "monitor", g_three);
        m_defaults.plug(g_card);
        QCOMPARE(seen(m_defaults, "monitor", g_three), QStringList {"take headset"});
        seen(m_defaults, "headset", g_three);
        QCOMPARE(leaving(m_defaults, "headset", g_three), QStringList {"give back monitor"});
    }
    void anEarlierDefaultThatIsGoneIsNotGivenBack()
    {
        m_defaults.plug(g_card);
        seen(m_defaults, "speakers", g_two);
        seen(m_defaults, "headset", g_two);
        QCOMPARE(leaving(m_defaults, "headset", {"headset"}), QStringList());
    }
    // A server can fail to tell a connection that its default changed (PipeWire's protocol server in
    // Debian 12 does, now and then, while other clients come and go): what the headset gives back
    // rests on the server read after it left.
    void whatTheServerNeverToldIsJudgedOnItsStateAfterTheUnplug()
    {
        m_defaults.plug(g_card);
        QCOMPARE(seen(m_defaults, "speakers", g_three), QStringList {"take headset"});
        // The headset's default was never told; read afresh, it is there.
        QCOMPARE(leaving(m_defaults, "headset", g_three), QStringList {"give back speakers"});

        // The user's choice of the monitor was never told either: it stays, said once.
        m_defaults.plug(g_card);
        QCOMPARE(seen(m_defaults, "speakers", g_three), QStringList {"take headset"});
        seen(m_defaults, "headset", g_three);
        QCOMPARE(leaving(m_defaults, "monitor", g_three), QStringList {"leave monitor"});
        QVERIFY(m_defaults.isSettled());
        QCOMPARE(told(m_defaults.settle()), QStringList());

        // Nor was the earlier default given back: the headset plugged in again decides on the server
        // read after it came, not on the headset's default the connection still believes in.
        seen(m_defaults, "headset", g_three);
        m_defaults.plug(g_card);
        QCOMPARE(seen(m_defaults, "monitor", g_three), QStringList {"take headset"});
        seen(m_defaults, "headset", g_three);
        QCOMPARE(leaving(m_defaults, "headset", g_three), QStringList {"give back monitor"});
    }
    // Plugged in again before the server was read after the unplug, the headset keeps its defaults, and
    // gives them back when it leaves for good.
    void aHeadsetBackBeforeItsUnplugIsSettledKeepsItsDefaults()
    {
        m_defaults.plug(g_card);
        seen(m_defaults, "speakers", g_two);
        seen(m_defaults, "headset", g_two);
        m_defaults.unplug(g_card);
        QVERIFY(!m_defaults.isSettled());
        m_defaults.plug(g_card);
        QVERIFY(m_defaults.isSettled());
        QCOMPARE(seen(m_defaults, "headset", g_two), QStringList());
        QCOMPARE(told(m_defaults.settle()), QStringList());
        QCOMPARE(leaving(m_defaults, "headset", g_two), QStringList {"give back speakers"});
    }

private:
    cDefaultDevices m_defaults;
};

QTEST_GUILESS_MAIN(tst_DefaultDevices)
#include "tst_defaultdevices.moc"
