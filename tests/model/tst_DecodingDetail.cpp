#include "DecodingFailure.h"

#include "model/DetailRecords.h"
#include "support/Fixtures.h"

#include <QSet>
#include <QTest>

using Kind = DecodingError::Kind;

namespace {

const QByteArray kPeers = R"({"rid":3,"peers":{
  "10.0.0.2:6881":{"client":"qBittorrent/4.5.2","connection":"BT","country":"中国","country_code":"cn",
    "dl_speed":1024,"downloaded":5000000000,"flags":"D X","ip":"10.0.0.2","port":6881,"progress":1,
    "relevance":1,"up_speed":0,"uploaded":0},
  "[fe80::2]:51413":{"client":"Transmission 4.0","connection":"μTP","country":"","dl_speed":0,"downloaded":0,
    "flags":"","ip":"fe80::2","port":51413,"progress":0.5,"up_speed":2048,"uploaded":7}}})";

QByteArray withoutKey(QByteArray json, const QByteArray &key)
{
    json.replace('"' + key + '"', "\"unused\"");
    return json;
}

} // namespace

class DecodingDetailTest : public QObject
{
    Q_OBJECT

private slots:
    void filesFromServer();
    void filesAreIndexedByPosition();
    void fileFailuresFailTheList();
    void torrentFileRecord();
    void trackersFromServer();
    void trackerFieldsAreLenient();
    void trackerWithoutUrlFailsTheList();
    void trackersGetNewIdentities();
    void trackerStatusText_data();
    void trackerStatusText();
    void trackerEncoding();
    void peersFromServer();
    void peersNeedEveryKey();
    void peersResponseRoundTrip();
    void categoriesAreNamedByKey();
    void categoryFailures();
    void tags();
};

void DecodingDetailTest::filesFromServer()
{
    const QList<TorrentFile> files = decodeTorrentFiles(fixture(QStringLiteral("torrent-files.json")));
    QCOMPARE(files.size(), 1);
    const TorrentFile expected{0, QStringLiteral("sample.bin"), 100000, 1.0, 1, -1.0};
    QCOMPARE(files.first(), expected);
}

void DecodingDetailTest::filesAreIndexedByPosition()
{
    // The server's own "index" key is not what numbers the files.
    const QList<TorrentFile> files = decodeTorrentFiles(
        R"([{"index":7,"name":"c/3","size":3,"progress":0.5,"priority":0,"availability":0.25},
            {"name":"a/1","size":1,"progress":0,"priority":6,"availability":1},
            {"name":"b/2","size":9007199254740993,"progress":1,"priority":7,"availability":2.5}])");
    QCOMPARE(files.size(), 3);
    for (qsizetype i = 0; i < files.size(); ++i)
        QCOMPARE(files[i].index, i);
    QCOMPARE(files[0].name, QStringLiteral("c/3"));
    QCOMPARE(files[1].priority, 6);
    QCOMPARE(files[2].size, 9007199254740993LL);
    QCOMPARE(files[2].availability, 2.5);
    QVERIFY(decodeTorrentFiles("[]").isEmpty());
}

void DecodingDetailTest::fileFailuresFailTheList()
{
    const QByteArray good = R"({"name":"a","size":1,"progress":0,"priority":1,"availability":0})";
    const auto missing = decodingFailure(
        [&] { return decodeTorrentFiles("[" + good + "," + withoutKey(good, "availability") + "]"); });
    QVERIFY(missing);
    QCOMPARE(missing->kind(), Kind::KeyNotFound);
    QCOMPARE(missing->key(), QStringLiteral("availability"));
    QCOMPARE(missing->codingPath(), QStringList{QStringLiteral("Index 1")});

    QByteArray fractional = good;
    fractional.replace("\"priority\":1", "\"priority\":1.5");
    const auto type = decodingFailure([&] { return decodeTorrentFiles("[" + fractional + "]"); });
    QVERIFY(type);
    QCOMPARE(type->codingPath(), (QStringList{QStringLiteral("Index 0"), QStringLiteral("priority")}));

    const auto object = decodingFailure([] { return decodeTorrentFiles("{}"); });
    QVERIFY(object);
    QCOMPARE(object->expectedType(), QStringLiteral("Array<TorrentFileResponse>"));
}

void DecodingDetailTest::torrentFileRecord()
{
    const TorrentFile file{4, QStringLiteral("目录/文件.mkv"), 1 << 30, 0.75, 1, 1.5};
    QCOMPARE(TorrentFile::fromJson(file.toJson()), file);
    const auto noIndex =
        decodingFailure([&] { return TorrentFile::fromJson(withoutKey(file.toJson(), "index")); });
    QVERIFY(noIndex);
    QCOMPARE(noIndex->key(), QStringLiteral("index"));

    const TorrentFileResponse response =
        TorrentFileResponse::fromJson(R"({"name":"n","size":2,"progress":1,"priority":0,"availability":-1})");
    QCOMPARE(response.progress, 1.0);
    QCOMPARE(TorrentFileResponse::fromJson(response.toJson()), response);
}

void DecodingDetailTest::trackersFromServer()
{
    const QList<TorrentTracker> trackers =
        decodeTorrentTrackers(fixture(QStringLiteral("torrent-trackers.json")));
    QCOMPARE(trackers.size(), 4);
    QCOMPARE(trackers[0].url, QStringLiteral("** [DHT] **"));
    QCOMPARE(trackers[0].status, 0);
    QCOMPARE(trackers[0].tier, std::optional<qint64>(-1));
    QCOMPARE(trackers[3].url, QStringLiteral("http://127.0.0.1:1/announce"));
    QCOMPARE(trackers[3].status, 3);
    QCOMPARE(trackers[3].tier, std::optional<qint64>(0));
    QCOMPARE(trackers[3].numPeers, std::optional<qint64>(-1));
    QCOMPARE(trackers[3].numLeeches, std::optional<qint64>(-1));
    QCOMPARE(trackers[3].numDownloaded, std::optional<qint64>(-1));
    QCOMPARE(trackers[3].msg, QString());
}

void DecodingDetailTest::trackerFieldsAreLenient()
{
    const QList<TorrentTracker> trackers = decodeTorrentTrackers(R"([
        {"url":"u1","tier":"","status":2,"msg":"ok"},
        {"url":"u2","num_peers":null,"num_seeds":1.5,"num_leeches":"3","num_downloaded":2.0},
        {"url":"u3","status":"2","msg":5,"tier":[]},
        {"url":"u4","status":2.5,"msg":null,"num_leechs":9},
        {"url":"u5","status":null,"tier":9223372036854775808}])");
    QCOMPARE(trackers.size(), 5);
    QVERIFY(!trackers[0].tier);
    QCOMPARE(trackers[0].status, 2);
    QCOMPARE(trackers[0].msg, QStringLiteral("ok"));
    QCOMPARE(trackers[1].status, 1);
    QCOMPARE(trackers[1].msg, QString());
    QVERIFY(!trackers[1].numPeers);
    QVERIFY(!trackers[1].numSeeds);
    QVERIFY(!trackers[1].numLeeches);
    QCOMPARE(trackers[1].numDownloaded, std::optional<qint64>(2));
    QCOMPARE(trackers[2].status, 1);
    QCOMPARE(trackers[2].msg, QString());
    QVERIFY(!trackers[2].tier);
    QCOMPARE(trackers[3].status, 1);
    // The sync payload's spelling is not the tracker's.
    QVERIFY(!trackers[3].numLeeches);
    QCOMPARE(trackers[4].status, 1);
    QVERIFY(!trackers[4].tier);
    QCOMPARE(trackers[4].statusText(), QStringLiteral("未联系"));
}

void DecodingDetailTest::trackerWithoutUrlFailsTheList()
{
    const auto missing =
        decodingFailure([] { return decodeTorrentTrackers(R"([{"url":"a"},{"status":2}])"); });
    QVERIFY(missing);
    QCOMPARE(missing->kind(), Kind::KeyNotFound);
    QCOMPARE(missing->key(), QStringLiteral("url"));
    QCOMPARE(missing->codingPath(), QStringList{QStringLiteral("Index 1")});

    const auto number = decodingFailure([] { return decodeTorrentTrackers(R"([{"url":5}])"); });
    QVERIFY(number);
    QCOMPARE(number->kind(), Kind::TypeMismatch);

    const auto null = decodingFailure([] { return decodeTorrentTrackers(R"([{"url":null}])"); });
    QVERIFY(null);
    QCOMPARE(null->kind(), Kind::ValueNotFound);

    const auto notObject = decodingFailure([] { return decodeTorrentTrackers(R"(["http://t"])"); });
    QVERIFY(notObject);
    QCOMPARE(notObject->expectedType(), QStringLiteral("TorrentTracker"));
}

void DecodingDetailTest::trackersGetNewIdentities()
{
    const QByteArray bytes = fixture(QStringLiteral("torrent-trackers.json"));
    const QList<TorrentTracker> first = decodeTorrentTrackers(bytes);
    const QList<TorrentTracker> second = decodeTorrentTrackers(bytes);
    QSet<QUuid> ids;
    for (qsizetype i = 0; i < first.size(); ++i) {
        QVERIFY(!first[i].id.isNull());
        QVERIFY(first[i].id != second[i].id);
        ids << first[i].id << second[i].id;
        TorrentTracker sameId = second[i];
        sameId.id = first[i].id;
        QCOMPARE(sameId, first[i]);
    }
    QCOMPARE(ids.size(), int(first.size() * 2));
}

void DecodingDetailTest::trackerStatusText_data()
{
    QTest::addColumn<qint64>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "已禁用";
    QTest::newRow("1") << qint64(1) << "未联系";
    QTest::newRow("2") << qint64(2) << "工作中";
    QTest::newRow("3") << qint64(3) << "更新中";
    QTest::newRow("4") << qint64(4) << "未工作";
    QTest::newRow("5") << qint64(5) << "未知";
    QTest::newRow("-1") << qint64(-1) << "未知";
    QTest::newRow("huge") << qint64(1LL << 40) << "未知";
}

void DecodingDetailTest::trackerStatusText()
{
    QFETCH(qint64, status);
    QFETCH(QString, text);
    TorrentTracker tracker;
    tracker.status = status;
    QCOMPARE(tracker.statusText(), text);
}

void DecodingDetailTest::trackerEncoding()
{
    TorrentTracker tracker;
    tracker.url = QStringLiteral("udp://tracker:1337/announce");
    tracker.status = 4;
    tracker.numSeeds = 12;
    const QByteArray bytes = tracker.toJson();
    QVERIFY(bytes.contains("\"url\":"));
    QVERIFY(bytes.contains("\"status\":4"));
    QVERIFY(bytes.contains("\"msg\":\"\""));
    QVERIFY(bytes.contains("\"num_seeds\":12"));
    QVERIFY(!bytes.contains("tier"));
    QVERIFY(!bytes.contains("num_peers"));
    // The identity is never part of the JSON form.
    QVERIFY(!bytes.contains("id"));
    TorrentTracker back = TorrentTracker::fromJson(bytes);
    back.id = tracker.id;
    QCOMPARE(back, tracker);
}

void DecodingDetailTest::peersFromServer()
{
    QVERIFY(decodeTorrentPeers(fixture(QStringLiteral("torrent-peers.json"))).isEmpty());

    const QList<TorrentPeer> peers = decodeTorrentPeers(kPeers);
    QCOMPARE(peers.size(), 2);
    const TorrentPeer first{QStringLiteral("10.0.0.2"),
                            6881,
                            QStringLiteral("qBittorrent/4.5.2"),
                            1.0,
                            1024,
                            0,
                            5000000000LL,
                            0,
                            QStringLiteral("BT"),
                            QStringLiteral("D X"),
                            QStringLiteral("中国")};
    QCOMPARE(peers[0], first);
    QCOMPARE(peers[1].ip, QStringLiteral("fe80::2"));
    QCOMPARE(peers[1].upSpeed, 2048);
    QCOMPARE(peers[1].progress, 0.5);
}

void DecodingDetailTest::peersNeedEveryKey()
{
    const auto noPeers =
        decodingFailure([] { return decodeTorrentPeers(R"({"rid":1,"full_update":true})"); });
    QVERIFY(noPeers);
    QCOMPARE(noPeers->kind(), Kind::KeyNotFound);
    QCOMPARE(noPeers->key(), QStringLiteral("peers"));

    for (const QByteArray key : {"ip", "port", "client", "progress", "dl_speed", "up_speed", "downloaded",
                                 "uploaded", "connection", "flags", "country"}) {
        const auto error = decodingFailure([&] { return decodeTorrentPeers(withoutKey(kPeers, key)); });
        QVERIFY2(error, key.constData());
        QCOMPARE(error->kind(), Kind::KeyNotFound);
        QCOMPARE(error->key(), QString::fromUtf8(key));
        QCOMPARE(error->codingPath(),
                 (QStringList{QStringLiteral("peers"), QStringLiteral("10.0.0.2:6881")}));
    }

    const auto torrentSpelling = decodingFailure([] {
        QByteArray bytes = kPeers;
        bytes.replace("\"dl_speed\"", "\"dlspeed\"");
        return decodeTorrentPeers(bytes);
    });
    QVERIFY(torrentSpelling);
    QCOMPARE(torrentSpelling->key(), QStringLiteral("dl_speed"));
}

void DecodingDetailTest::peersResponseRoundTrip()
{
    const PeersResponse response = PeersResponse::fromJson(kPeers);
    QCOMPARE(response.peers.size(), 2);
    QCOMPARE(response.peers[1].first, QStringLiteral("[fe80::2]:51413"));
    QCOMPARE(PeersResponse::fromJson(response.toJson()), response);
}

void DecodingDetailTest::categoriesAreNamedByKey()
{
    const QList<Category> fromServer = decodeCategories(fixture(QStringLiteral("categories.json")));
    QCOMPARE(fromServer,
             (QList<Category>{{QStringLiteral("linux"), QString()}, {QStringLiteral("test"), QString()}}));

    const QList<Category> renamed = decodeCategories(R"({"movies":{"name":"other","savePath":"/m"}})");
    QCOMPARE(renamed, (QList<Category>{{QStringLiteral("movies"), QStringLiteral("/m")}}));
    // "name" inside is not even needed.
    QCOMPARE(decodeCategories(R"({"电视":{"savePath":"/tv"}})").first().name, QStringLiteral("电视"));
    QVERIFY(decodeCategories("{}").isEmpty());

    const CategoryResponse response = CategoryResponse::fromJson(R"({"savePath":"/x"})");
    QCOMPARE(CategoryResponse::fromJson(response.toJson()), response);
}

void DecodingDetailTest::categoryFailures()
{
    const auto noPath =
        decodingFailure([] { return decodeCategories(R"({"a":{"savePath":""},"b":{"name":"b"}})"); });
    QVERIFY(noPath);
    QCOMPARE(noPath->key(), QStringLiteral("savePath"));
    QCOMPARE(noPath->codingPath(), QStringList{QStringLiteral("b")});

    const auto notObject = decodingFailure([] { return decodeCategories(R"({"a":"/a"})"); });
    QVERIFY(notObject);
    QCOMPARE(notObject->expectedType(), QStringLiteral("CategoryResponse"));

    const auto list = decodingFailure([] { return decodeCategories("[]"); });
    QVERIFY(list);
    QCOMPARE(list->expectedType(), QStringLiteral("Dictionary<String, CategoryResponse>"));
}

void DecodingDetailTest::tags()
{
    QCOMPARE(decodeTags(fixture(QStringLiteral("tags.json"))), (QStringList{"iso", "b", "a"}));
    QVERIFY(decodeTags("[]").isEmpty());
    const auto number = decodingFailure([] { return decodeTags(R"(["a",1])"); });
    QVERIFY(number);
    QCOMPARE(number->codingPath(), QStringList{QStringLiteral("Index 1")});
    QCOMPARE(number->expectedType(), QStringLiteral("String"));
    const auto object = decodingFailure([] { return decodeTags("{}"); });
    QVERIFY(object);
    QCOMPARE(object->expectedType(), QStringLiteral("Array<String>"));
}

QTEST_GUILESS_MAIN(DecodingDetailTest)
#include "tst_DecodingDetail.moc"
