#include "DecodingFailure.h"

#include "model/SyncRecords.h"
#include "support/Fixtures.h"

#include <QTest>

using Kind = DecodingError::Kind;

namespace {

const QString kSample = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d");
const QString kDemo = QStringLiteral("0123456789abcdef0123456789abcdef01234567");

const TorrentData *find(const SyncData &data, const QString &hash)
{
    if (!data.torrents)
        return nullptr;
    for (const auto &[key, torrent] : *data.torrents)
        if (key == hash)
            return &torrent;
    return nullptr;
}

} // namespace

class DecodingSyncTest : public QObject
{
    Q_OBJECT

private slots:
    void fullAnswerFromServer();
    void incrementalAnswerFromServer();
    void ridIsTheOnlyRequiredKey();
    void partialTorrents();
    void absentDiffersFromEmpty();
    void mapsKeepTheAnswersOrder();
    void categoryEntriesNeedBothKeys();
    void wrongContainerTypes_data();
    void wrongContainerTypes();
    void failureDropsTheWholeAnswer();
    void recordsDecodeOnTheirOwn();
    void roundTrip();
};

void DecodingSyncTest::fullAnswerFromServer()
{
    const SyncData data = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
    QCOMPARE(data.rid, 1);
    QCOMPARE(data.fullUpdate, std::optional<bool>(true));
    QCOMPARE(data.tags, std::optional<QStringList>({"iso", "b", "a"}));
    QVERIFY(!data.torrentsRemoved);
    QCOMPARE(data.categories->size(), 2);
    QCOMPARE(data.categories->at(0).first, QStringLiteral("linux"));
    QCOMPARE(data.categories->at(0).second, (CategoryData{QStringLiteral("linux"), QString()}));
    QCOMPARE(data.serverState->freeSpaceOnDisk, std::optional<qint64>(85026189312));
    QCOMPARE(data.torrents->size(), 2);

    const TorrentData *sample = find(data, kSample);
    QVERIFY(sample);
    QCOMPARE(sample->name, std::optional<QString>(QStringLiteral("sample.bin")));
    QCOMPARE(sample->size, std::optional<qint64>(100000));
    // The server writes a finished torrent's progress as the integer 1.
    QCOMPARE(sample->progress, std::optional<double>(1.0));
    QCOMPARE(sample->ratio, std::optional<double>(0.0));
    QCOMPARE(sample->state, std::optional<QString>(QStringLiteral("stalledUP")));
    QCOMPARE(sample->eta, std::optional<qint64>(8640000));
    QCOMPARE(sample->addedOn, std::optional<qint64>(1796557629));
    QCOMPARE(sample->completionOn, std::optional<qint64>(1796557629));
    QCOMPARE(sample->tags, std::optional<QString>(QStringLiteral("a, b")));
    QCOMPARE(sample->category, std::optional<QString>(QStringLiteral("test")));
    QCOMPARE(sample->savePath, std::optional<QString>(QStringLiteral("/downloads")));
    QCOMPARE(sample->seedingTime, std::optional<qint64>(70));
    QCOMPARE(sample->priority, std::optional<qint64>(0));
    QCOMPARE(sample->numLeechs, std::optional<qint64>(0));
    QCOMPARE(sample->tracker, std::optional<QString>(QString()));
    // 4.5.2 sends neither key.
    QVERIFY(!sample->popularity);
    QVERIFY(!sample->reannounce);

    const TorrentData *demo = find(data, kDemo);
    QVERIFY(demo);
    QCOMPARE(demo->state, std::optional<QString>(QStringLiteral("metaDL")));
    QCOMPARE(demo->completionOn, std::optional<qint64>(0));
    QCOMPARE(demo->priority, std::optional<qint64>(1));
}

void DecodingSyncTest::incrementalAnswerFromServer()
{
    const SyncData data = SyncData::fromJson(fixture(QStringLiteral("maindata-rid1-after-pause.json")));
    QCOMPARE(data.rid, 2);
    QVERIFY(!data.fullUpdate);
    QVERIFY(!data.serverState);
    QVERIFY(!data.categories);
    QCOMPARE(data.torrents->size(), 1);
    TorrentData expected;
    expected.state = QStringLiteral("pausedUP");
    expected.seedingTime = 72;
    expected.timeActive = 72;
    QCOMPARE(data.torrents->first(), std::make_pair(kSample, expected));
}

void DecodingSyncTest::ridIsTheOnlyRequiredKey()
{
    const SyncData only = SyncData::fromJson(R"({"rid": 7})");
    SyncData expected;
    expected.rid = 7;
    QCOMPARE(only, expected);

    const auto error = decodingFailure([] { return SyncData::fromJson(R"({"full_update": true})"); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::KeyNotFound);
    QCOMPARE(error->key(), QStringLiteral("rid"));

    const auto text = decodingFailure([] { return SyncData::fromJson(R"({"rid": "7"})"); });
    QVERIFY(text);
    QCOMPARE(text->kind(), Kind::TypeMismatch);
}

void DecodingSyncTest::partialTorrents()
{
    const SyncData speed = SyncData::fromJson(R"({"rid": 3, "torrents": {"abc": {"dlspeed": 0}}})");
    TorrentData expected;
    expected.dlspeed = 0;
    QCOMPARE(speed.torrents->size(), 1);
    QCOMPARE(speed.torrents->first(), std::make_pair(QStringLiteral("abc"), expected));

    const SyncData nullName = SyncData::fromJson(R"({"rid": 3, "torrents": {"abc": {"name": null}}})");
    QCOMPARE(nullName.torrents->first().second, TorrentData{});

    // The exact spellings of the server; the near misses are unknown keys.
    const SyncData spelled = SyncData::fromJson(
        R"({"rid":1,"torrents":{"h":{"num_leechs":4,"num_leeches":9,"added_on":5,"completion_on":-1,"save_path":"/s","dl_speed":8}}})");
    const TorrentData &t = spelled.torrents->first().second;
    QCOMPARE(t.numLeechs, std::optional<qint64>(4));
    QCOMPARE(t.addedOn, std::optional<qint64>(5));
    QCOMPARE(t.completionOn, std::optional<qint64>(-1));
    QCOMPARE(t.savePath, std::optional<QString>(QStringLiteral("/s")));
    QVERIFY(!t.dlspeed);
}

void DecodingSyncTest::absentDiffersFromEmpty()
{
    const SyncData empty = SyncData::fromJson(
        R"({"rid":1,"torrents":{},"torrents_removed":[],"categories":{},"tags":[],"server_state":{}})");
    QVERIFY(empty.torrents && empty.torrents->isEmpty());
    QVERIFY(empty.torrentsRemoved && empty.torrentsRemoved->isEmpty());
    QVERIFY(empty.categories && empty.categories->isEmpty());
    QVERIFY(empty.tags && empty.tags->isEmpty());
    QVERIFY(empty.serverState);
    QVERIFY(!empty.categoriesRemoved);
    QVERIFY(!empty.tagsRemoved);

    const SyncData removed = SyncData::fromJson(
        R"({"rid":2,"torrents_removed":["a","b"],"categories_removed":["c"],"tags_removed":["t1","t2"]})");
    QCOMPARE(removed.torrentsRemoved, std::optional<QStringList>({"a", "b"}));
    QCOMPARE(removed.categoriesRemoved, std::optional<QStringList>(QStringList{"c"}));
    QCOMPARE(removed.tagsRemoved, std::optional<QStringList>({"t1", "t2"}));
}

void DecodingSyncTest::mapsKeepTheAnswersOrder()
{
    const SyncData data = SyncData::fromJson(
        R"({"rid":1,"torrents":{"zz":{},"aa":{},"mm":{}},"categories":{"b":{"name":"b","savePath":""},"a":{"name":"a","savePath":""}}})");
    QCOMPARE(data.torrents->at(0).first, QStringLiteral("zz"));
    QCOMPARE(data.torrents->at(1).first, QStringLiteral("aa"));
    QCOMPARE(data.torrents->at(2).first, QStringLiteral("mm"));
    QCOMPARE(data.categories->at(0).first, QStringLiteral("b"));
    QCOMPARE(data.categories->at(1).first, QStringLiteral("a"));
}

void DecodingSyncTest::categoryEntriesNeedBothKeys()
{
    const SyncData ok = SyncData::fromJson(R"({"rid":1,"categories":{"tv":{"name":"tv","savePath":"/tv"}}})");
    QCOMPARE(ok.categories->first().second, (CategoryData{QStringLiteral("tv"), QStringLiteral("/tv")}));

    const auto snake = decodingFailure([] {
        return SyncData::fromJson(R"({"rid":1,"categories":{"tv":{"name":"tv","save_path":"/tv"}}})");
    });
    QVERIFY(snake);
    QCOMPARE(snake->kind(), Kind::KeyNotFound);
    QCOMPARE(snake->key(), QStringLiteral("savePath"));
    QCOMPARE(snake->codingPath(), (QStringList{QStringLiteral("categories"), QStringLiteral("tv")}));

    const auto noName = decodingFailure(
        [] { return SyncData::fromJson(R"({"rid":1,"categories":{"tv":{"savePath":"/tv"}}})"); });
    QVERIFY(noName);
    QCOMPARE(noName->key(), QStringLiteral("name"));
}

void DecodingSyncTest::wrongContainerTypes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("expectedType");
    QTest::addColumn<QStringList>("path");
    QTest::newRow("torrents as list") << QByteArray(R"({"rid":1,"torrents":[]})")
                                      << "Dictionary<String, TorrentData>" << QStringList{"torrents"};
    QTest::newRow("torrent as list") << QByteArray(R"({"rid":1,"torrents":{"h":[]}})") << "TorrentData"
                                     << QStringList{"torrents", "h"};
    QTest::newRow("removed as object") << QByteArray(R"({"rid":1,"torrents_removed":{}})") << "Array<String>"
                                       << QStringList{"torrents_removed"};
    QTest::newRow("tag as number") << QByteArray(R"({"rid":1,"tags":["a",2]})") << "String"
                                   << QStringList{"tags", "Index 1"};
    QTest::newRow("categories as string") << QByteArray(R"({"rid":1,"categories":"x"})")
                                          << "Dictionary<String, CategoryData>" << QStringList{"categories"};
    QTest::newRow("server state as list")
        << QByteArray(R"({"rid":1,"server_state":[]})") << "ServerState" << QStringList{"server_state"};
    QTest::newRow("fraction in size") << QByteArray(R"({"rid":1,"torrents":{"h":{"size":1.5}}})") << "Int64"
                                      << QStringList{"torrents", "h", "size"};
    QTest::newRow("text in ratio") << QByteArray(R"({"rid":1,"torrents":{"h":{"ratio":"1"}}})") << "Double"
                                   << QStringList{"torrents", "h", "ratio"};
    QTest::newRow("number in state") << QByteArray(R"({"rid":1,"torrents":{"h":{"state":3}}})") << "String"
                                     << QStringList{"torrents", "h", "state"};
}

void DecodingSyncTest::wrongContainerTypes()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, expectedType);
    QFETCH(QStringList, path);
    const auto error = decodingFailure([&] { return SyncData::fromJson(json); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::TypeMismatch);
    QCOMPARE(error->expectedType(), expectedType);
    QCOMPARE(error->codingPath(), path);
}

void DecodingSyncTest::failureDropsTheWholeAnswer()
{
    // One bad torrent among good ones: nothing is returned at all.
    QByteArray bytes = fixture(QStringLiteral("maindata-full.json"));
    bytes.replace("\"eta\":8640000", "\"eta\":\"never\"");
    const auto error = decodingFailure([&] { return SyncData::fromJson(bytes); });
    QVERIFY(error);
    QCOMPARE(error->codingPath().size(), 3);
    QCOMPARE(error->codingPath().last(), QStringLiteral("eta"));
}

void DecodingSyncTest::recordsDecodeOnTheirOwn()
{
    const TorrentData data =
        TorrentData::fromJson(R"({"name":"x","eta":8640000,"popularity":0.5,"tracker":"udp://t"})");
    QCOMPARE(data.name, std::optional<QString>(QStringLiteral("x")));
    QCOMPARE(data.eta, std::optional<qint64>(8640000));
    QCOMPARE(data.popularity, std::optional<double>(0.5));
    QCOMPARE(data.tracker, std::optional<QString>(QStringLiteral("udp://t")));
    QCOMPARE(TorrentData{}.toJson(), QByteArray("{}"));

    const CategoryData category = CategoryData::fromJson(R"({"name":"n","savePath":"/p"})");
    QCOMPARE(CategoryData::fromJson(category.toJson()), category);
}

void DecodingSyncTest::roundTrip()
{
    const SyncData server = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
    QCOMPARE(SyncData::fromJson(server.toJson()), server);

    SyncData data;
    data.rid = 99;
    data.fullUpdate = false;
    TorrentData torrent;
    torrent.name = QStringLiteral("名字");
    torrent.progress = 0.123456789012345;
    torrent.addedOn = 1796557629;
    torrent.completionOn = 0;
    torrent.timeActive = 9007199254740993LL;
    data.torrents =
        QList<std::pair<QString, TorrentData>>{{QStringLiteral("h1"), torrent}, {QStringLiteral("h2"), {}}};
    data.torrentsRemoved = QStringList{QStringLiteral("h3")};
    data.categoriesRemoved = QStringList{};
    data.serverState = ServerState{};
    data.serverState->alltimeUL = 1;
    const QByteArray bytes = data.toJson();
    QVERIFY(!bytes.contains("tags"));
    QVERIFY(bytes.contains("\"categories_removed\":[]"));
    QCOMPARE(SyncData::fromJson(bytes), data);
}

QTEST_GUILESS_MAIN(DecodingSyncTest)
#include "tst_DecodingSync.moc"
