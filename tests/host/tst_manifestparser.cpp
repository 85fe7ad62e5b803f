#include "IServiceMgr.h"
#include "cDevMgrLowService.h"
#include "cHostMetaTypes.h"
#include "cHostServices.h"
#include "cTransportFactory.h"

#include <QDomDocument>
#include <QFile>
#include <QtTest>

namespace {
QDomElement deviceElement(QDomDocument &document, const QString &xml)
{
    document.setContent(xml);
    return document.documentElement();
}
} // namespace

class tst_ManifestParser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void nullElementGivesEmptyValue();
    void reachableByNameWithTheProxysTags();
    void shippedManifestMatchesOnlyTheHeadsetsTransports_data();
    void shippedManifestMatchesOnlyTheHeadsetsTransports();

private:
    cDevMgrLowService m_service;
};

void tst_ManifestParser::initTestCase()
{
    registerHostMetaTypes();
}

void tst_ManifestParser::parse_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("one probe of each kind")
        << R"(<device model="Q71" name="Q71 Gaming Headset"><profiler category="Headset"/>
              <hid_probe vendor_id="0x1209" product_id="0x0001" interface="3"/>
              <audio_render_probe vendor_id="0x1209" product_id="0x0001" endpoint="render"/>
              <audio_capture_probe vendor_id="0x1209" product_id="0x0001" endpoint="capture"/></device>)"
        << QByteArray(R"({"model":"Q71","name":"Q71 Gaming Headset",
              "hid_probe":[{"vendor_id":4617,"product_id":1,"interface":3}],
              "audio_render_probe":[{"vendor_id":4617,"product_id":1,"endpoint":"render"}],
              "audio_capture_probe":[{"vendor_id":4617,"product_id":1,"endpoint":"capture"}]})");

    QTest::newRow("several entries keep document order across other elements")
        << R"(<device model="M" name="N"><hid_probe n="1"/><audio_render_probe b="x"/>
              <hid_probe n="2"/><audio_capture_probe c="y"/><hid_probe n="3"/></device>)"
        << QByteArray(R"({"model":"M","name":"N","hid_probe":[{"n":1},{"n":2},{"n":3}],
              "audio_render_probe":[{"b":"x"}],"audio_capture_probe":[{"c":"y"}]})");

    QTest::newRow("numbers and strings")
        << R"(<device model="M" name="N"><hid_probe dec="42" neg="-7" hex="0xff" upper="0XFF" zero="0"
              lead="007" space=" 3" suffix="3a" bare="0x" nothex="0x1g" word="render" empty=""
              big="99999999999"/></device>)"
        << QByteArray(R"({"model":"M","name":"N","hid_probe":[{"dec":42,"neg":-7,"hex":255,"upper":255,
              "zero":0,"lead":7,"space":" 3","suffix":"3a","bare":"0x","nothex":"0x1g","word":"render",
              "empty":"","big":99999999999}],"audio_render_probe":[],"audio_capture_probe":[]})");

    QTest::newRow("no probes and no name")
        << R"(<device model="Q71"/>)"
        << QByteArray(R"({"model":"Q71","name":"","hid_probe":[],"audio_render_probe":[],
              "audio_capture_probe":[]})");

    QTest::newRow("only direct children are probes, an empty one is an empty object")
        << R"(<device model="M" name="N"><group><hid_probe n="1"/></group><audio_render_probe/>
              <hid_probe_extra n="2"/></device>)"
        << QByteArray(R"({"model":"M","name":"N","hid_probe":[],"audio_render_probe":[{}],
              "audio_capture_probe":[]})");
}

void tst_ManifestParser::parse()
{
    QFETCH(QString, xml);
    QFETCH(QByteArray, expected);

    QDomDocument document;
    const cJsonValue info = m_service.parseManifest(deviceElement(document, xml));
    QString error;
    const cJsonValue want = cJsonValue::fromJson(expected, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(info == want, info.toJson().constData());
}

void tst_ManifestParser::nullElementGivesEmptyValue()
{
    QCOMPARE(m_service.parseManifest(QDomElement()).type(), cJsonValue::Empty);
}

// The plugin calls with the argument tagged "const QDomElement" and the result "cJsonValue".
void tst_ManifestParser::reachableByNameWithTheProxysTags()
{
    cHostServices services;
    services.registerAll();

    QDomDocument document;
    const QDomElement device
        = deviceElement(document, R"(<device model="Q71" name="X"><hid_probe a="0x10"/></device>)");
    cJsonValue result;
    const bool ok = IServiceMgr::instance()->callService(
        cHostServices::name(cHostServices::DevMgr), QStringLiteral("parseManifest"),
        QGenericReturnArgument("cJsonValue", &result), QGenericArgument("const QDomElement", &device));
    QVERIFY(ok);
    QCOMPARE(result["model"].toString(), QStringLiteral("Q71"));
    QCOMPARE(result["hid_probe"][0]["a"], cJsonValue(16));
}

void tst_ManifestParser::shippedManifestMatchesOnlyTheHeadsetsTransports_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("hid") << int(TransportKind::Hid);
    QTest::newRow("render") << int(TransportKind::Render);
    QTest::newRow("capture") << int(TransportKind::Capture);
}

void tst_ManifestParser::shippedManifestMatchesOnlyTheHeadsetsTransports()
{
    QFETCH(int, kind);
    const auto transportKind = TransportKind::TransportKind_t(kind);
    const char *key = cTransportFactory::probeKey(transportKind);

    QFile file(QStringLiteral(Q71_SHIPPED_MANIFEST));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QDomDocument document;
    QVERIFY(document.setContent(&file));
    const cJsonValue info
        = m_service.parseManifest(document.documentElement().firstChildElement(QStringLiteral("device")));
    const cJsonValue probe = info[key][0];
    QCOMPARE(probe.type(), cJsonValue::Object);

    QVERIFY(probe.containedIn(cTransportFactory::headsetInfo(transportKind, 1)[key]));
    QVERIFY(probe.containedIn(cTransportFactory::headsetInfo(transportKind, 2)[key]));
    QVERIFY(!probe.containedIn(cTransportFactory::foreignInfo(transportKind, 1)[key]));
    QVERIFY(cTransportFactory::headsetInfo(transportKind, 1)["uid"]
            != cTransportFactory::headsetInfo(transportKind, 2)["uid"]);
}

QTEST_GUILESS_MAIN(tst_ManifestParser)
#include "tst_manifestparser.moc"
