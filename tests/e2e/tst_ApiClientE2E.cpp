// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Web API client against a real qbittorrent-nox (the e2e fixture). The cases run in order
// and build on each other: log in, add torrents, act on them, read them back, delete them.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/LogCapture.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionAdapter.h"
#include "api/APIVersionManager.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <algorithm>

namespace {

constexpr int waitMs = 15'000;

} // namespace

class ApiClientE2ETest : public QObject
{
    Q_OBJECT

    E2EServer m_server;
    APIVersionManager m_versions;
    QBittorrentAPIClient m_client{m_versions};
    ServerConfig m_config;
    TestHttpServer m_tracker;
    QString m_trackerUrl;
    QString m_workDir;
    QString m_multiHash;    // the multi-file torrent added by file
    QString m_magnetHash;   // the torrent added by magnet link
    QStringList m_leftover; // hashes to remove at the end, whatever happened

    // Announces the tracker received that carry no event: reannounces, never a start or stop.
    // Only the multi-file torrent talks to it until the deletions.
    qsizetype regularAnnounces() const
    {
        return std::ranges::count_if(m_tracker.requestsTo("/announce"), [](const RecordedRequest &request) {
            return !request.query().contains("event=");
        });
    }

    // Incremental updates from `rid` on until one satisfies `found`.
    bool syncUntil(qint64 rid, const std::function<bool(const SyncData &)> &found)
    {
        return pollUntil(
            [&] {
                const auto next = runTask(m_client.getSyncData(rid));
                rid = next.ok() ? next.value->rid : rid;
                return next.ok() && found(*next.value);
            },
            waitMs);
    }

private Q_SLOTS:
    void initTestCase()
    {
        E2E_TRY(m_server = E2EServer::fromEnvironment();
                m_workDir = m_server.freshDirectory(QStringLiteral("api-client")));
        m_client.setPasswordProvider(
            [this](QString) -> QCoro::Task<std::optional<QString>> { co_return m_server.password; });
        m_config = m_server.serverConfig();
        // Without "min interval" a forced reannounce would wait for the default of 30 s.
        const BencodeValue announce(BencodeValue::Dict{
            {"interval", 1800}, {"min interval", 1}, {"complete", 0}, {"incomplete", 0}, {"peers", ""}});
        m_tracker.on("/announce", TestResponse::text(announce.encode()));
        m_trackerUrl = QString::fromLatin1(m_tracker.baseUrl()) + QStringLiteral("/announce");
    }

    void cleanupTestCase() { removeTorrents(m_client, m_leftover); }

    // A refused login leaves the client logged out.
    void loginAndVersion()
    {
        const QString wrong = QStringLiteral("not-the-password");
        QCOMPARE(describe(runTask(m_client.testConnection(m_config, wrong))), QByteArray("unauthorized"));
        QCOMPARE(describe(runTask(m_client.login(m_config, wrong))), QByteArray("unauthorized"));
        QVERIFY(!m_client.isAuthenticated() && !m_client.currentServer());

        // Start from the other adapter: the actions below only work once the login chose.
        m_versions.setAdapter(std::make_shared<QBittorrent5Adapter>());
        AWAIT_OK(runTask(m_client.login(m_config, m_server.password)));
        QCOMPARE(m_client.serverVersion(), std::optional<QString>(QStringLiteral("v4.5.2")));
    }

    // By file: two files in a folder with a non-ASCII name, one in a subfolder; an incremental
    // update brings the new torrent with its whole record, and the check finds every piece. Bytes
    // that are no torrent are refused with 415. By magnet link: without a network the metadata
    // never comes; a new tag is created.
    void addTorrents()
    {
        AWAIT(full, m_client.getSyncData(std::nullopt));
        const QString saveDir = m_workDir + QStringLiteral("/by-file");
        const QString root = saveDir + QStringLiteral("/e2e 多文件");
        E2E_TRY(writeDataFile(root + QStringLiteral("/a.bin"), 40'000, 1);
                writeDataFile(root + QStringLiteral("/子目录/b.bin"), 20'000, 2);
                m_multiHash = addTorrentOf(m_client, root, {m_trackerUrl}, QStringLiteral("e2e-api-cat"),
                                           QStringLiteral("e2e-api-a,e2e-api-b")));
        m_leftover.append(m_multiHash);

        TorrentData record;
        const auto brought = [&](const SyncData &data) {
            for (const auto &[hash, torrent] : data.torrents.value_or(decltype(data.torrents)::value_type()))
                record = hash == m_multiHash ? torrent : record;
            return record.name.has_value();
        };
        QVERIFY2(syncUntil(full.value->rid, brought), "no incremental update brought the torrent");
        QCOMPARE(QStringList({*record.name, QString::number(record.size.value_or(-1)),
                              QDir::cleanPath(record.savePath.value_or("")), record.category.value_or(""),
                              record.tags.value_or("")}),
                 QStringList({"e2e 多文件", "60000", saveDir, "e2e-api-cat", "e2e-api-a, e2e-api-b"}));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_client, m_multiHash), QStringLiteral("stalledUP"), waitMs);

        QCOMPARE(describe(runTask(m_client.addTorrentFile("broken.torrent", "d4:infoi1e", m_workDir))),
                 QByteArray("serverError(415)"));

        m_magnetHash = QString::fromLatin1(
            QCryptographicHash::hash("seedwhirl e2e magnet", QCryptographicHash::Sha1).toHex());
        m_leftover.append(m_magnetHash);
        const QString magnetDir = m_workDir + QStringLiteral("/by-magnet");
        AWAIT_OK(runTask(
            m_client.addTorrent(QStringLiteral("magnet:?xt=urn:btih:%1&dn=e2e-magnet").arg(m_magnetHash),
                                magnetDir, QStringLiteral("e2e-api-cat"), QStringLiteral("e2e-api-magnet"))));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_client, m_magnetHash), QStringLiteral("metaDL"), waitMs);
        const QJsonObject info = torrentInfo(m_client, m_magnetHash);
        QCOMPARE(QStringList({info["name"].toString(), info["category"].toString(), info["tags"].toString(),
                              QDir::cleanPath(info["save_path"].toString())}),
                 QStringList({"e2e-magnet", "e2e-api-cat", "e2e-api-magnet", magnetDir}));
    }

    // The files as the server lists them; the torrent announced itself to the local tracker,
    // which answered well; nobody to talk to on a machine of its own; an unknown hash is 404.
    void filesTrackersPeers()
    {
        AWAIT(files, m_client.getTorrentFiles(m_multiHash));
        QStringList listed;
        for (const TorrentFile &file : *files.value)
            listed << QString::number(file.index) + u' ' + file.name + u' ' + QString::number(file.size) +
                          u' ' + QString::number(file.progress);
        QCOMPARE(listed, QStringList({"0 e2e 多文件/a.bin 40000 1", "1 e2e 多文件/子目录/b.bin 20000 1"}));

        const auto localTrackerStatus = [&] {
            const auto trackers =
                runTask(m_client.getTorrentTrackers(m_multiHash)).value.value_or(QList<TorrentTracker>());
            const auto tracker = std::ranges::find(trackers, m_trackerUrl, &TorrentTracker::url);
            return tracker == trackers.end() ? qint64(-1) : tracker->status;
        };
        QTRY_COMPARE_WITH_TIMEOUT(localTrackerStatus(), qint64(2), waitMs); // working
        AWAIT(peers, m_client.getTorrentPeers(m_multiHash));
        QVERIFY(peers.value->isEmpty());
        QCOMPARE(describe(runTask(m_client.getTorrentFiles(QString(40, QLatin1Char('0'))))),
                 QByteArray("notFound"));
    }

    // Each action's effect on both torrents: only the hashes named change.
    void actions()
    {
        // The tracker asked for half an hour between announces: this one came on request.
        const qsizetype before = regularAnnounces();
        AWAIT_OK(runTask(m_client.performAction(APIEndpoint::reannounce(m_multiHash))));
        QTRY_VERIFY_WITH_TIMEOUT(regularAnnounces() > before, waitMs);

        const QString &multi = m_multiHash, &magnet = m_magnetHash;
        // A check of intact data finds every piece again. (Spoiling a piece on disk first leaves
        // qbittorrent-nox 4.5.2 checking for ever on this machine.)
        const std::tuple<APIEndpoint, const char *, const char *> steps[] = {
            {APIEndpoint::pause(multi + QLatin1Char('|') + magnet), "pausedUP", "pausedDL"},
            {APIEndpoint::resume(multi), "stalledUP", "pausedDL"},
            {APIEndpoint::resume(magnet), "stalledUP", "metaDL"},
            {APIEndpoint::recheck(multi), "stalledUP", "metaDL"},
        };
        for (const auto &[action, multiState, magnetState] : steps) {
            AWAIT_OK(runTask(m_client.performAction(action)));
            QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_client, multi), QLatin1String(multiState), waitMs);
            QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_client, magnet), QLatin1String(magnetState), waitMs);
        }
        QCOMPARE(torrentInfo(m_client, multi)[QStringLiteral("progress")].toDouble(), 1.0);
    }

    // Both speed limits set, then lifted (0). A restart before forgets every session: one
    // re-login with the stored password repeats the first form action, and the new session
    // serves the next requests.
    void limitsAfterForgottenSession()
    {
        const QString restartError = m_server.restart();
        QVERIFY2(restartError.isEmpty(), qPrintable(restartError));
        LogCapture log;
        for (const qint64 upload : {qint64(262'144), qint64(0)}) {
            AWAIT_OK(runTask(m_client.setDownloadLimit(upload * 4)));
            AWAIT_OK(runTask(m_client.setUploadLimit(upload)));
            AWAIT(info, m_client.getTransferInfo());
            QCOMPARE(std::pair(info.value->dlRateLimit, info.value->upRateLimit),
                     std::pair(upload * 4, upload));
        }
        QCOMPARE(log.lines().count(QStringLiteral("🔄 检测到会话过期，正在重新登录...")), 1);
        QCOMPARE(log.lines().count(QStringLiteral("✅ 重新登录成功")), 1);
        QVERIFY(!torrentInfo(m_client, m_multiHash).isEmpty()); // the torrents outlived the restart
    }

    // Last: the next incremental update reports each removal; the files go only when asked.
    void deleteTorrents()
    {
        const QString dataPath = m_workDir + QStringLiteral("/delete/data.bin");
        QString hash;
        E2E_TRY(writeDataFile(dataPath, 30'000, 11); hash = addTorrentOf(m_client, dataPath, {m_trackerUrl}));
        m_leftover.append(hash);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_client, hash), QStringLiteral("stalledUP"), waitMs);

        AWAIT(sync, m_client.getSyncData(std::nullopt));
        // The one to keep goes first: once the other's files are gone, so would be its.
        AWAIT_OK(runTask(m_client.performAction(APIEndpoint::deleteTorrents(m_multiHash, false))));
        AWAIT_OK(runTask(m_client.performAction(APIEndpoint::deleteTorrents(hash, true))));
        QStringList removed;
        const auto reported = [&](const SyncData &data) {
            removed += data.torrentsRemoved.value_or(QStringList());
            return removed.contains(hash) && removed.contains(m_multiHash);
        };
        QVERIFY2(syncUntil(sync.value->rid, reported), "no incremental update reported the removals");
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(dataPath), waitMs);
        QVERIFY(QFile::exists(m_workDir + QStringLiteral("/by-file/e2e 多文件/子目录/b.bin")));
    }
};

QTEST_GUILESS_MAIN(ApiClientE2ETest)
#include "tst_ApiClientE2E.moc"
