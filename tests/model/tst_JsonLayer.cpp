// The decoding layer itself, exercised through the smallest records that reach each rule.

#include "DecodingFailure.h"

#include "support/Fixtures.h"

#include "model/Json.h"
#include "model/SyncRecords.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

class JsonLayerTest : public QObject
{
    Q_OBJECT

private slots:
    void decodingOutcomes();
    void errorTexts();
    void documentsMayNest();
    void roundTripIsExact_data();
    void roundTripIsExact();
    void encodedForm();
    void objectsOfAMapInAnyKeyOrder();
    void bigMapWithKeysSharingTheirEnds();
    void recurringTextsAreSharedAndExact();
};

// What each answer decodes to (written back in its JSON form), or the failure with its kind,
// expected type or key, and coding path. Malformed bytes are data corrupted at the root.
void JsonLayerTest::decodingOutcomes()
{
    SnapshotLog log;
    const auto outcome = [&log](const char *label, const QByteArray &json) {
        std::optional<SyncData> data;
        const QString failure = failureText([&] { return data = SyncData::fromJson(json); });
        log.add(QString::fromUtf8(label), data ? QString::fromUtf8(data->toJson()) : failure);
    };
    outcome("empty", QByteArray());
    outcome("blank", "  \n ");
    outcome("only a byte order mark", "\xEF\xBB\xBF");
    outcome("byte order mark before the document", "\xEF\xBB\xBF{\"rid\":4}");
    outcome("truncated", R"({"rid":1,"torrents":{"a":{)");
    outcome("not json", "<html>Forbidden</html>");
    outcome("trailing garbage", R"({"rid":1} x)");
    outcome("two documents", R"({"rid":1}{"rid":2})");
    outcome("trailing NUL", QByteArray("{\"rid\":1}\0", 10));
    outcome("invalid UTF-8 in string", "{\"rid\":1,\"tags\":[\"a\xff\"]}");
    outcome("overlong UTF-8", "{\"rid\":1,\"tags\":[\"\xc0\xaf\"]}");
    outcome("lone surrogate escape", R"({"rid":1,"tags":["\ud800"]})");
    outcome("raw control character", "{\"rid\":1,\"tags\":[\"a\tb\"]}");
    outcome("number beyond uint64", R"({"rid":123456789012345678901234})");
    outcome("number beyond double", R"({"rid":1e400})");
    outcome("leading zero", R"({"rid":01})");
    outcome("NaN", R"({"rid":NaN})");
    outcome("single quotes", "{'rid':1}");
    outcome("trailing comma", R"({"rid":1,})");
    outcome("deep nesting", QByteArray(5000, '['));
    outcome("array at the top", "[]");
    outcome("string at the top", R"("rid")");
    outcome("null at the top", "null");
    outcome("missing key", R"({"full_update":true})");
    outcome("key case differs", R"({"RID":5})");
    outcome("declaration order decides", R"({"tags":[1],"full_update":true})");
    outcome("null where required", R"({"rid":null})");
    outcome("null map value", R"({"rid":1,"torrents":{"abc":null}})");
    outcome("null list item", R"({"rid":1,"tags":["a",null]})");
    outcome("nested missing key", R"({"rid":1,"categories":{"linux":{"name":"linux"}}})");
    outcome("path to the failing value",
            R"({"rid":1,"torrents":{"ok":{"dlspeed":1},"abc":{"dlspeed":"x"}}})");
    for (const char *number : {"-0", "9007199254740993", "9223372036854775807", "-9223372036854775808", "2.0",
                               "1E18", "2500e-2", "1.5", "0.000001", "2.5e0", "9223372036854775808",
                               "18446744073709551615", "1e19", "-1e19", "\"7\"", "true", "[7]", "{}"})
        outcome(number, QByteArray("{\"rid\":") + number + '}');
    outcome("integers are doubles", R"({"rid":1,"torrents":{"a":{"progress":18446744073709551615}}})");
    outcome("text as double", R"({"rid":1,"torrents":{"a":{"progress":"0.5"}}})");
    outcome("number as string", R"({"rid":1,"torrents":{"a":{"name":5}}})");
    outcome("list as string", R"({"rid":1,"torrents":{"a":{"name":["x"]}}})");
    outcome("number as bool", R"({"rid":1,"full_update":1})");
    outcome("escapes", R"({"rid":1,"tags":["a\"b\\c\/d\n","\u4e2d\u6587","\ud83d\ude00","x\u0000y"]})");
    outcome("null is absence", R"({"rid":1,"full_update":null,"tags":null,"torrents":{"a":{"name":null}}})");
    outcome(
        "last duplicate wins, replacing",
        R"({"rid":"x","rid":3,"tags":["a"],"tags":null,"torrents":{"a":{"size":1},"b":{},"a":{"eta":2}}})");
    // U+FEFF starting a string inside the document is text (found by fuzzing: two keys that
    // differed by it were decoded as equal).
    outcome("leading U+FEFF is text", "{\"rid\":1,\"torrents\":{\"\xEF\xBB\xBF\xEF\xBB\xBF"
                                      "ab\":{\"name\":\"\xEF\xBB\xBFx\"},\"ab\":{}}}");
    outcome("unknown keys of any shape, escaped keys",
            R"({"x":{"deep":[1,{"y":null}]},"r\u0069d":9,"big":1e300,"torrents":{"a":{"amount_left":1.5}}})");
    log.compare(u"json-outcomes.snap"_qs);
}

void JsonLayerTest::errorTexts()
{
    const auto error =
        decodingFailure([] { return SyncData::fromJson(R"({"rid":1,"torrents":{"abc":{"dlspeed":"x"}}})"); });
    QVERIFY(error);
    QCOMPARE(error->localizedDescription(), QStringLiteral("数据格式不正确，无法读取。"));
    QCOMPARE(error->codingPath(), (QStringList{u"torrents"_qs, u"abc"_qs, u"dlspeed"_qs}));
    QCOMPARE(QString::fromUtf8(error->what()), error->debugDescription());
    // A stored copy keeps everything.
    QCOMPARE(error->clone()->debugDescription(), error->debugDescription());
}

void JsonLayerTest::documentsMayNest()
{
    const json::Document outer(R"({"rid":11,"tags":["kept"]})");
    // A second document on the same thread must leave the first one intact.
    QCOMPARE(SyncData::fromJson(R"({"rid":12,"tags":["other","values","here"]})").rid, 12);
    const json::Path root;
    QCOMPARE(json::toInt64(outer.root()["rid"].value(), root), 11);
    QCOMPARE(json::toString(outer.root()["tags"].at(0).value(), root), QStringLiteral("kept"));
    // After the outer document is gone the shared parser is free again.
    QCOMPARE(SyncData::fromJson(R"({"rid":13})").rid, 13);
}

void JsonLayerTest::roundTripIsExact_data()
{
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    const QString controls = QStringLiteral("引号\"反斜杠\\换行\n制表\t") + QChar(1) + QChar(0) + QChar(0x1f);
    QTest::newRow("int64 max") << std::numeric_limits<qint64>::max() << 0.1 << u"普通"_qs;
    QTest::newRow("int64 min") << std::numeric_limits<qint64>::min() << -2.5e-8 << QString();
    QTest::newRow("2^53 + 1") << qint64(9007199254740993LL) << 1.0 / 3.0 << controls;
    QTest::newRow("smallest subnormal") << qint64(-1) << 5e-324 << QStringLiteral("/😀\u2028\u2029\x7f");
    QTest::newRow("largest double") << qint64(0) << std::numeric_limits<double>::max()
                                    << QString(QChar(0xFEFF)) + u"前导"_qs;
    QTest::newRow("1e21") << qint64(1) << 1e21 << QStringLiteral("\U0001D538\uFF01");
}

void JsonLayerTest::roundTripIsExact()
{
    QFETCH(qint64, integer);
    QFETCH(double, number);
    QFETCH(QString, text);
    SyncData data;
    data.rid = integer;
    TorrentData torrent;
    torrent.size = integer;
    torrent.progress = number;
    torrent.name = text;
    data.torrents = QList<std::pair<QString, TorrentData>>{{text, torrent}};
    data.tags = QStringList{text};
    data.categories = QList<std::pair<QString, CategoryData>>{{text, CategoryData{text, text}}};
    const QByteArray bytes = data.toJson();
    QVERIFY(bytes.contains("\"rid\":" + QByteArray::number(integer)));
    QVERIFY(!bytes.contains('\n') && !bytes.contains('\0'));
    const SyncData back = SyncData::fromJson(bytes);
    QCOMPARE(back, data);
}

void JsonLayerTest::encodedForm()
{
    // JSON has no NaN: it is written as null and reads back as absent.
    TorrentData torrent;
    torrent.ratio = std::numeric_limits<double>::quiet_NaN();
    QCOMPARE(torrent.toJson(), QByteArray(R"({"ratio":null})"));
    QVERIFY(!TorrentData::fromJson(torrent.toJson()).ratio);
}

namespace {

// The bytes as a JSON string, unchanged (they hold no quote, backslash or control character).
QByteArray quoted(const QByteArray &utf8)
{
    return '"' + utf8 + '"';
}

} // namespace

void JsonLayerTest::objectsOfAMapInAnyKeyOrder()
{
    // Every entry of a map decodes as it would on its own, whatever its neighbours look like:
    // keys shuffled, dropped, repeated with another value, unknown keys in between, more keys
    // than the remembered order holds.
    const QJsonObject sample = QJsonDocument::fromJson(fixture(u"maindata-full.json"_qs))[u"torrents"_qs]
                                   .toObject()
                                   .begin()
                                   ->toObject();
    QRandomGenerator random(20261207);
    QByteArrayList objects;
    for (int i = 0; i < 300; ++i) {
        QByteArrayList members;
        for (auto it = sample.begin(); it != sample.end(); ++it) {
            if (random.bounded(8) != 0 || i % 3 == 0)
                members.append(
                    quoted(it.key().toUtf8()) + ':' +
                    QJsonDocument(QJsonArray{*it}).toJson(QJsonDocument::Compact).chopped(1).mid(1));
        }
        if (i % 3 == 1)
            std::shuffle(members.begin(), members.end(), random);
        if (i % 5 == 2)
            members.insert(random.bounded(int(members.size())), "\"dlspeed\":" + QByteArray::number(i));
        if (i % 7 == 3)
            members.insert(random.bounded(int(members.size())),
                           "\"unknown_" + QByteArray::number(i) + "\":[1]");
        if (i % 11 == 4)
            members.append("\"state\":null");
        for (int k = 0; i == 299 && k < 130; ++k)
            members.prepend("\"pad" + QByteArray::number(k) + "\":" + QByteArray::number(k));
        objects.append('{' + members.join(',') + '}');
    }
    QByteArrayList entries;
    for (int i = 0; i < objects.size(); ++i)
        entries.append(quoted(QByteArray::number(i)) + ':' + objects[i]);
    const SyncData data = SyncData::fromJson("{\"rid\":1,\"torrents\":{" + entries.join(',') + "}}");
    QCOMPARE(data.torrents->size(), objects.size());
    for (int i = 0; i < objects.size(); ++i)
        QVERIFY2(data.torrents->at(i).second == TorrentData::fromJson(objects[i]), objects[i].constData());
}

void JsonLayerTest::bigMapWithKeysSharingTheirEnds()
{
    // Keys that agree in length and in their first and last eight bytes, some repeated later:
    // each key once, at its first place, with its last value.
    QByteArrayList entries;
    QList<int> last(4000);
    for (int i = 0; i < 5000; ++i) {
        const int id = i < 4000 ? i : (i * 7) % 4000;
        last[id] = i;
        entries.append("\"aaaaaaaa" + QByteArray::number(id).rightJustified(6, '0') +
                       "zzzzzzzz\":{\"dlspeed\":" + QByteArray::number(i) + '}');
    }
    const SyncData data = SyncData::fromJson("{\"rid\":1,\"torrents\":{" + entries.join(',') + "}}");
    QCOMPARE(data.torrents->size(), 4000);
    for (int i = 0; i < 4000; ++i) {
        QCOMPARE(data.torrents->at(i).first.mid(8, 6).toInt(), i);
        QCOMPARE(*data.torrents->at(i).second.dlspeed, last[i]);
    }
}

void JsonLayerTest::recurringTextsAreSharedAndExact()
{
    // Equal texts of one answer share one string, not one copy each.
    const SyncData shared = SyncData::fromJson(
        R"({"rid":1,"torrents":{"a":{"category":"电影","state":"uploading"},"b":{"category":"电影","state":"uploading"}}})");
    QCOMPARE(shared.torrents->at(0).second.category->constData(),
             shared.torrents->at(1).second.category->constData());
    QCOMPARE(shared.torrents->at(0).second.state->constData(),
             shared.torrents->at(1).second.state->constData());

    // Past the pool's bounds (thousands of distinct values, very long ones, marks at the start)
    // every value is still exact, also when another answer is decoded in between.
    QByteArrayList entries;
    QList<QString> values;
    for (int i = 0; i < 6000; ++i) {
        QByteArray value =
            i % 997 == 0 ? QByteArray(300 + i % 7, 'x') : "/data/" + QByteArray::number(i % 5000);
        if (i % 1001 == 5)
            value.prepend("\xEF\xBB\xBF");
        values.append(i % 1001 == 5 ? QChar(0xFEFF) + QString::fromUtf8(value.mid(3))
                                    : QString::fromUtf8(value));
        entries.append(quoted(QByteArray::number(i)) + ":{\"save_path\":" + quoted(value) +
                       ",\"tracker\":" + quoted(value) + '}');
    }
    const QByteArray answer = "{\"rid\":1,\"torrents\":{" + entries.join(',') + "}}";
    const json::Document outer(answer);
    QCOMPARE(*SyncData::fromJson(R"({"rid":2,"torrents":{"x":{"save_path":"/data/1"}}})")
                  .torrents->first()
                  .second.savePath,
             QStringLiteral("/data/1"));
    const SyncData data = SyncData::fromJson(answer);
    for (int i = 0; i < values.size(); ++i) {
        QCOMPARE(*data.torrents->at(i).second.savePath, values[i]);
        QCOMPARE(*data.torrents->at(i).second.tracker, values[i]);
    }
}

QTEST_GUILESS_MAIN(JsonLayerTest)
#include "tst_JsonLayer.moc"
