#include "cDevMgrLowService.h"

#include <QDomDocument>
#include <QtTest>

// The shipped manifest goes through parseManifest, by name, whenever the plugin tests load the
// real plugin; these rows are the forms it does not use: ids in every spelling, repeated and
// nested probes, missing parts.
class tst_ManifestParser : public QObject
{
    Q_OBJECT
private:
    cDevMgrLowService m_service;

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QByteArray>("expected"); // empty: an empty value

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

        QTest::newRow("no name, only direct children are probes, an empty one is an empty object")
            << R"(<device model="M"><group><hid_probe n="1"/></group><audio_render_probe/>
              <hid_probe_extra n="2"/></device>)"
            << QByteArray(R"({"model":"M","name":"","hid_probe":[],"audio_render_probe":[{}],
              "audio_capture_probe":[]})");

        QTest::newRow("no element") << QString() << QByteArray();
    }

    void parse()
    {
        QFETCH(QString, xml);
        QFETCH(QByteArray, expected);

        QDomDocument document;
        document.setContent(xml);
        const cJsonValue info = m_service.parseManifest(document.documentElement());
        QString error;
        const cJsonValue want = expected.isEmpty() ? cJsonValue() : cJsonValue::fromJson(expected, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(info.type(), want.type());
        QVERIFY2(info == want, info.toJson().constData());
    }
};

QTEST_GUILESS_MAIN(tst_ManifestParser)

#include "tst_manifestparser.moc"
