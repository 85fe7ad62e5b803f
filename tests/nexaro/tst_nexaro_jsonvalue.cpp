// cJsonValue: shared data, access that creates, containment, JSON text and text of each kind.
#include "cJsonValue.h"

#include <QtTest>

#include <utility>

static cJsonValue json(const QByteArray &text)
{
    QString error;
    const cJsonValue value = cJsonValue::fromJson(text, &error);
    if (!error.isEmpty())
        qFatal("bad test data %s: %s", text.constData(), qPrintable(error));
    return value;
}

char *toString(const cJsonValue &value)
{
    return qstrdup(value.toJson().constData());
}

class tst_NexaroJsonValue : public QObject
{
    Q_OBJECT
private slots:
    void sharingAndAccess()
    {
        cJsonValue info;
        info["model"] = "Q71";
        info["probe"]["ids"][2] = cJsonValue(7);
        QCOMPARE(info.type(), cJsonValue::Object);
        QCOMPARE(std::as_const(info)["probe"]["ids"].size(), 3);
        QVERIFY(std::as_const(info)["probe"]["ids"][0].isEmpty());

        const cJsonValue copy = info;
        info["model"] = "other";
        info["probe"]["ids"][0] = cJsonValue(1);
        QCOMPARE(copy["model"].toString(), QStringLiteral("Q71"));
        QVERIFY(copy["probe"]["ids"][0].isEmpty());
        QCOMPARE(copy, json(R"({"model":"Q71","probe":{"ids":[null,null,7]}})"));

        // The const forms never create; the mutable ones do, turning other kinds into containers.
        QVERIFY(copy["missing"]["deeper"].isEmpty());
        QVERIFY(copy[5].isEmpty());
        QVERIFY(!copy.contains("missing"));
        cJsonValue text("text");
        text["key"] = cJsonValue(true);
        QCOMPARE(text, json(R"({"key":true})"));
        text[1] = "x";
        QCOMPARE(text, json(R"([null,"x"])"));
        text[-1] = "scratch";
        QCOMPARE(text.size(), 2);

        cJsonValue moved = std::move(text);
        QCOMPARE(moved.size(), 2);
        text["reused"] = cJsonValue(1); // a moved-from value is still a value
        QCOMPARE(text.keys(), QStringList({"reused"}));
    }

    void containment_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("whole");
        QTest::addColumn<bool>("contained");
        const auto row = [](const char *part, const char *whole, bool contained) {
            QTest::addRow("%s in %s", part, whole) << part << whole << contained;
        };
        row(R"({"vid":1133,"pid":2609})", R"({"pid":2609,"vid":1133,"usage":1})", true);
        row(R"({"vid":1133,"pid":2609})", R"({"vid":1133})", false);
        row(R"({"vid":1133})", R"({"vid":"1133"})", false);
        row(R"({"vid":1133})", R"({"vid":1133.0})", true);
        row(R"({"hid":{"usage":1}})", R"({"hid":{"usage":1,"page":12},"x":0})", true);
        row(R"({"hid":{"usage":1}})", R"({"usage":1})", false);
        row("{}", R"({"a":1})", true);
        row("{}", "[]", false);
        row("[]", "[1]", true);
        row("[1,1]", "[2,1]", true);
        row("[1,3]", "[2,1]", false);
        row(R"([{"a":1}])", R"([{"a":1,"b":2},3])", true);
        row("[[1]]", "[[2,1],3]", true);
        row("[1]", "[[1]]", false); // nested: structures must match
        row(R"({"a":1})", R"({"a":[1,2]})", false);
        row(R"("render")", R"(["capture","render"])", true); // a bare scalar in a top-level array
        row(R"("render")", R"([["render"]])", false);
        row("4617", "4617", true);
        row("true", R"("true")", false);
        row("1", R"({"a":1})", false);
        row("null", "null", false); // an empty value is contained in nothing
        row(R"({"a":null})", R"({"a":null})", false);
    }
    void containment()
    {
        QFETCH(QString, part);
        QFETCH(QString, whole);
        QFETCH(bool, contained);
        QCOMPARE(json(part.toUtf8()).containedIn(json(whole.toUtf8())), contained);
    }

    void jsonText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("written"); // compact, keys sorted; empty when malformed
        QTest::addColumn<QString>("error");
        const auto row = [](const char *name, const char *text, const char *written, const char *error) {
            QTest::newRow(name) << QByteArray(text) << QByteArray(written) << QString(error);
        };
        row("object", R"( {"b":[1,2.5,"x",true,null], "a":{}} )", R"({"a":{},"b":[1,2.5,"x",true,null]})",
            "");
        row("array", "[[],{}]", "[[],{}]", "");
        row("number", " 4617 ", "4617", "");
        row("string", "\"a\\\"b\"", "\"a\\\"b\"", "");
        row("bool", "false", "false", "");
        row("null", "null", "null", "");
        row("cut short", R"({"a":1)", "", "malformed JSON at offset 6: invalid termination by number");
        row("trailing comma", "[1,]", "", "malformed JSON at offset 4: object is missing after a comma");
        row("bare word", "nul", "", "malformed JSON at offset 1: illegal value");
        row("two values", "1,2", "", "malformed JSON: more than one value");
        row("nothing", " ", "", "malformed JSON: no value");
    }
    void jsonText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, written);
        QFETCH(QString, error);
        QString message = "stale";
        const cJsonValue value = cJsonValue::fromJson(text, &message);
        QCOMPARE(message, error);
        QCOMPARE(value.isEmpty(), !error.isEmpty() || written == "null");
        if (error.isEmpty()) {
            QCOMPARE(value.toJson(), written);
            QCOMPARE(cJsonValue::fromJson(value.toJson(false)), value);
        }
    }

    void toStringAndEquality()
    {
        const QList<QPair<cJsonValue, QString>> texts
            = {{cJsonValue(), ""},           {cJsonValue(true), "true"}, {cJsonValue(false), "false"},
               {cJsonValue(4617.0), "4617"}, {cJsonValue(-3), "-3"},     {cJsonValue(2.5), "2.5"},
               {cJsonValue("Q71"), "Q71"},   {json("[1]"), ""},          {json(R"({"a":"b"})"), ""}};
        for (const auto &text : texts)
            QCOMPARE(text.first.toString(), text.second);

        QCOMPARE(json("[1]"), json("[1.0]"));
        QCOMPARE(json(R"({"a":1,"b":[true]})"), json(R"({"b":[true],"a":1})"));
        QCOMPARE(json("null"), cJsonValue());
        QVERIFY(json("1") != json(R"("1")"));
        QVERIFY(json("{}") != json("[]"));
        QVERIFY(json("[1,2]") != json("[2,1]"));
        QVERIFY(json(R"({"a":{"b":[1]}})") != json(R"({"a":{"b":[2]}})"));
    }
};

QTEST_GUILESS_MAIN(tst_NexaroJsonValue)
#include "tst_nexaro_jsonvalue.moc"
