#include "DecodingFailure.h"

#include "model/DetailRecords.h"
#include "model/JsonRecords.h"
#include "support/Fixtures.h"

#include <QSet>

namespace {

const QByteArray kPeers = R"({"rid":3,"peers":{
  "10.0.0.2:6881":{"client":"qBittorrent/4.5.2","connection":"BT","country":"中国","country_code":"cn",
    "dl_speed":1024,"downloaded":5000000000,"flags":"D X","ip":"10.0.0.2","port":6881,"progress":1,
    "relevance":1,"up_speed":0,"uploaded":0},
  "[fe80::2]:51413":{"client":"Transmission 4.0","connection":"μTP","country":"","dl_speed":0,"downloaded":0,
    "flags":"","ip":"fe80::2","port":51413,"progress":0.5,"up_speed":2048,"uploaded":7}}})";

const QByteArray kFile = R"({"name":"a","size":1,"progress":0,"priority":1,"availability":0})";

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
    void answersAsSnapshot();
    void trackersGetNewIdentities();
};

// Each answer decoded and written back in its JSON form (a tracker's identity is not part of
// it), or the failure it gives; then the tracker status texts.
void DecodingDetailTest::answersAsSnapshot()
{
    QByteArray text;
    const auto add = [&text](const char *label, auto decode, const QByteArray &json) {
        text += outcomeText(label, [&] { return json::encodeDocument(decode(json)); });
    };
    add("files of the server", &decodeTorrentFiles, fixture(u"torrent-files.json"_qs));
    // The server's own "index" key is not what numbers the files.
    add("files numbered by position", &decodeTorrentFiles,
        R"([{"index":7,"name":"c/3","size":3,"progress":0.5,"priority":0,"availability":0.25},)"
        R"({"name":"b/2","size":9007199254740993,"progress":1,"priority":7,"availability":2.5}])");
    add("file without availability", &decodeTorrentFiles,
        "[" + kFile + "," + withoutKey(kFile, "availability") + "]");
    add("fractional file priority", &decodeTorrentFiles,
        "[" + QByteArray(kFile).replace("\"priority\":1", "\"priority\":1.5") + "]");
    add("files as object", &decodeTorrentFiles, "{}");
    text += outcomeText("file record without index", [] { return TorrentFile::fromJson(kFile).toJson(); });
    add("trackers of the server", &decodeTorrentTrackers, fixture(u"torrent-trackers.json"_qs));
    // Fields other than "url" never fail; the sync answer's spelling "num_leechs" is not the tracker's.
    add("lenient tracker fields", &decodeTorrentTrackers, R"([{"url":"u1","tier":"","status":2,"msg":"ok"},
        {"url":"u2","num_peers":null,"num_seeds":1.5,"num_leeches":"3","num_downloaded":2.0},
        {"url":"u3","status":"2","msg":5,"tier":[]}, {"url":"u4","status":2.5,"msg":null,"num_leechs":9},
        {"url":"u5","status":null,"tier":9223372036854775808}])");
    add("tracker without url", &decodeTorrentTrackers, R"([{"url":"a"},{"status":2}])");
    add("number as url", &decodeTorrentTrackers, R"([{"url":5}])");
    add("null url", &decodeTorrentTrackers, R"([{"url":null}])");
    add("tracker as string", &decodeTorrentTrackers, R"(["http://t"])");
    add("peers", &decodeTorrentPeers, kPeers);
    add("no peers of the server", &decodeTorrentPeers, fixture(u"torrent-peers.json"_qs));
    add("no peers key", &decodeTorrentPeers, R"({"rid":1,"full_update":true})");
    for (const char *key : {"ip", "port", "client", "progress", "dl_speed", "up_speed", "downloaded",
                            "uploaded", "connection", "flags", "country"})
        add(key, &decodeTorrentPeers, withoutKey(kPeers, key));
    add("peer with the torrent's spelling", &decodeTorrentPeers,
        QByteArray(kPeers).replace("\"dl_speed\"", "\"dlspeed\""));
    add("categories of the server", &decodeCategories, fixture(u"categories.json"_qs));
    // The map key names the category; a "name" inside is neither read nor needed.
    add("categories named by key", &decodeCategories,
        R"({"movies":{"name":"other","savePath":"/m"},"电视":{"savePath":"/tv"}})");
    add("category without path", &decodeCategories, R"({"a":{"savePath":""},"b":{"name":"b"}})");
    add("category as string", &decodeCategories, R"({"a":"/a"})");
    add("categories as list", &decodeCategories, "[]");
    add("tags of the server", &decodeTags, fixture(u"tags.json"_qs));
    add("number as tag", &decodeTags, R"(["a",1])");
    add("tags as object", &decodeTags, "{}");
    text += "== tracker status texts\n";
    for (const qint64 status :
         {qint64(0), qint64(1), qint64(2), qint64(3), qint64(4), qint64(5), qint64(-1), qint64(1) << 40}) {
        TorrentTracker tracker;
        tracker.status = status;
        text += QByteArray::number(status) + " -> " + tracker.statusText().toUtf8() + '\n';
    }
    compareSnapshot(QStringLiteral("detail-answers.snap"), text);
}

void DecodingDetailTest::trackersGetNewIdentities()
{
    const QByteArray bytes = fixture(QStringLiteral("torrent-trackers.json"));
    const QList<TorrentTracker> first = decodeTorrentTrackers(bytes);
    const QList<TorrentTracker> second = decodeTorrentTrackers(bytes);
    QSet<QUuid> ids;
    for (qsizetype i = 0; i < first.size(); ++i) {
        QVERIFY(!first[i].id.isNull());
        ids << first[i].id << second[i].id;
        TorrentTracker sameId = second[i];
        sameId.id = first[i].id;
        QCOMPARE(sameId, first[i]);
    }
    QCOMPARE(ids.size(), int(first.size() * 2));
}

QTEST_GUILESS_MAIN(DecodingDetailTest)
#include "tst_DecodingDetail.moc"
