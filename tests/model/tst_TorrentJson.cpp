#include "DecodingFailure.h"

#include "model/Torrent.h"

#include <QTest>

using Kind = DecodingError::Kind;

namespace {

Torrent sample()
{
    Torrent t;
    t.id = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d");
    t.name = QStringLiteral("sample.bin");
    t.size = 9007199254740993LL;
    t.progress = 0.5;
    t.dlspeed = 1024;
    t.upspeed = 2;
    t.downloaded = 3;
    t.uploaded = 4;
    t.eta = 8640000;
    t.state = TorrentState::stalledUP;
    t.ratio = 1.25;
    t.category = QStringLiteral("测试");
    t.tags = QStringLiteral("a, b");
    t.addedOn = Timestamp(std::chrono::seconds(1796557629));
    t.completionOn = Timestamp(std::chrono::seconds(1796561958));
    t.savePath = QStringLiteral("/downloads");
    t.numSeeds = 5;
    t.numLeechs = 6;
    t.numComplete = 7;
    t.numIncomplete = 8;
    t.priority = -1;
    return t;
}

} // namespace

class TorrentJsonTest : public QObject
{
    Q_OBJECT

private slots:
    void fieldNamesStateAndSeconds();
    void roundTrip();
    void everyStateRoundTrips();
    void unknownStateIsCorrupted();
    void everyFieldButCompletionIsRequired();
};

void TorrentJsonTest::fieldNamesStateAndSeconds()
{
    const QByteArray bytes = sample().toJson();
    QVERIFY2(bytes.contains("\"state\":\"stalledUP\""), bytes.constData());
    QVERIFY(bytes.contains("\"addedOn\":1796557629,"));
    QVERIFY(bytes.contains("\"completionOn\":1796561958,"));
    QVERIFY(bytes.contains("\"numLeechs\":6"));
    QVERIFY(bytes.contains("\"savePath\":\"/downloads\""));
    QVERIFY(bytes.contains("\"size\":9007199254740993"));

    Torrent incomplete = sample();
    incomplete.completionOn.reset();
    QVERIFY(!incomplete.toJson().contains("completionOn"));
}

void TorrentJsonTest::roundTrip()
{
    QCOMPARE(Torrent::fromJson(sample().toJson()), sample());
    Torrent incomplete = sample();
    incomplete.completionOn.reset();
    QCOMPARE(Torrent::fromJson(incomplete.toJson()), incomplete);
}

void TorrentJsonTest::everyStateRoundTrips()
{
    for (const TorrentState state : TorrentStates::allCases()) {
        Torrent t = sample();
        t.state = state;
        QCOMPARE(Torrent::fromJson(t.toJson()).state, state);
    }
}

void TorrentJsonTest::unknownStateIsCorrupted()
{
    for (const QByteArray &raw :
         {QByteArray("\"Downloading\""), QByteArray("\"\""), QByteArray("\"paused\"")}) {
        QByteArray bytes = sample().toJson();
        bytes.replace("\"stalledUP\"", raw);
        const auto error = decodingFailure([&] { return Torrent::fromJson(bytes); });
        QVERIFY2(error, raw.constData());
        QCOMPARE(error->kind(), Kind::DataCorrupted);
        QCOMPARE(error->codingPath(), QStringList{QStringLiteral("state")});
    }
    QByteArray number = sample().toJson();
    number.replace("\"stalledUP\"", "7");
    const auto error = decodingFailure([&] { return Torrent::fromJson(number); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::TypeMismatch);
}

void TorrentJsonTest::everyFieldButCompletionIsRequired()
{
    const QByteArray bytes = sample().toJson();
    for (const char *key :
         {"id",       "name",     "size",      "progress",    "dlspeed",       "upspeed", "downloaded",
          "uploaded", "eta",      "state",     "ratio",       "category",      "tags",    "addedOn",
          "savePath", "numSeeds", "numLeechs", "numComplete", "numIncomplete", "priority"}) {
        QByteArray without = bytes;
        without.replace(QByteArray("\"") + key + "\":", "\"unused\":");
        const auto error = decodingFailure([&] { return Torrent::fromJson(without); });
        QVERIFY2(error, key);
        QCOMPARE(error->kind(), Kind::KeyNotFound);
        QCOMPARE(error->key(), QString::fromLatin1(key));
    }
    QByteArray noCompletion = bytes;
    noCompletion.replace("\"completionOn\":", "\"unused\":");
    QVERIFY(!Torrent::fromJson(noCompletion).completionOn);
}

QTEST_GUILESS_MAIN(TorrentJsonTest)
#include "tst_TorrentJson.moc"
