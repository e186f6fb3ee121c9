// The decoding layer itself, exercised through the smallest records that reach each rule.

#include "DecodingFailure.h"

#include "support/Fixtures.h"

#include "model/Json.h"
#include "model/SyncRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <limits>
#include <map>

using Kind = DecodingError::Kind;

class JsonLayerTest : public QObject
{
    Q_OBJECT

private slots:
    void malformedBytesAreDataCorrupted_data();
    void malformedBytesAreDataCorrupted();
    void byteOrderMarkIsSkipped();
    void wrongTopLevelTypeIsTypeMismatch();
    void integersStayExact_data();
    void integersStayExact();
    void nonIntegersFailInIntegerFields_data();
    void nonIntegersFailInIntegerFields();
    void integersAreValidDoubles();
    void stringsAreStrict();
    void escapesAreDecoded();
    void nullIsAbsentForOptionals();
    void nullIsValueNotFoundWhereRequired();
    void missingKeyNamesKeyAndContainer();
    void codingPathReachesTheFailingValue();
    void firstFailureFollowsDeclarationOrder();
    void duplicateKeysLastOneWins();
    void unknownKeysAreIgnored();
    void errorTexts();
    void documentsMayNest();
    void encodingKeepsInt64Exact();
    void encodingEscapesAndRoundTripsText();
    void encodingDoubles();
    void leadingZeroWidthNoBreakSpaceIsText();
    void objectsOfAMapInAnyKeyOrder();
    void bigMapWithKeysSharingTheirEnds();
    void recurringTextsAreSharedAndExact();
};

void JsonLayerTest::malformedBytesAreDataCorrupted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blank") << QByteArray("  \n ");
    QTest::newRow("truncated") << QByteArray(R"({"rid":1,"torrents":{"a":{)");
    QTest::newRow("not json") << QByteArray("<html>Forbidden</html>");
    QTest::newRow("plain text") << QByteArray("Ok.");
    QTest::newRow("trailing garbage") << QByteArray(R"({"rid":1} x)");
    QTest::newRow("two documents") << QByteArray(R"({"rid":1}{"rid":2})");
    QTest::newRow("trailing NUL") << QByteArray(R"({"rid":1})"
                                                "\0",
                                                10);
    QTest::newRow("invalid UTF-8 in string") << QByteArray("{\"rid\":1,\"tags\":[\"a\xff\"]}");
    QTest::newRow("overlong UTF-8") << QByteArray("{\"rid\":1,\"tags\":[\"\xc0\xaf\"]}");
    QTest::newRow("lone surrogate escape") << QByteArray(R"({"rid":1,"tags":["\ud800"]})");
    QTest::newRow("raw control character") << QByteArray("{\"rid\":1,\"tags\":[\"a\tb\"]}");
    QTest::newRow("number beyond uint64") << QByteArray(R"({"rid":123456789012345678901234})");
    QTest::newRow("number beyond double") << QByteArray(R"({"rid":1e400})");
    QTest::newRow("leading zero") << QByteArray(R"({"rid":01})");
    QTest::newRow("NaN") << QByteArray(R"({"rid":NaN})");
    QTest::newRow("single quotes") << QByteArray(R"({'rid':1})");
    QTest::newRow("trailing comma") << QByteArray(R"({"rid":1,})");
    QTest::newRow("deep nesting") << QByteArray(5000, '[');
}

void JsonLayerTest::malformedBytesAreDataCorrupted()
{
    QFETCH(QByteArray, bytes);
    const auto error = decodingFailure([&] { return SyncData::fromJson(bytes); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::DataCorrupted);
    QVERIFY(error->codingPath().isEmpty());
    QVERIFY(!error->contextDescription().isEmpty());
}

void JsonLayerTest::byteOrderMarkIsSkipped()
{
    QCOMPARE(SyncData::fromJson("\xEF\xBB\xBF{\"rid\":4}").rid, 4);
    const auto onlyMark = decodingFailure([] { return SyncData::fromJson("\xEF\xBB\xBF"); });
    QVERIFY(onlyMark);
    QCOMPARE(onlyMark->kind(), Kind::DataCorrupted);
}

void JsonLayerTest::wrongTopLevelTypeIsTypeMismatch()
{
    for (const QByteArray &bytes :
         {QByteArray("[]"), QByteArray("\"rid\""), QByteArray("7"), QByteArray("true")}) {
        const auto error = decodingFailure([&] { return SyncData::fromJson(bytes); });
        QVERIFY2(error, bytes.constData());
        QCOMPARE(error->kind(), Kind::TypeMismatch);
        QCOMPARE(error->expectedType(), QStringLiteral("SyncData"));
        QVERIFY(error->codingPath().isEmpty());
    }
    const auto null = decodingFailure([] { return SyncData::fromJson("null"); });
    QVERIFY(null);
    QCOMPARE(null->kind(), Kind::ValueNotFound);
    QCOMPARE(null->expectedType(), QStringLiteral("SyncData"));
}

void JsonLayerTest::integersStayExact_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("zero") << QByteArray("0") << qint64(0);
    QTest::newRow("negative zero") << QByteArray("-0") << qint64(0);
    QTest::newRow("2^53 + 1") << QByteArray("9007199254740993") << qint64(9007199254740993LL);
    QTest::newRow("int64 max") << QByteArray("9223372036854775807") << std::numeric_limits<qint64>::max();
    QTest::newRow("int64 min") << QByteArray("-9223372036854775808") << std::numeric_limits<qint64>::min();
    QTest::newRow("integral fraction") << QByteArray("2.0") << qint64(2);
    QTest::newRow("integral exponent") << QByteArray("1e3") << qint64(1000);
    QTest::newRow("large integral exponent") << QByteArray("1E18") << qint64(1000000000000000000LL);
    QTest::newRow("negative exponent, integral") << QByteArray("2500e-2") << qint64(25);
}

void JsonLayerTest::integersStayExact()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, expected);
    QCOMPARE(SyncData::fromJson("{\"rid\":" + text + "}").rid, expected);
}

void JsonLayerTest::nonIntegersFailInIntegerFields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("fraction") << QByteArray("1.5");
    QTest::newRow("small fraction") << QByteArray("0.000001");
    QTest::newRow("fractional exponent") << QByteArray("2.5e0");
    QTest::newRow("int64 max + 1") << QByteArray("9223372036854775808");
    QTest::newRow("uint64 max") << QByteArray("18446744073709551615");
    QTest::newRow("integral but too large") << QByteArray("1e19");
    QTest::newRow("integral but too small") << QByteArray("-1e19");
    QTest::newRow("numeric string") << QByteArray("\"7\"");
    QTest::newRow("bool") << QByteArray("true");
    QTest::newRow("array") << QByteArray("[7]");
    QTest::newRow("object") << QByteArray("{}");
}

void JsonLayerTest::nonIntegersFailInIntegerFields()
{
    QFETCH(QByteArray, text);
    const auto error = decodingFailure([&] { return SyncData::fromJson("{\"rid\":" + text + "}"); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::TypeMismatch);
    QCOMPARE(error->expectedType(), QStringLiteral("Int64"));
    QCOMPARE(error->codingPath(), QStringList{QStringLiteral("rid")});
}

void JsonLayerTest::integersAreValidDoubles()
{
    const auto torrent = [](const QByteArray &progress) {
        return SyncData::fromJson(R"({"rid":1,"torrents":{"a":{"progress":)" + progress + "}}}")
            .torrents->first()
            .second.progress;
    };
    QCOMPARE(torrent("1"), std::optional<double>(1.0));
    QCOMPARE(torrent("0"), std::optional<double>(0.0));
    QCOMPARE(torrent("0.25"), std::optional<double>(0.25));
    QCOMPARE(torrent("-1e-3"), std::optional<double>(-0.001));
    QCOMPARE(torrent("18446744073709551615"), std::optional<double>(18446744073709551615.0));

    const auto text = decodingFailure([&] { return torrent("\"0.5\""); });
    QVERIFY(text);
    QCOMPARE(text->kind(), Kind::TypeMismatch);
    QCOMPARE(text->expectedType(), QStringLiteral("Double"));
}

void JsonLayerTest::stringsAreStrict()
{
    for (const QByteArray &value :
         {QByteArray("5"), QByteArray("false"), QByteArray("[\"x\"]"), QByteArray("{}")}) {
        const auto error = decodingFailure(
            [&] { return SyncData::fromJson(R"({"rid":1,"torrents":{"a":{"name":)" + value + "}}}"); });
        QVERIFY2(error, value.constData());
        QCOMPARE(error->kind(), Kind::TypeMismatch);
        QCOMPARE(error->expectedType(), QStringLiteral("String"));
    }
    const auto boolean = decodingFailure([] { return SyncData::fromJson(R"({"rid":1,"full_update":1})"); });
    QVERIFY(boolean);
    QCOMPARE(boolean->expectedType(), QStringLiteral("Bool"));
}

void JsonLayerTest::escapesAreDecoded()
{
    const SyncData data =
        SyncData::fromJson(R"({"rid":1,"tags":["a\"b\\c\/d\n","\u4e2d\u6587","\ud83d\ude00","x\u0000y"]})");
    QCOMPARE(data.tags->at(0), QStringLiteral("a\"b\\c/d\n"));
    QCOMPARE(data.tags->at(1), QStringLiteral("中文"));
    QCOMPARE(data.tags->at(2), QStringLiteral("😀"));
    QCOMPARE(data.tags->at(3), QString(QStringLiteral("x") + QChar(0) + QStringLiteral("y")));
    QCOMPARE(data.tags->at(3).size(), 3);
}

void JsonLayerTest::nullIsAbsentForOptionals()
{
    const SyncData data = SyncData::fromJson(
        R"({"rid":1,"full_update":null,"torrents":{"a":{"name":null,"size":null}},"tags":null})");
    QVERIFY(!data.fullUpdate);
    QVERIFY(!data.tags);
    QCOMPARE(data.torrents->size(), 1);
    QCOMPARE(data.torrents->first().second, TorrentData{});
}

void JsonLayerTest::nullIsValueNotFoundWhereRequired()
{
    const auto rid = decodingFailure([] { return SyncData::fromJson(R"({"rid":null})"); });
    QVERIFY(rid);
    QCOMPARE(rid->kind(), Kind::ValueNotFound);
    QCOMPARE(rid->expectedType(), QStringLiteral("Int64"));
    QCOMPARE(rid->codingPath(), QStringList{QStringLiteral("rid")});

    const auto mapValue =
        decodingFailure([] { return SyncData::fromJson(R"({"rid":1,"torrents":{"abc":null}})"); });
    QVERIFY(mapValue);
    QCOMPARE(mapValue->kind(), Kind::ValueNotFound);
    QCOMPARE(mapValue->expectedType(), QStringLiteral("TorrentData"));
    QCOMPARE(mapValue->codingPath(), (QStringList{QStringLiteral("torrents"), QStringLiteral("abc")}));

    const auto listItem =
        decodingFailure([] { return SyncData::fromJson(R"({"rid":1,"tags":["a",null]})"); });
    QVERIFY(listItem);
    QCOMPARE(listItem->kind(), Kind::ValueNotFound);
    QCOMPARE(listItem->expectedType(), QStringLiteral("String"));
    QCOMPARE(listItem->codingPath(), (QStringList{QStringLiteral("tags"), QStringLiteral("Index 1")}));
}

void JsonLayerTest::missingKeyNamesKeyAndContainer()
{
    const auto top = decodingFailure([] { return SyncData::fromJson(R"({"full_update":true})"); });
    QVERIFY(top);
    QCOMPARE(top->kind(), Kind::KeyNotFound);
    QCOMPARE(top->key(), QStringLiteral("rid"));
    QVERIFY(top->codingPath().isEmpty());

    const auto nested = decodingFailure(
        [] { return SyncData::fromJson(R"({"rid":1,"categories":{"linux":{"name":"linux"}}})"); });
    QVERIFY(nested);
    QCOMPARE(nested->kind(), Kind::KeyNotFound);
    QCOMPARE(nested->key(), QStringLiteral("savePath"));
    QCOMPARE(nested->codingPath(), (QStringList{QStringLiteral("categories"), QStringLiteral("linux")}));
}

void JsonLayerTest::codingPathReachesTheFailingValue()
{
    const auto error = decodingFailure([] {
        return SyncData::fromJson(R"({"rid":1,"torrents":{"ok":{"dlspeed":1},"abc":{"dlspeed":"fast"}}})");
    });
    QVERIFY(error);
    QCOMPARE(error->codingPath(),
             (QStringList{QStringLiteral("torrents"), QStringLiteral("abc"), QStringLiteral("dlspeed")}));
    QCOMPARE(error->codingPathText(), QStringLiteral("torrents.abc.dlspeed"));
}

void JsonLayerTest::firstFailureFollowsDeclarationOrder()
{
    // "rid" comes first among the fields, whatever the order of the keys in the answer.
    const auto error =
        decodingFailure([] { return SyncData::fromJson(R"({"tags":[1],"full_update":true})"); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::KeyNotFound);
    QCOMPARE(error->key(), QStringLiteral("rid"));
}

void JsonLayerTest::duplicateKeysLastOneWins()
{
    QCOMPARE(SyncData::fromJson(R"({"rid":1,"rid":2})").rid, 2);
    // An earlier value that would fail is overridden before it is ever read.
    QCOMPARE(SyncData::fromJson(R"({"rid":"bad","rid":3})").rid, 3);
    QVERIFY(!SyncData::fromJson(R"({"rid":1,"tags":["a"],"tags":null})").tags);

    const SyncData data =
        SyncData::fromJson(R"({"rid":1,"torrents":{"a":{"dlspeed":1},"b":{},"a":{"upspeed":2},"c":{}}})");
    QCOMPARE(data.torrents->size(), 3);
    QCOMPARE(data.torrents->at(0).first, QStringLiteral("a"));
    QCOMPARE(data.torrents->at(1).first, QStringLiteral("b"));
    QCOMPARE(data.torrents->at(2).first, QStringLiteral("c"));
    // Replaced, not merged.
    QVERIFY(!data.torrents->at(0).second.dlspeed);
    QCOMPARE(data.torrents->at(0).second.upspeed, std::optional<qint64>(2));
}

void JsonLayerTest::unknownKeysAreIgnored()
{
    const SyncData data = SyncData::fromJson(
        R"({"x":{"deep":[1,{"y":null}]},"rid":9,"big":1e300,"huge":18446744073709551615,"s":"t","torrents":{"a":{"amount_left":1.5,"dlspeed":3}}})");
    QCOMPARE(data.rid, 9);
    QCOMPARE(data.torrents->first().second.dlspeed, std::optional<qint64>(3));
    // Keys are compared after unescaping, as the server may escape any character.
    QCOMPARE(SyncData::fromJson(R"({"r\u0069d":5})").rid, 5);
    // Near misses of a key are other keys.
    const auto caseDiffers = decodingFailure([] { return SyncData::fromJson(R"({"RID":5})"); });
    QVERIFY(caseDiffers);
    QCOMPARE(caseDiffers->kind(), Kind::KeyNotFound);
}

void JsonLayerTest::errorTexts()
{
    const auto key = decodingFailure([] { return SyncData::fromJson("{}"); });
    QVERIFY(key);
    QCOMPARE(key->localizedDescription(), QStringLiteral("数据格式不正确，无法读取。"));
    QVERIFY2(key->debugDescription().startsWith(QStringLiteral("keyNotFound(rid, at <root>): ")),
             qPrintable(key->debugDescription()));
    QVERIFY(key->debugDescription().contains(QStringLiteral("rid")));

    const auto type =
        decodingFailure([] { return SyncData::fromJson(R"({"rid":1,"torrents":{"abc":{"dlspeed":"x"}}})"); });
    QVERIFY(type);
    QCOMPARE(type->localizedDescription(), QStringLiteral("数据格式不正确，无法读取。"));
    QVERIFY2(
        type->debugDescription().startsWith(QStringLiteral("typeMismatch(Int64, at torrents.abc.dlspeed): ")),
        qPrintable(type->debugDescription()));
    QCOMPARE(QString::fromUtf8(type->what()), type->debugDescription());

    const auto null = decodingFailure([] { return SyncData::fromJson(R"({"rid":null})"); });
    QVERIFY(null->debugDescription().startsWith(QStringLiteral("valueNotFound(Int64, at rid): ")));

    const auto corrupt = decodingFailure([] { return SyncData::fromJson("{"); });
    QCOMPARE(corrupt->localizedDescription(), QStringLiteral("数据格式不正确，无法读取。"));
    QVERIFY(corrupt->debugDescription().startsWith(QStringLiteral("dataCorrupted(at <root>): ")));

    // A stored copy keeps everything.
    const ErrorPtr copy = type->clone();
    QCOMPARE(copy->debugDescription(), type->debugDescription());
}

void JsonLayerTest::documentsMayNest()
{
    const json::Document outer(R"({"rid":11,"tags":["kept"]})");
    // A second document on the same thread must leave the first one intact.
    QCOMPARE(SyncData::fromJson(R"({"rid":12,"tags":["other","values","here"]})").rid, 12);
    const json::Path root;
    simdjson::dom::element rid;
    QVERIFY(!outer.root()["rid"].get(rid));
    QCOMPARE(json::toInt64(rid, root), 11);
    QCOMPARE(json::toString(outer.root()["tags"].at(0).value(), root), QStringLiteral("kept"));
    // After the outer document is gone the shared parser is free again.
    QCOMPARE(SyncData::fromJson(R"({"rid":13})").rid, 13);
}

void JsonLayerTest::encodingKeepsInt64Exact()
{
    SyncData data;
    data.rid = std::numeric_limits<qint64>::max();
    data.torrents = QList<std::pair<QString, TorrentData>>{};
    TorrentData torrent;
    torrent.size = 9007199254740993LL;
    torrent.downloaded = std::numeric_limits<qint64>::min();
    data.torrents->append({QStringLiteral("a"), torrent});

    const QByteArray bytes = data.toJson();
    QVERIFY(bytes.contains("\"rid\":9223372036854775807"));
    QVERIFY(bytes.contains("\"size\":9007199254740993"));
    QVERIFY(bytes.contains("\"downloaded\":-9223372036854775808"));
    QCOMPARE(SyncData::fromJson(bytes), data);
}

void JsonLayerTest::encodingEscapesAndRoundTripsText()
{
    SyncData data;
    data.rid = 1;
    const QString awkward = QStringLiteral("引号\"反斜杠\\换行\n制表\t") + QChar(1) + QChar(0) + QChar(0x1f) +
                            QStringLiteral("/😀\u2028");
    data.tags = QStringList{awkward, QString(), QStringLiteral("普通")};
    data.categories =
        QList<std::pair<QString, CategoryData>>{{awkward, CategoryData{awkward, QStringLiteral("/d")}}};

    const QByteArray bytes = data.toJson();
    QVERIFY(!bytes.contains('\n'));
    QVERIFY(!bytes.contains('\0'));
    QVERIFY(bytes.contains("\\u0001"));
    QCOMPARE(SyncData::fromJson(bytes), data);
}

void JsonLayerTest::encodingDoubles()
{
    SyncData data;
    data.rid = 1;
    TorrentData torrent;
    torrent.progress = 1.0 / 3.0;
    torrent.ratio = 0.1;
    torrent.popularity = 1e300;
    data.torrents = QList<std::pair<QString, TorrentData>>{{QStringLiteral("a"), torrent}};
    const QByteArray bytes = data.toJson();
    QVERIFY2(bytes.contains("\"ratio\":0.1"), bytes.constData());
    QCOMPARE(SyncData::fromJson(bytes), data);

    // JSON cannot hold NaN: it is written as null and reads back as absent.
    data.torrents->first().second.ratio = std::numeric_limits<double>::quiet_NaN();
    const SyncData back = SyncData::fromJson(data.toJson());
    QVERIFY(!back.torrents->first().second.ratio);
    QCOMPARE(back.torrents->first().second.progress, torrent.progress);
}

// U+FEFF at the start of a string inside the document is text, not a byte order mark: a name
// keeps it, and two keys that differ only by it stay two entries (found by fuzzing: the
// decoded map had two equal keys, and its encoding decoded to one entry fewer).
void JsonLayerTest::leadingZeroWidthNoBreakSpaceIsText()
{
    const QByteArray json = "{\"rid\":1,\"torrents\":{\"\xEF\xBB\xBF\xEF\xBB\xBF"
                            "ab\":{\"name\":\"\xEF\xBB\xBF"
                            "x\"},"
                            "\"ab\":{}}}";
    const SyncData data = SyncData::fromJson(json);
    QCOMPARE(data.torrents->size(), 2);
    QCOMPARE(data.torrents->at(0).first, QString(QChar(0xFEFF)) + QChar(0xFEFF) + QStringLiteral("ab"));
    QCOMPARE(*data.torrents->at(0).second.name, QString(QChar(0xFEFF)) + QStringLiteral("x"));
    QCOMPARE(data.torrents->at(1).first, QStringLiteral("ab"));
    QCOMPARE(SyncData::fromJson(data.toJson()), data);
}

namespace {

QByteArray scalarJson(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

// The bytes as a JSON string, unchanged (they hold no quote, backslash or control character).
QByteArray quoted(const QByteArray &utf8)
{
    return '"' + utf8 + '"';
}

} // namespace

void JsonLayerTest::objectsOfAMapInAnyKeyOrder()
{
    // Every entry of a map decodes as it would on its own, whatever its neighbours look like:
    // keys shuffled, dropped, repeated with another value, unknown keys in between.
    const QJsonObject sample = QJsonDocument::fromJson(fixture(QStringLiteral("maindata-full.json")))
                                   .object()[QStringLiteral("torrents")]
                                   .toObject()
                                   .begin()
                                   ->toObject();
    QVERIFY(sample.size() > 40);
    QRandomGenerator random(20261207);
    QList<QByteArray> objects;
    for (int i = 0; i < 300; ++i) {
        QList<std::pair<QByteArray, QByteArray>> members;
        for (auto it = sample.begin(); it != sample.end(); ++it) {
            if (random.bounded(8) == 0 && i % 3 != 0)
                continue;
            members.emplaceBack(it.key().toUtf8(), scalarJson(*it));
        }
        if (i % 3 == 1)
            std::shuffle(members.begin(), members.end(), random);
        if (i % 5 == 2)
            members.insert(random.bounded(int(members.size())), {"dlspeed", QByteArray::number(i)});
        if (i % 7 == 3)
            members.insert(random.bounded(int(members.size())), {"unknown_" + QByteArray::number(i), "[1]"});
        if (i % 11 == 4)
            members.emplaceBack("state", "null");
        QByteArray object = "{";
        for (const auto &[key, value] : members)
            object += quoted(key) + ':' + value + ',';
        if (object.endsWith(','))
            object.chop(1);
        objects.append(object + '}');
    }
    // More keys than the remembered order holds.
    QByteArray wide = "{";
    for (int k = 0; k < 130; ++k)
        wide += "\"pad" + QByteArray::number(k) + "\":" + QByteArray::number(k) + ',';
    objects.append(wide + "\"size\":7,\"name\":\"wide\"}");

    QByteArray answer = "{\"rid\":1,\"torrents\":{";
    for (int i = 0; i < objects.size(); ++i)
        answer += (i ? ",\"" : "\"") + QByteArray::number(i) + "\":" + objects[i];
    const SyncData data = SyncData::fromJson(answer + "}}");

    QCOMPARE(data.torrents->size(), objects.size());
    for (int i = 0; i < objects.size(); ++i) {
        const TorrentData alone = TorrentData::fromJson(objects[i]);
        QVERIFY2(data.torrents->at(i).second == alone, objects[i].constData());
    }
    QCOMPARE(data.torrents->last().second.size, std::optional<qint64>(7));
}

void JsonLayerTest::bigMapWithKeysSharingTheirEnds()
{
    // Keys that agree in length and in their first and last eight bytes, some repeated later:
    // each key once, at its first place, with its last value.
    std::map<QString, qint64> expected;
    QList<QString> order;
    QByteArray answer = "{\"rid\":1,\"torrents\":{";
    for (int i = 0; i < 5000; ++i) {
        const int id = i < 4000 ? i : (i * 7) % 4000;
        const QByteArray key = "aaaaaaaa" + QByteArray::number(id).rightJustified(6, '0') + "zzzzzzzz";
        answer += (i ? ",\"" : "\"") + key + "\":{\"dlspeed\":" + QByteArray::number(i) + '}';
        if (!expected.count(QString::fromLatin1(key)))
            order.append(QString::fromLatin1(key));
        expected[QString::fromLatin1(key)] = i;
    }
    const SyncData data = SyncData::fromJson(answer + "}}");
    QCOMPARE(data.torrents->size(), order.size());
    for (int i = 0; i < order.size(); ++i) {
        QCOMPARE(data.torrents->at(i).first, order[i]);
        QCOMPARE(*data.torrents->at(i).second.dlspeed, expected[order[i]]);
    }
}

void JsonLayerTest::recurringTextsAreSharedAndExact()
{
    // Torrents in one category hold one string, not one copy each.
    {
        const SyncData data = SyncData::fromJson(
            R"({"rid":1,"torrents":{"a":{"category":"电影","state":"uploading"},)"
            R"("b":{"category":"电影","state":"uploading"},"c":{"category":"电影 ","state":"pausedUP"}}})");
        const auto &t = *data.torrents;
        QCOMPARE(*t[1].second.category, QStringLiteral("电影"));
        QCOMPARE(t[0].second.category->constData(), t[1].second.category->constData());
        QCOMPARE(t[0].second.state->constData(), t[1].second.state->constData());
        QCOMPARE(*t[2].second.category, QStringLiteral("电影 "));
    }

    // Past the pool's bounds (thousands of distinct values, very long ones, marks at the start)
    // every value is still exact, also when another answer is decoded in between.
    QByteArray answer = "{\"rid\":1,\"torrents\":{";
    QList<QString> values;
    for (int i = 0; i < 6000; ++i) {
        QByteArray value = "/data/" + QByteArray::number(i % 5000);
        if (i % 997 == 0)
            value = QByteArray(300 + i % 7, 'x') + QByteArray::number(i);
        if (i % 1001 == 5)
            value = "\xEF\xBB\xBF" + value;
        values.append(QString::fromUtf8(value));
        if (value.startsWith("\xEF\xBB\xBF"))
            values.last().prepend(QChar(0xFEFF));
        answer += (i ? ",\"" : "\"") + QByteArray::number(i) + "\":{\"save_path\":" + quoted(value) +
                  ",\"tracker\":" + quoted(value) + '}';
    }
    answer += "}}";
    const json::Document outer(answer);
    const SyncData inner = SyncData::fromJson(R"({"rid":2,"torrents":{"x":{"save_path":"/data/1"}}})");
    QCOMPARE(*inner.torrents->first().second.savePath, QStringLiteral("/data/1"));
    const SyncData data = SyncData::fromJson(answer);
    QCOMPARE(data.torrents->size(), values.size());
    for (int i = 0; i < values.size(); ++i) {
        QCOMPARE(*data.torrents->at(i).second.savePath, values[i]);
        QCOMPARE(*data.torrents->at(i).second.tracker, values[i]);
    }
}

QTEST_GUILESS_MAIN(JsonLayerTest)
#include "tst_JsonLayer.moc"
