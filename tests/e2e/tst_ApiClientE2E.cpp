// The Web API client against a real qbittorrent-nox (the e2e fixture). The cases run in order
// and build on each other: log in, add torrents, act on them, read them back, delete them.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/LogCapture.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionAdapter.h"
#include "api/APIVersionManager.h"
#include "api/NetworkError.h"
#include "api/SessionCookieJar.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>

namespace {

constexpr int waitMs = 15'000;
const QString reloginLine = QStringLiteral("🔄 检测到会话过期，正在重新登录...");
const QString reloggedLine = QStringLiteral("✅ 重新登录成功");

template <typename T> bool failsWith(const Outcome<T> &outcome, NetworkError::Kind kind)
{
    const auto *error = outcome.template errorAs<NetworkError>();
    return outcome.finished && error && error->kind() == kind;
}

} // namespace

// clang-format off
#define VERIFY_FAILS(outcome, kind) QVERIFY2(failsWith(outcome, NetworkError::Kind::kind), describe(outcome).constData())
// clang-format on

class ApiClientE2ETest : public QObject
{
    Q_OBJECT

    E2EServer m_server;
    APIVersionManager m_versions;
    QBittorrentAPIClient m_client{m_versions};
    QString m_storedPassword; // what a re-login finds
    ServerConfig m_config;
    TestHttpServer m_tracker;
    QString m_trackerUrl;
    QString m_workDir;
    QString m_multiHash;    // the multi-file torrent added by file
    QString m_magnetHash;   // the torrent added by magnet link
    QStringList m_leftover; // hashes to remove at the end, whatever happened

    QString state(const QString &hash) { return stateOf(m_client, hash); }

    // Announces of that torrent the tracker received; regular ones carry no event (a
    // reannounce, never a start or stop).
    qsizetype announces(const QString &hash, bool regularOnly = false) const
    {
        const QList<RecordedRequest> requests = m_tracker.requestsTo("/announce");
        return std::count_if(requests.begin(), requests.end(), [&](const RecordedRequest &request) {
            const QByteArray query = request.query();
            const qsizetype at = query.indexOf("info_hash=");
            const QByteArray infoHash =
                QByteArray::fromPercentEncoding(query.mid(at + 10).split('&').first());
            return at >= 0 && infoHash.toHex() == hash.toLatin1() &&
                   !(regularOnly && query.contains("event="));
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
            [this](QString) -> QCoro::Task<std::optional<QString>> { co_return m_storedPassword; });
        m_storedPassword = m_server.password;
        m_config = m_server.serverConfig();
        // Without "min interval" a forced reannounce would wait for the default of 30 s.
        const BencodeValue announce(BencodeValue::Dict{
            {"interval", 1800}, {"min interval", 1}, {"complete", 0}, {"incomplete", 0}, {"peers", ""}});
        m_tracker.on("/announce", TestResponse::text(announce.encode()));
        m_trackerUrl = QString::fromLatin1(m_tracker.baseUrl()) + QStringLiteral("/announce");
    }

    void cleanupTestCase() { removeTorrents(m_client, m_leftover); }

    void refusedLogin_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << m_server.username << QStringLiteral("not-the-password");
        QTest::newRow("empty password") << m_server.username << QString();
        QTest::newRow("unknown user") << QStringLiteral("nobody") << m_server.password;
        QTest::newRow("password of another letter case") << m_server.username << m_server.password.toUpper();
    }

    void refusedLogin()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        ServerConfig config = m_config;
        config.username = username;
        VERIFY_FAILS(runTask(m_client.testConnection(config, password)), unauthorized);
        VERIFY_FAILS(runTask(m_client.login(config, password)), unauthorized);
        QVERIFY(!m_client.isAuthenticated() && !m_client.currentServer() && !m_client.serverVersion());
    }

    void loginAndVersion()
    {
        // The connection test keeps its session to itself.
        AWAIT_OK(runTask(m_client.testConnection(m_config, m_server.password)));
        QVERIFY(!m_client.isAuthenticated() && m_client.cookieJar().cookies().isEmpty());

        // Start from the other adapter so that the choice is visible.
        m_versions.setAdapter(std::make_shared<QBittorrent5Adapter>());
        LogCapture log;
        AWAIT_OK(runTask(m_client.login(m_config, m_server.password)));
        QVERIFY(m_client.currentServer() == std::optional<ServerConfig>(m_config));
        QCOMPARE(m_client.serverVersion(), std::optional<QString>(QStringLiteral("v4.5.2")));
        QVERIFY(dynamic_cast<const QBittorrent4Adapter *>(&m_versions.currentAdapter()));
        QVERIFY2(log.contains(QStringLiteral("✅ qBittorrent 版本: v4.5.2")),
                 qPrintable(log.lines().join('\n')));
    }

    // Two files in a folder with a non-ASCII name, one in a subfolder; an incremental update
    // brings the new torrent with its whole record, and the check finds every piece.
    void addByFile()
    {
        AWAIT(full, m_client.getSyncData(std::nullopt));
        QCOMPARE(full.value->fullUpdate, std::optional<bool>(true));
        QCOMPARE(full.value->serverState->dhtNodes, std::optional<qint64>(0));

        const QString saveDir = m_workDir + QStringLiteral("/by-file");
        const QString root = saveDir + QStringLiteral("/e2e 多文件");
        E2E_TRY(writeDataFile(root + QStringLiteral("/a.bin"), 40'000, 1);
                writeDataFile(root + QStringLiteral("/子目录/b.bin"), 20'000, 2);
                m_multiHash = addTorrentOf(m_client, root, {m_trackerUrl}, QStringLiteral("e2e-api-cat"),
                                           QStringLiteral("e2e-api-a,e2e-api-b")));
        m_leftover.append(m_multiHash);

        std::optional<TorrentData> record;
        QVERIFY2(syncUntil(full.value->rid,
                           [&](const SyncData &data) {
                               for (const auto &[hash, torrent] :
                                    data.torrents.value_or(QList<std::pair<QString, TorrentData>>()))
                                   if (hash == m_multiHash)
                                       record = torrent;
                               return record.has_value();
                           }),
                 "no incremental update brought the torrent");
        QCOMPARE(record->name, std::optional<QString>(QStringLiteral("e2e 多文件")));
        QCOMPARE(record->size, std::optional<qint64>(60'000));
        QCOMPARE(QDir::cleanPath(record->savePath.value_or(QString())), saveDir);
        QCOMPARE(record->category, std::optional<QString>(QStringLiteral("e2e-api-cat")));
        QCOMPARE(record->tags, std::optional<QString>(QStringLiteral("e2e-api-a, e2e-api-b")));
        QTRY_COMPARE_WITH_TIMEOUT(state(m_multiHash), QStringLiteral("stalledUP"), waitMs);
        QCOMPARE(torrentInfo(m_client, m_multiHash)[QStringLiteral("progress")].toDouble(), 1.0);

        // 4.5.2 refuses bytes that are no torrent with 415.
        const auto broken =
            runTask(m_client.addTorrentFile(QStringLiteral("broken.torrent"), "d4:infoi1e", m_workDir));
        VERIFY_FAILS(broken, serverError);
        QCOMPARE(broken.errorAs<NetworkError>()->statusCode(), 415);
    }

    // Without a network the metadata never comes; a new category and tag are created.
    void addByMagnet()
    {
        m_magnetHash = QString::fromLatin1(
            QCryptographicHash::hash("seedwhirl e2e magnet", QCryptographicHash::Sha1).toHex());
        m_leftover.append(m_magnetHash);
        const QString saveDir = m_workDir + QStringLiteral("/by-magnet");
        AWAIT_OK(runTask(
            m_client.addTorrent(QStringLiteral("magnet:?xt=urn:btih:%1&dn=e2e-magnet").arg(m_magnetHash),
                                saveDir, QStringLiteral("e2e-api-cat"), QStringLiteral("e2e-api-magnet"))));
        QTRY_COMPARE_WITH_TIMEOUT(state(m_magnetHash), QStringLiteral("metaDL"), waitMs);
        const QJsonObject info = torrentInfo(m_client, m_magnetHash);
        QCOMPARE(info[QStringLiteral("name")].toString(), QStringLiteral("e2e-magnet"));
        QCOMPARE(info[QStringLiteral("tags")].toString(), QStringLiteral("e2e-api-magnet"));
        QCOMPARE(QDir::cleanPath(info[QStringLiteral("save_path")].toString()), saveDir);

        AWAIT(categories, m_client.getCategories());
        QVERIFY(std::any_of(categories.value->begin(), categories.value->end(),
                            [](const Category &c) { return c.name == QStringLiteral("e2e-api-cat"); }));
        AWAIT(tags, m_client.getTags());
        for (const char *tag : {"e2e-api-a", "e2e-api-b", "e2e-api-magnet"})
            QVERIFY2(tags.value->contains(QLatin1String(tag)), tag);
    }

    void filesTrackersPeers()
    {
        AWAIT(files, m_client.getTorrentFiles(m_multiHash));
        QCOMPARE(files.value->size(), qsizetype(2));
        QCOMPARE(files.value->at(0).name, QStringLiteral("e2e 多文件/a.bin"));
        const TorrentFile &second = files.value->at(1);
        QCOMPARE(second.name, QStringLiteral("e2e 多文件/子目录/b.bin"));
        QVERIFY(second.index == 1 && second.size == 20'000 && second.progress == 1.0);

        // The torrent announced itself to the local tracker, which answered well; DHT, PeX
        // and LSD are off in the fixture's profile.
        const auto trackerStatus = [&](bool local) -> qint64 {
            const auto trackers = runTask(m_client.getTorrentTrackers(m_multiHash));
            for (const TorrentTracker &tracker : trackers.value.value_or(QList<TorrentTracker>()))
                if ((tracker.url == m_trackerUrl) == local &&
                    (local || tracker.url.startsWith(QLatin1String("** ["))))
                    return tracker.status;
            return -1;
        };
        QTRY_COMPARE_WITH_TIMEOUT(trackerStatus(true), qint64(2), waitMs); // working
        QCOMPARE(trackerStatus(false), qint64(0));

        AWAIT(peers, m_client.getTorrentPeers(m_multiHash));
        QVERIFY(peers.value->isEmpty()); // nobody to talk to on a machine of its own

        const QString unknown(40, QLatin1Char('0'));
        VERIFY_FAILS(runTask(m_client.getTorrentFiles(unknown)), notFound);
        VERIFY_FAILS(runTask(m_client.getTorrentTrackers(unknown)), notFound);
        VERIFY_FAILS(runTask(m_client.getTorrentPeers(unknown)), notFound);
    }

    void limits_data()
    {
        QTest::addColumn<qint64>("download");
        QTest::addColumn<qint64>("upload");
        QTest::newRow("both set") << qint64(1'048'576) << qint64(262'144);
        QTest::newRow("both unlimited") << qint64(0) << qint64(0);
    }

    void limits()
    {
        QFETCH(qint64, download);
        QFETCH(qint64, upload);
        AWAIT_OK(runTask(m_client.setDownloadLimit(download)));
        AWAIT_OK(runTask(m_client.setUploadLimit(upload)));
        AWAIT(info, m_client.getTransferInfo());
        QCOMPARE(info.value->dlRateLimit, download);
        QCOMPARE(info.value->upRateLimit, upload);
        QVERIFY(info.value->dhtNodes == 0 && !info.value->connectionStatus.isEmpty());
        AWAIT(state, m_client.getMainData());
        QCOMPARE(state.value->serverState.upRateLimit, std::optional<qint64>(upload));
    }

    // Each action's effect on both torrents: only the hashes named change.
    void actions()
    {
        // The tracker asked for half an hour between announces: this one came on request.
        QTRY_VERIFY_WITH_TIMEOUT(announces(m_multiHash) > 0, waitMs);
        const qsizetype before = announces(m_multiHash, true);
        AWAIT_OK(runTask(m_client.performAction(APIEndpoint::reannounce(m_multiHash))));
        QTRY_VERIFY_WITH_TIMEOUT(announces(m_multiHash, true) > before, waitMs);

        const QString &multi = m_multiHash, &magnet = m_magnetHash;
        // A check of intact data finds every piece again. (Spoiling a piece on disk first leaves
        // qbittorrent-nox 4.5.2 checking for ever on this machine.)
        const std::tuple<APIEndpoint, const char *, const char *> steps[] = {
            {APIEndpoint::pause(multi + QLatin1Char('|') + magnet), "pausedUP", "pausedDL"},
            {APIEndpoint::resume(multi), "stalledUP", "pausedDL"},
            {APIEndpoint::setForceStart(multi, true), "forcedUP", "pausedDL"},
            {APIEndpoint::setForceStart(multi, false), "stalledUP", "pausedDL"},
            {APIEndpoint::resume(magnet), "stalledUP", "metaDL"},
            {APIEndpoint::recheck(multi), "stalledUP", "metaDL"},
        };
        for (const auto &[action, multiState, magnetState] : steps) {
            AWAIT_OK(runTask(m_client.performAction(action)));
            QTRY_COMPARE_WITH_TIMEOUT(state(multi), QLatin1String(multiState), waitMs);
            QTRY_COMPARE_WITH_TIMEOUT(state(magnet), QLatin1String(magnetState), waitMs);
        }
        QCOMPARE(torrentInfo(m_client, multi)[QStringLiteral("progress")].toDouble(), 1.0);
    }

    void deleteTorrent_data()
    {
        QTest::addColumn<bool>("deleteFiles");
        QTest::newRow("keeping its files") << false;
        QTest::newRow("with its files") << true;
    }

    // The next incremental update reports the removal; the files go only when asked.
    void deleteTorrent()
    {
        QFETCH(bool, deleteFiles);
        const QString dataPath = m_workDir + QStringLiteral("/delete-%1/data.bin").arg(deleteFiles);
        QString hash;
        E2E_TRY(writeDataFile(dataPath, 30'000, deleteFiles ? 11 : 12);
                hash = addTorrentOf(m_client, dataPath, {m_trackerUrl}));
        m_leftover.append(hash);
        QTRY_COMPARE_WITH_TIMEOUT(state(hash), QStringLiteral("stalledUP"), waitMs);

        AWAIT(sync, m_client.getSyncData(std::nullopt));
        AWAIT_OK(runTask(m_client.performAction(APIEndpoint::deleteTorrents(hash, deleteFiles))));
        QVERIFY2(syncUntil(sync.value->rid,
                           [&](const SyncData &data) {
                               return data.torrentsRemoved.value_or(QStringList()).contains(hash);
                           }),
                 "no incremental update reported the removal");
        QVERIFY(torrentInfo(m_client, hash).isEmpty());
        if (deleteFiles)
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(dataPath), waitMs);
        else
            QCOMPARE(QFileInfo(dataPath).size(), qint64(30'000));
    }

    void forgottenSession_data()
    {
        QTest::addColumn<bool>("formAction");
        QTest::addColumn<QString>("stored");
        QTest::newRow("fetch") << false << m_server.password;
        QTest::newRow("form action") << true << m_server.password;
        QTest::newRow("stale password") << false << QStringLiteral("stale password");
    }

    // A restart forgets every session: one re-login with the stored password, and the new
    // session serves the next requests; a stale password gives up after one attempt.
    void forgottenSession()
    {
        QFETCH(bool, formAction);
        QFETCH(QString, stored);
        m_storedPassword = stored;
        const QString restartError = m_server.restart();
        QVERIFY2(restartError.isEmpty(), qPrintable(restartError));

        LogCapture log;
        const auto outcome =
            formAction ? runTask(m_client.setUploadLimit(131'072))
                       : runTask([this]() -> QCoro::Task<void> { co_await m_client.getTransferInfo(); }());
        const bool good = stored == m_server.password;
        QCOMPARE(outcome.ok(), good);
        QCOMPARE(log.lines().count(reloginLine), 1);
        QCOMPARE(log.lines().count(reloggedLine), good ? 1 : 0);
        m_storedPassword = m_server.password;
        if (!m_client.isAuthenticated())
            AWAIT_OK(runTask(m_client.login(m_config, m_server.password)));

        AWAIT(info, m_client.getTransferInfo());
        QCOMPARE(info.value->upRateLimit, qint64(formAction ? 131'072 : 0));
        if (good)
            QCOMPARE(log.lines().count(reloginLine), 1);        // no second login
        QVERIFY(!torrentInfo(m_client, m_multiHash).isEmpty()); // the torrents outlived the restart
        AWAIT_OK(runTask(m_client.setUploadLimit(0)));
    }
};

QTEST_GUILESS_MAIN(ApiClientE2ETest)
#include "tst_ApiClientE2E.moc"
