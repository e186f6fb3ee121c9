#include "DecodingFailure.h"

#include "model/Torrent.h"

namespace {

Torrent sample()
{
    return Torrent::fromJson(
        R"({"id":"db022fb182e05e8b64241c9e5e39e019c8d65e3d","name":"sample.bin",)"
        R"("size":9007199254740993,"progress":0.5,"dlspeed":1024,"upspeed":2,"downloaded":3,)"
        R"("uploaded":4,"eta":8640000,"state":"stalledUP","ratio":1.25,"category":"测试",)"
        R"("tags":"a, b","addedOn":1796557629,"completionOn":1796561958,)"
        R"("savePath":"/downloads","numSeeds":5,"numLeechs":6,"numComplete":7,)"
        R"("numIncomplete":8,"priority":-1})");
}

} // namespace

class TorrentJsonTest : public QObject
{
    Q_OBJECT

private slots:
    void encodedFormAndFailures();
    void roundTrips();
};

// The JSON form, then the failure of each required key missing and of bad states.
void TorrentJsonTest::encodedFormAndFailures()
{
    const QByteArray bytes = sample().toJson();
    QByteArray text = snapshotText(bytes);
    const auto failure = [&](const QByteArray &from, const QByteArray &to) {
        const QByteArray changed = QByteArray(bytes).replace(from, to);
        text += from + " -> " + to + ": " + failureText([&] { return Torrent::fromJson(changed); }).toUtf8() +
                '\n';
    };
    for (const char *key :
         {"id",           "name",     "size",     "progress",  "dlspeed",     "upspeed",       "downloaded",
          "uploaded",     "eta",      "state",    "ratio",     "category",    "tags",          "addedOn",
          "completionOn", "savePath", "numSeeds", "numLeechs", "numComplete", "numIncomplete", "priority"})
        failure('"' + QByteArray(key) + '"', "\"unused\"");
    for (const char *raw : {"\"Downloading\"", "\"\"", "\"paused\"", "7"})
        failure("\"stalledUP\"", raw);
    compareSnapshot(QStringLiteral("torrent.snap"), text);
}

void TorrentJsonTest::roundTrips()
{
    Torrent t = sample();
    QCOMPARE(Torrent::fromJson(t.toJson()), t);
    for (const TorrentState state : TorrentStates::allCases()) {
        t.state = state;
        QCOMPARE(Torrent::fromJson(t.toJson()).state, state);
    }
    t.completionOn.reset();
    QVERIFY(!t.toJson().contains("completionOn"));
    QCOMPARE(Torrent::fromJson(t.toJson()), t);
}

QTEST_GUILESS_MAIN(TorrentJsonTest)
#include "tst_TorrentJson.moc"
