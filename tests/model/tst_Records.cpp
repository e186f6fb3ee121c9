// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The decoding layer, exercised through the smallest records that reach each rule, and the
// records of the server's answers and of stored profiles: what each decodes to, written back in
// its JSON form and kept as snapshots, and the failures of bad input.
#include "DecodingFailure.h"

#include "model/DetailRecords.h"
#include "model/Json.h"
#include "model/JsonRecords.h"
#include "model/Log.h"
#include "model/ServerConfig.h"
#include "model/SyncRecords.h"
#include "model/Torrent.h"
#include "model/TransferRecords.h"
#include "support/Fixtures.h"
#include "support/LogCapture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryFile>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

#include <unistd.h>

namespace {

Torrent sample()
{
    return Torrent::fromJson(snapshotInputs(u"torrent-sample.cases"_qs).constFirst().second);
}

ServerConfig profile(const QString &host, qint64 port = 8080, bool https = false)
{
    return ServerConfig::create(QStringLiteral("家里"), host, port, QStringLiteral("admin"), https);
}

// The bytes as a JSON string, unchanged (they hold no quote, backslash or control character).
QByteArray quoted(const QByteArray &utf8)
{
    return '"' + utf8 + '"';
}

// What `run` writes to the file descriptor `fd` (1 or 2), which a temporary file stands in for.
QByteArray written(int fd, const std::function<void()> &run)
{
    QTemporaryFile file;
    if (!file.open())
        return "no temporary file";
    std::fflush(nullptr);
    const int saved = ::dup(fd);
    ::dup2(file.handle(), fd);
    run();
    std::fflush(nullptr);
    ::dup2(saved, fd);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    // Each answer decoded and written back in its JSON form (what is absent, null or empty, every
    // key's spelling, the values of the recorded server answers), or the failure it gives, with
    // its kind, expected type or key, and coding path. Malformed bytes are data corrupted at the
    // root; U+FEFF starting a string inside the document is text (fuzzing found two keys that
    // differed by it decoded as equal).
    void syncAnswersAsSnapshot()
    {
        compareSnapshot(u"sync-answers.snap"_qs, outcomesOf(u"sync-inputs.cases"_qs, &SyncData::fromJson));
        SnapshotLog log;
        log.outcomes(u"json-inputs.cases"_qs, &SyncData::fromJson);
        log.compare(u"json-outcomes.snap"_qs);
        const SyncData server = SyncData::fromJson(fixture(u"maindata-full.json"_qs));
        QCOMPARE(SyncData::fromJson(server.toJson()), server);
    }

    // Each answer decoded and written back in its JSON form, or the failure it gives; then the
    // connection status texts.
    void transferAnswersAsSnapshot()
    {
        QByteArray text = outcomesOf(u"transfer-info.cases"_qs, &TransferInfo::fromJson) +
                          outcomesOf(u"server-state.cases"_qs, &ServerState::fromJson) +
                          outcomesOf(u"main-data.cases"_qs, &MainDataResponse::fromJson) +
                          "== connection status texts\n";
        for (const QString &status : {u"connected"_qs, u"CONNECTED"_qs, u"Firewalled"_qs, u"disconnected"_qs,
                                      u"MixedCase"_qs, u"connected "_qs})
            text += (status + u" -> "_qs + ::connectionStatusText(status) + u'\n').toUtf8();
        compareSnapshot(QStringLiteral("transfer-records.snap"), text);
    }

    // Each answer decoded and written back in its JSON form (a tracker's identity is not part of
    // it), or the failure it gives; then the tracker status texts. The server's own "index" key is
    // not what numbers the files; a tracker's fields other than "url" never fail, and the sync
    // answer's spelling "num_leechs" is not the tracker's; the map key names the category, a
    // "name" inside is neither read nor needed.
    void detailAnswersAsSnapshot()
    {
        QByteArray text = outcomesOf(u"detail-torrent-files.cases"_qs, &decodeTorrentFiles) +
                          outcomesOf(u"detail-torrent-file.cases"_qs, &TorrentFile::fromJson) +
                          outcomesOf(u"detail-torrent-trackers.cases"_qs, &decodeTorrentTrackers) +
                          outcomesOf(u"detail-torrent-peers.cases"_qs, &decodeTorrentPeers) +
                          outcomesOf(u"detail-categories.cases"_qs, &decodeCategories) +
                          outcomesOf(u"detail-tags.cases"_qs, &decodeTags) + "== tracker status texts\n";
        for (const qint64 status : QList<qint64>{0, 1, 2, 3, 4, 5, -1, qint64(1) << 40}) {
            TorrentTracker tracker;
            tracker.status = status;
            text += QByteArray::number(status) + " -> " + tracker.statusText().toUtf8() + '\n';
        }
        compareSnapshot(QStringLiteral("detail-answers.snap"), text);
    }

    // Each decoding gives each tracker an identity of its own.
    void trackersGetNewIdentities()
    {
        const QByteArray bytes = fixture(QStringLiteral("torrent-trackers.json"));
        const QList<TorrentTracker> trackers = decodeTorrentTrackers(bytes) + decodeTorrentTrackers(bytes);
        QSet<QUuid> ids{QUuid()};
        for (const TorrentTracker &tracker : trackers)
            ids << tracker.id;
        QCOMPARE(ids.size(), trackers.size() + 1);
    }

    void roundTrips()
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

    void createGivesFreshInactiveProfile()
    {
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const ServerConfig a = profile(u"nas.local"_qs, 8080, true);
        QVERIFY(!a.id.isNull() && a.id != profile(u"nas.local"_qs).id);
        QVERIFY(a.useHTTPS && !a.isActive && !a.lastConnectedAt && a.name == u"家里" &&
                a.username == u"admin");
        QVERIFY(a.createdAt >= before && a.createdAt <= QDateTime::currentDateTimeUtc());
    }

    // Scheme, host as typed (an IPv6 literal bracketed, its zone written "%25"), port, then the
    // path prefix as the form normalises it.
    void baseURLs()
    {
        SnapshotLog log;
        for (const auto &[label, input] : snapshotInputs(u"base-url-inputs.cases"_qs)) {
            const QList<QByteArray> parts = input.split('|'); // host|port|https[|path prefix as typed]
            ServerConfig server =
                profile(QString::fromUtf8(parts[0]), parts[1].toLongLong(), parts[2] == "https");
            server.pathPrefix = ServerConfig::normalizedPathPrefix(QString::fromUtf8(parts.value(3)));
            log.add(label, server.baseURL());
        }
        log.compare(u"base-urls.snap"_qs);
        // Usable by a strict parser.
        for (const QString &host : {QStringLiteral("::1"), QStringLiteral("fe80::1%eth0")}) {
            const QUrl parsed(profile(host).baseURL() + QStringLiteral("/api/v2/app/version"),
                              QUrl::StrictMode);
            QVERIFY2(parsed.isValid(), qPrintable(parsed.errorString()));
            QCOMPARE(parsed.host(), host);
            QCOMPARE(parsed.port(), 8080);
        }
    }

    void json()
    {
        ServerConfig config = profile(u"fe80::1%eth0"_qs, 9007199254740993LL, true);
        config.id = QUuid(QStringLiteral("{6ba7b810-9dad-11d1-80b4-00c04fd430c8}"));
        config.createdAt = QDateTime::fromMSecsSinceEpoch(1700000000500, Qt::UTC);
        QCOMPARE(config.accountName(), QStringLiteral("6BA7B810-9DAD-11D1-80B4-00C04FD430C8"));
        const QByteArray bytes = config.toJson();
        QCOMPARE(ServerConfig::fromJson(bytes), config);
        config.isActive = true;
        config.lastConnectedAt = QDateTime::fromMSecsSinceEpoch(1796557629123, Qt::UTC);
        config.pathPrefix = u"/qbt"_qs;
        config.certificateTrust = CertificateTrust::pinned;
        config.caCertificate = config.pinnedCertificate = QByteArray("\x30\x82\x00\xff", 4);
        config.pinnedFingerprint = u"30:82:00:FF"_qs;
        config.proxyAuthentication = ProxyAuthentication::headers;
        config.proxyUsername = u"代理"_qs;
        config.proxyHeaderNames = {u"X-A"_qs, u"X-B"_qs};
        config.useApiKey = true;
        QCOMPARE(ServerConfig::fromJson(config.toJson()), config);

        // The encoded forms, then a handwritten profile and each key missing or holding a bad value.
        SnapshotLog log;
        log.add(u"without last connection"_qs, QString::fromUtf8(bytes));
        log.add(u"with last connection"_qs, QString::fromUtf8(config.toJson()));
        log.outcomes(u"server-config.cases"_qs, &ServerConfig::fromJson);
        log.compare(u"server-config.snap"_qs);
    }

    void errorTexts()
    {
        const auto error = decodingFailure(
            [] { return SyncData::fromJson(R"({"rid":1,"torrents":{"abc":{"dlspeed":"x"}}})"); });
        QVERIFY(error);
        QCOMPARE(error->localizedDescription(), QStringLiteral("数据格式不正确，无法读取。"));
        QCOMPARE(error->codingPath(), (QStringList{u"torrents"_qs, u"abc"_qs, u"dlspeed"_qs}));
        QCOMPARE(QString::fromUtf8(error->what()), error->debugDescription());
        // A stored copy keeps everything.
        QCOMPARE(error->clone()->debugDescription(), error->debugDescription());
    }

    void documentsMayNest()
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

    void roundTripIsExact_data()
    {
        QTest::addColumn<qint64>("integer");
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("text");
        const QString controls =
            QStringLiteral("引号\"反斜杠\\换行\n制表\t") + QChar(1) + QChar(0) + QChar(0x1f);
        // clang-format off
        QTest::newRow("int64 max") << std::numeric_limits<qint64>::max() << 0.1 << u"普通"_qs;
        QTest::newRow("int64 min") << std::numeric_limits<qint64>::min() << -2.5e-8 << QString();
        QTest::newRow("2^53 + 1") << qint64(9007199254740993LL) << 1.0 / 3.0 << controls;
        QTest::newRow("smallest subnormal") << qint64(-1) << 5e-324 << QStringLiteral("/😀\u2028\u2029\x7f");
        QTest::newRow("largest double") << qint64(0) << std::numeric_limits<double>::max() << QString(QChar(0xFEFF)) + u"前导"_qs;
        QTest::newRow("1e21") << qint64(1) << 1e21 << QStringLiteral("\U0001D538\uFF01");
        // clang-format on
    }

    void roundTripIsExact()
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

    // JSON has no NaN: it is written as null and reads back as absent.
    void notANumberIsWrittenAsNull()
    {
        TorrentData torrent;
        torrent.ratio = std::nan("");
        const QByteArray written = torrent.toJson();
        QCOMPARE(written, QByteArray(R"({"ratio":null})"));
        QVERIFY(!TorrentData::fromJson(written).ratio);
    }

    void objectsOfAMapInAnyKeyOrder()
    {
        // Every entry of a map decodes as it would on its own, whatever its neighbours look like:
        // keys shuffled, dropped, repeated with another value, unknown keys in between, more keys
        // than the remembered order holds.
        const QJsonDocument server = QJsonDocument::fromJson(fixture(u"maindata-full.json"_qs));
        const QJsonObject sample = server[u"torrents"_qs].toObject().begin()->toObject();
        QRandomGenerator random(20261207);
        QByteArrayList objects, entries;
        for (int i = 0; i < 300; ++i) {
            QByteArrayList members;
            for (auto it = sample.begin(); it != sample.end(); ++it)
                if (random.bounded(8) != 0 || i % 3 == 0)
                    members.append(
                        quoted(it.key().toUtf8()) + ':' +
                        QJsonDocument(QJsonArray{*it}).toJson(QJsonDocument::Compact).chopped(1).mid(1));
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
            entries.append(quoted(QByteArray::number(i)) + ':' + objects.last());
        }
        const SyncData data = SyncData::fromJson("{\"rid\":1,\"torrents\":{" + entries.join(',') + "}}");
        QCOMPARE(data.torrents->size(), objects.size());
        for (int i = 0; i < objects.size(); ++i)
            QVERIFY2(data.torrents->at(i).second == TorrentData::fromJson(objects[i]),
                     objects[i].constData());
    }

    void bigMapWithKeysSharingTheirEnds()
    {
        // Keys that agree in length and in their first and last eight bytes, some repeated later:
        // each key once, at its first place, with its last value. Big enough to be read in two
        // halves at once, where a failure names the first bad entry whichever half finds it.
        QByteArrayList entries;
        QList<int> last(10000);
        for (int i = 0; i < 12000; ++i) {
            const int id = i < 10000 ? i : (i * 7) % 10000;
            last[id] = i;
            entries.append("\"aaaaaaaa" + QByteArray::number(id).rightJustified(6, '0') +
                           "zzzzzzzz\":{\"dlspeed\":" + QByteArray::number(i) + '}');
        }
        const auto answer = [](const QByteArrayList &list) {
            return "{\"rid\":1,\"torrents\":{" + list.join(',') + "}}";
        };
        const SyncData data = SyncData::fromJson(answer(entries));
        QCOMPARE(data.torrents->size(), 10000);
        for (int i = 0; i < 10000; ++i) {
            QCOMPARE(data.torrents->at(i).first.mid(8, 6).toInt(), i);
            QCOMPARE(*data.torrents->at(i).second.dlspeed, last[i]);
        }
        const auto spoilt = [&](QList<int> at) {
            QByteArrayList copy = entries;
            for (int i : at)
                copy[i].replace("\"dlspeed\":", "\"dlspeed\":\"x\",\"y\":");
            return failureText([&] { return SyncData::fromJson(answer(copy)); });
        };
        QCOMPARE(spoilt({8000}), u"typeMismatch(Int64, at torrents.aaaaaaaa008000zzzzzzzz.dlspeed)"_qs);
        QCOMPARE(spoilt({300, 8000}), u"typeMismatch(Int64, at torrents.aaaaaaaa000300zzzzzzzz.dlspeed)"_qs);
    }

    void recurringTextsAreSharedAndExact()
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

    // A diagnostic line reaches standard output byte for byte as the observer sees it, and
    // nothing of it standard error.
    void logLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("chinese and emoji") << u"✅ 已连接: 家里"_qs;
        QTest::newRow("a space at the end") << u"🔔 下载完成: "_qs;
        QTest::newRow("empty") << QString();
    }
    void logLines()
    {
        QFETCH(QString, line);
        LogCapture log;
        QByteArray errors;
        const QByteArray out = written(1, [&] { errors = written(2, [&] { logLine(lcModel(), line); }); });
        QCOMPARE(out, line.toUtf8() + '\n');
        QCOMPARE(log.lines(), QStringList{line});
        QCOMPARE(errors, QByteArray());
    }

    // Debug lines are off until a rule switches them on, and then go to standard error after
    // their category; warnings of any category, and Qt's own messages, reach the handler that
    // was installed before (QtTest's here, which fails on a message it expected and missed).
    void debugLinesAndOtherMessages()
    {
        if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
            QSKIP("QT_LOGGING_RULES decides which debug lines are on");
        installLogHandler();
        QByteArray out;
        const auto debugLine = [&] { return written(2, [&] { out = written(1, [] { qCDebug(lcModel) << "merged" << 3; }); }); };
        QCOMPARE(debugLine(), QByteArray());
        QLoggingCategory::setFilterRules(u"seedwhirl.model.debug=true"_qs);
        const QByteArray switchedOn = debugLine();
        QLoggingCategory::setFilterRules({});
        QCOMPARE(switchedOn, "seedwhirl.model: merged 3\n");
        QCOMPARE(out, QByteArray());

        const QLoggingCategory qtCategory("qt.seedwhirl.check");
        QTest::ignoreMessage(QtInfoMsg, "an info of Qt's own");
        QMessageLogger().info(qtCategory, "an info of Qt's own");
        QTest::ignoreMessage(QtWarningMsg, "a warning of the model");
        qCWarning(lcModel, "a warning of the model");
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "tst_Records.moc"
