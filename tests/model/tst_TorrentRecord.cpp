#include "DecodingFailure.h"

#include "model/Formatting.h"
#include "model/JsonRecords.h"
#include "model/Torrent.h"
#include "support/Fixtures.h"

#include <QJsonObject>

#include <cmath>
#include <limits>

namespace {

const QString kHash = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d");

// A complete record in the server's spelling; `change` overrides or adds keys.
TorrentData data(const QByteArray &change = "{}")
{
    QJsonObject object = QJsonDocument::fromJson(R"({"name":"sample.bin","size":100000,"progress":0.25,
        "dlspeed":10,"upspeed":20,"downloaded":30,"uploaded":40,"eta":50,"state":"downloading","ratio":0.5,
        "category":"test","tags":"a, b","added_on":1700000000,"completion_on":1600000000,
        "save_path":"/srv/downloads","num_seeds":1,"num_leechs":2,"num_complete":3,"num_incomplete":4,
        "priority":5})")
                             .object();
    const QJsonObject overrides = QJsonDocument::fromJson(change).object();
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        object.insert(it.key(), *it);
    return TorrentData::fromJson(QJsonDocument(object).toJson());
}

Torrent makeTorrent(const QByteArray &change = "{}")
{
    return Torrent::fromTorrentData(kHash, data(change)).value();
}

} // namespace

class TorrentRecordTest : public QObject
{
    Q_OBJECT

private slots:
    // Each state's index, raw value, display name, icon and whether it counts as paused, in
    // declared order; then the texts of ETAs and the lists of tags.
    void texts()
    {
        SnapshotLog log;
        for (const TorrentState state : TorrentStates::allCases()) {
            const QString raw = TorrentStates::rawValue(state);
            QCOMPARE(TorrentStates::fromRawValue(raw), std::optional(state));
            const Torrent torrent = makeTorrent("{\"state\":\"" + raw.toUtf8() + "\"}");
            QCOMPARE(torrent.state, state);
            log.add(QString::number(int(state)) + u' ' + raw,
                    TorrentStates::displayName(state) + u' ' + TorrentStates::iconName(state) +
                        (torrent.isPaused() ? u" paused"_qs : QString()));
        }
        Torrent torrent = makeTorrent();
        for (const qint64 eta : {qint64(-1), std::numeric_limits<qint64>::min(), qint64(8640000),
                                 qint64(8639999), qint64(8640001), qint64(3725), qint64(3599), qint64(60),
                                 qint64(59), qint64(0), std::numeric_limits<qint64>::max()}) {
            torrent.eta = eta;
            log.add(u"eta "_qs + QString::number(eta), torrent.formattedETA());
        }
        // Space separators (Zs) and tabs are trimmed; line breaks and zero-width spaces are text.
        for (const QString &tags :
             {QString(), u"a, b,,c "_qs, u" , ,,"_qs, u"b,a,b"_qs, u" hd remux ,x"_qs, u"\ta\t,\tb"_qs,
              u"\u3000电影\u00A0,\u2003音乐\u200A"_qs, u"a\n, b\r,\u2028"_qs, u"\u200Bx"_qs, u" 🎬 ,🎵"_qs}) {
            torrent.tags = tags;
            log.add(u"tags \""_qs + tags + u'"', u'[' + torrent.tagList().join(u"]["_qs) + u']');
        }
        // A completion instant below 1 is none, when built and when updated.
        for (const qint64 seconds : {qint64(0), qint64(-1), std::numeric_limits<qint64>::min(), qint64(1)}) {
            const Torrent built = makeTorrent("{\"completion_on\":" + QByteArray::number(seconds) + '}');
            TorrentData change;
            change.completionOn = seconds;
            QCOMPARE(makeTorrent().updatedWith(change).completionOn, built.completionOn);
            log.add(u"completion "_qs + QString::number(seconds),
                    built.completionOn ? QString::number(built.completionOn->time_since_epoch().count())
                                       : u"none"_qs);
        }
        log.compare(u"torrent-texts.snap"_qs);
    }

    void stateRawValuesAreExact()
    {
        QCOMPARE(TorrentStates::allCases().size(), 22);
        for (const QString &raw :
             {QString(), u"Downloading"_qs, u"pausedup"_qs, u"uploading "_qs, u" moving"_qs, u"paused"_qs,
              u"checkingResumeDat"_qs, u"stoppedMetaDL"_qs, u"ｅｒｒｏｒ"_qs}) {
            QCOMPARE(TorrentStates::fromRawValue(raw), std::nullopt);
            // An unknown text from the server is the unknown state, not a failure.
            QCOMPARE(makeTorrent(QJsonDocument(QJsonObject{{u"state"_qs, raw}}).toJson()).state,
                     TorrentState::unknown);
        }
    }

    void builtFromServerAnswerAsSnapshot()
    {
        const SyncData sync = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
        QList<Torrent> built;
        for (const auto &[hash, torrentData] : *sync.torrents)
            built.append(Torrent::fromTorrentData(hash, torrentData).value());
        compareSnapshot(u"torrents-from-server.snap"_qs, snapshotText(json::encodeDocument(built)));
    }

    void everyRequiredFieldIsNeeded()
    {
        for (const char *key : {"name",       "size",       "progress",     "dlspeed",        "upspeed",
                                "downloaded", "uploaded",   "eta",          "state",          "ratio",
                                "category",   "tags",       "added_on",     "completion_on",  "save_path",
                                "num_seeds",  "num_leechs", "num_complete", "num_incomplete", "priority"})
            QVERIFY2(!Torrent::fromTorrentData(kHash, data("{\"" + QByteArray(key) + "\":null}")), key);
        // The fields the record does not keep are never needed, and never change it.
        const QByteArray unkept =
            R"({"reannounce":1,"seeding_time":2,"time_active":3,"popularity":4.5,"tracker":"http://t/a"})";
        QCOMPARE(Torrent::fromTorrentData(kHash, data(unkept)), std::optional(makeTorrent()));
    }

    void update_data()
    {
        // An update equals the record built from the old values with the change laid over them;
        // an unknown state text is not laid over.
        QTest::addColumn<QByteArray>("change");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("nothing") << QByteArray("{}") << QByteArray("{}");
        QTest::newRow("one speed") << QByteArray(R"({"dlspeed":999})") << QByteArray(R"({"dlspeed":999})");
        const QByteArray everything =
            R"({"name":"renamed 新名字","size":1,"progress":1,"dlspeed":0,"upspeed":7,
            "downloaded":8,"uploaded":9,"eta":8640000,"state":"uploading","ratio":2.5,"category":"","tags":"",
            "added_on":1500000000,"completion_on":1700000000,"save_path":"/elsewhere","num_seeds":11,"num_leechs":12,
            "num_complete":13,"num_incomplete":14,"priority":-1,"tracker":"ignored"})";
        QTest::newRow("everything") << everything << everything;
        QTest::newRow("unknown state")
            << QByteArray(R"({"state":"hibernating","eta":1})") << QByteArray(R"({"eta":1})");
        QTest::newRow("known state") << QByteArray(R"({"state":"forcedMetaDL"})")
                                     << QByteArray(R"({"state":"forcedMetaDL"})");
    }

    void update()
    {
        QFETCH(QByteArray, change);
        QFETCH(QByteArray, expected);
        const Torrent original = makeTorrent();
        QCOMPARE(original.updatedWith(TorrentData::fromJson(change)), makeTorrent(expected));
        QCOMPARE(original, makeTorrent());
    }

    void numbersRoundLikePrintf_data()
    {
        // Exact binary halves round to even, like printf; every other value rounds as its binary
        // value dictates (2.675 is stored as 2.67499999...).
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ratio 0.125") << formatRatio(0.125) << u"0.12"_qs;
        QTest::newRow("ratio 0.375") << formatRatio(0.375) << u"0.38"_qs;
        QTest::newRow("ratio 2.675") << formatRatio(2.675) << u"2.67"_qs;
        QTest::newRow("ratio 1e20") << formatRatio(1e20) << u"100000000000000000000.00"_qs;
        QTest::newRow("ratio infinite") << formatRatio(std::numeric_limits<double>::infinity()) << u"∞"_qs;
        QTest::newRow("ratio NaN") << formatRatio(std::nan("")) << u"∞"_qs;
        QTest::newRow("progress 0.0025") << formatProgress(0.0025) << u"0.2%"_qs;
        QTest::newRow("progress 0.0075") << formatProgress(0.0075) << u"0.8%"_qs;
        QTest::newRow("progress 0.00125") << formatProgress(0.00125) << u"0.1%"_qs;
        QTest::newRow("progress 1") << formatProgress(1) << u"100.0%"_qs;
        QTest::newRow("1152 B") << formatBytes(1152) << u"1.12 KB"_qs;
        QTest::newRow("1664 B") << formatBytes(1664) << u"1.62 KB"_qs;
        QTest::newRow("1023 B") << formatBytes(1023) << u"1023 B"_qs;
        QTest::newRow("1 MiB rate") << formatRate(1048576) << u"1.00 MB/s"_qs;
        QTest::newRow("int64 max") << formatBytes(std::numeric_limits<qint64>::max()) << u"8192.00 PB"_qs;
        QTest::newRow("int64 min") << formatBytes(std::numeric_limits<qint64>::min())
                                   << u"-9223372036854775808 B"_qs;
    }

    void numbersRoundLikePrintf()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(TorrentRecordTest)
#include "tst_TorrentRecord.moc"
