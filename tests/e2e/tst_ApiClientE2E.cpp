// The Web API client against a real qbittorrent-nox (the e2e fixture). The cases run in order
// and build on each other: log in, add torrents, act on them, read them back, delete them.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/LogCapture.h"
#include "support/TaskRunner.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionAdapter.h"
#include "api/APIVersionManager.h"
#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "api/SessionCookieJar.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int waitMs = 15'000;
const QString reloginLine = QStringLiteral("🔄 检测到会话过期，正在重新登录...");
const QString reloggedLine = QStringLiteral("✅ 重新登录成功");

template <typename T> QByteArray describe(const Outcome<T> &outcome)
{
    if (!outcome.finished)
        return "did not finish within the guard time";
    return outcome.error ? outcome.error->debugDescription().toUtf8() : "ok";
}

template <typename T> bool failsWith(const Outcome<T> &outcome, NetworkError::Kind kind)
{
    const auto *error = outcome.template errorAs<NetworkError>();
    return outcome.finished && error && error->kind() == kind;
}

// The info hash of an announce, as lower-case hex; empty when it has none.
QString announcedHash(const RecordedRequest &request)
{
    for (const QByteArray &item : request.query().split('&'))
        if (item.startsWith("info_hash="))
            return QString::fromLatin1(QByteArray::fromPercentEncoding(item.mid(10)).toHex());
    return {};
}

using SyncTorrents = QList<std::pair<QString, TorrentData>>;

} // namespace

#define AWAIT_OK(outcome) QVERIFY2((outcome).ok(), describe(outcome).constData())
#define VERIFY_FAILS(outcome, kind)                                                                          \
    QVERIFY2(failsWith(outcome, NetworkError::Kind::kind), describe(outcome).constData())

class ApiClientE2ETest : public QObject
{
    Q_OBJECT

private:
    E2EServer m_server;
    APIVersionManager m_versions;
    std::unique_ptr<QBittorrentAPIClient> m_client;
    QString m_storedPassword; // what a re-login finds
    ServerConfig m_config;
    TestHttpServer m_tracker;
    QString m_trackerUrl;
    QString m_workDir;

    QString m_multiHash;    // the multi-file torrent added by file
    QString m_magnetHash;   // the torrent added by magnet link
    QStringList m_leftover; // hashes to remove at the end, whatever happened

    // The torrent's record in /api/v2/torrents/info; empty when it is not listed.
    QJsonObject torrentInfo(const QString &hash)
    {
        const auto outcome = runTask(m_client->fetch(APIEndpoint::torrentInfo(), m_config, true));
        for (const QJsonValue &item : QJsonDocument::fromJson(outcome.value.value_or("")).array())
            if (item[QStringLiteral("hash")].toString() == hash)
                return item.toObject();
        return {};
    }
    QString stateOf(const QString &hash) { return torrentInfo(hash)[QStringLiteral("state")].toString(); }
    double progressOf(const QString &hash)
    {
        return torrentInfo(hash)[QStringLiteral("progress")].toDouble(-1);
    }

    // Announces of that torrent the tracker received; regular ones carry no event (a
    // reannounce, never a start or stop).
    qsizetype announces(const QString &hash, bool regularOnly = false) const
    {
        const QList<RecordedRequest> requests = m_tracker.requestsTo("/announce");
        return std::count_if(requests.begin(), requests.end(), [&](const RecordedRequest &request) {
            return announcedHash(request) == hash && (!regularOnly || !request.query().contains("event="));
        });
    }

    // Incremental updates from `rid` on until one satisfies `found`.
    bool syncUntil(qint64 rid, const std::function<bool(const SyncData &)> &found)
    {
        return pollUntil(
            [&] {
                const auto next = runTask(m_client->getSyncData(rid));
                rid = next.ok() ? next.value->rid : rid;
                return next.ok() && found(*next.value);
            },
            waitMs);
    }

private Q_SLOTS:
    void initTestCase()
    {
        try {
            m_server = E2EServer::fromEnvironment();
            m_workDir = m_server.freshDirectory(QStringLiteral("api-client"));
        } catch (const std::exception &error) {
            QFAIL(error.what());
        }
        m_client = std::make_unique<QBittorrentAPIClient>(m_versions);
        m_client->setPasswordProvider(
            [this](QString) -> QCoro::Task<std::optional<QString>> { co_return m_storedPassword; });
        m_storedPassword = m_server.password;
        m_config = m_server.serverConfig();
        // Without "min interval" a forced reannounce would wait for the default of 30 s.
        const QByteArray announce = BencodeValue(BencodeValue::Dict{{"interval", 1800},
                                                                    {"min interval", 1},
                                                                    {"complete", 0},
                                                                    {"incomplete", 0},
                                                                    {"peers", ""}})
                                        .encode();
        m_tracker.on("/announce", TestResponse::text(announce));
        m_trackerUrl = QString::fromLatin1(m_tracker.baseUrl()) + QStringLiteral("/announce");
    }

    void cleanupTestCase()
    {
        if (!m_client || !m_client->isAuthenticated())
            return;
        for (const QString &hash : std::as_const(m_leftover))
            runTask(m_client->performAction(APIEndpoint::deleteTorrents(hash, true)));
        runTask(m_client->setDownloadLimit(0));
        runTask(m_client->setUploadLimit(0));
    }

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
        VERIFY_FAILS(runTask(m_client->testConnection(config, password)), unauthorized);
        VERIFY_FAILS(runTask(m_client->login(config, password)), unauthorized);
        QVERIFY(!m_client->isAuthenticated() && !m_client->currentServer() && !m_client->serverVersion());
    }

    void loginAndVersion()
    {
        // The connection test keeps its session to itself.
        AWAIT_OK(runTask(m_client->testConnection(m_config, m_server.password)));
        QVERIFY(!m_client->isAuthenticated());
        QVERIFY(m_client->cookieJar().cookies().isEmpty());

        // Start from the other adapter so that the choice is visible.
        m_versions.setAdapter(std::make_shared<QBittorrent5Adapter>());
        LogCapture log;
        AWAIT_OK(runTask(m_client->login(m_config, m_server.password)));
        QVERIFY(m_client->currentServer() == std::optional<ServerConfig>(m_config));
        QCOMPARE(m_client->serverVersion(), std::optional<QString>(QStringLiteral("v4.5.2")));
        QVERIFY(dynamic_cast<const QBittorrent4Adapter *>(&m_versions.currentAdapter()));
        QVERIFY2(log.contains(QStringLiteral("✅ qBittorrent 版本: v4.5.2")),
                 qPrintable(log.lines().join('\n')));
    }

    // Two files in a folder with a non-ASCII name, one in a subfolder; an incremental update
    // brings the new torrent with its whole record, and the check finds every piece.
    void addByFile()
    {
        const auto full = runTask(m_client->getSyncData(std::nullopt));
        AWAIT_OK(full);
        QCOMPARE(full.value->fullUpdate, std::optional<bool>(true));
        QCOMPARE(full.value->serverState->dhtNodes, std::optional<qint64>(0));

        const QString saveDir = m_workDir + QStringLiteral("/by-file");
        const QString root = saveDir + QStringLiteral("/e2e 多文件");
        writeDataFile(root + QStringLiteral("/a.bin"), 40'000, 1);
        writeDataFile(root + QStringLiteral("/子目录/b.bin"), 20'000, 2);
        MadeTorrent made;
        try {
            made = makeTorrent(root, {m_trackerUrl});
        } catch (const std::exception &error) {
            QFAIL(error.what());
        }
        m_multiHash = made.infoHash;
        m_leftover.append(m_multiHash);
        AWAIT_OK(runTask(m_client->addTorrentFile(QStringLiteral("e2e 多文件.torrent"), made.bytes, saveDir,
                                                  QStringLiteral("e2e-api-cat"),
                                                  QStringLiteral("e2e-api-a,e2e-api-b"))));

        std::optional<TorrentData> record;
        QVERIFY2(syncUntil(full.value->rid,
                           [&](const SyncData &data) {
                               for (const auto &[hash, torrent] : data.torrents.value_or(SyncTorrents()))
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
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), waitMs);
        QCOMPARE(progressOf(m_multiHash), 1.0);

        // 4.5.2 refuses bytes that are no torrent with 415.
        const auto broken =
            runTask(m_client->addTorrentFile(QStringLiteral("broken.torrent"), "d4:infoi1e", m_workDir));
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
            m_client->addTorrent(QStringLiteral("magnet:?xt=urn:btih:%1&dn=e2e-magnet").arg(m_magnetHash),
                                 saveDir, QStringLiteral("e2e-api-cat"), QStringLiteral("e2e-api-magnet"))));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_magnetHash), QStringLiteral("metaDL"), waitMs);
        const QJsonObject info = torrentInfo(m_magnetHash);
        QCOMPARE(info[QStringLiteral("name")].toString(), QStringLiteral("e2e-magnet"));
        QCOMPARE(info[QStringLiteral("tags")].toString(), QStringLiteral("e2e-api-magnet"));
        QCOMPARE(QDir::cleanPath(info[QStringLiteral("save_path")].toString()), saveDir);

        const auto categories = runTask(m_client->getCategories());
        AWAIT_OK(categories);
        QVERIFY(std::any_of(categories.value->begin(), categories.value->end(),
                            [](const Category &c) { return c.name == QStringLiteral("e2e-api-cat"); }));
        const auto tags = runTask(m_client->getTags());
        AWAIT_OK(tags);
        for (const char *tag : {"e2e-api-a", "e2e-api-b", "e2e-api-magnet"})
            QVERIFY2(tags.value->contains(QLatin1String(tag)), tag);
    }

    void filesTrackersPeers()
    {
        const auto files = runTask(m_client->getTorrentFiles(m_multiHash));
        AWAIT_OK(files);
        QCOMPARE(files.value->size(), qsizetype(2));
        QCOMPARE(files.value->at(0).name, QStringLiteral("e2e 多文件/a.bin"));
        QCOMPARE(files.value->at(1).name, QStringLiteral("e2e 多文件/子目录/b.bin"));
        QCOMPARE(files.value->at(1).index, qint64(1));
        QCOMPARE(files.value->at(1).size, qint64(20'000));
        QCOMPARE(files.value->at(1).progress, 1.0);

        // The torrent announced itself to the local tracker, which answered well; DHT, PeX
        // and LSD are off in the fixture's profile.
        const auto trackerStatus = [&](bool local) -> qint64 {
            const auto trackers = runTask(m_client->getTorrentTrackers(m_multiHash));
            for (const TorrentTracker &tracker : trackers.value.value_or(QList<TorrentTracker>()))
                if ((tracker.url == m_trackerUrl) == local &&
                    (local || tracker.url.startsWith(QLatin1String("** ["))))
                    return tracker.status;
            return -1;
        };
        QTRY_COMPARE_WITH_TIMEOUT(trackerStatus(true), qint64(2), waitMs); // working
        QCOMPARE(trackerStatus(false), qint64(0));

        const auto peers = runTask(m_client->getTorrentPeers(m_multiHash));
        AWAIT_OK(peers);
        QVERIFY(peers.value->isEmpty()); // nobody to talk to on a machine of its own

        const QString unknown(40, QLatin1Char('0'));
        VERIFY_FAILS(runTask(m_client->getTorrentFiles(unknown)), notFound);
        VERIFY_FAILS(runTask(m_client->getTorrentTrackers(unknown)), notFound);
        VERIFY_FAILS(runTask(m_client->getTorrentPeers(unknown)), notFound);
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
        AWAIT_OK(runTask(m_client->setDownloadLimit(download)));
        AWAIT_OK(runTask(m_client->setUploadLimit(upload)));
        const auto info = runTask(m_client->getTransferInfo());
        AWAIT_OK(info);
        QCOMPARE(info.value->dlRateLimit, download);
        QCOMPARE(info.value->upRateLimit, upload);
        QCOMPARE(info.value->dhtNodes, qint64(0));
        QVERIFY(!info.value->connectionStatus.isEmpty());
        const auto state = runTask(m_client->getMainData());
        AWAIT_OK(state);
        QCOMPARE(state.value->serverState.upRateLimit, std::optional<qint64>(upload));
    }

    void actions()
    {
        const auto act = [&](APIEndpoint endpoint) {
            return runTask(m_client->performAction(std::move(endpoint)));
        };
        // The tracker asked for half an hour between announces: this one came on request.
        QTRY_VERIFY_WITH_TIMEOUT(announces(m_multiHash) > 0, waitMs);
        const qsizetype before = announces(m_multiHash, true);
        AWAIT_OK(act(APIEndpoint::reannounce(m_multiHash)));
        QTRY_VERIFY_WITH_TIMEOUT(announces(m_multiHash, true) > before, waitMs);

        AWAIT_OK(act(APIEndpoint::pause(m_multiHash + QLatin1Char('|') + m_magnetHash)));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("pausedUP"), waitMs);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_magnetHash), QStringLiteral("pausedDL"), waitMs);
        AWAIT_OK(act(APIEndpoint::resume(m_multiHash)));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), waitMs);
        QCOMPARE(stateOf(m_magnetHash), QStringLiteral("pausedDL")); // only the hashes named
        AWAIT_OK(act(APIEndpoint::setForceStart(m_multiHash, true)));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("forcedUP"), waitMs);
        AWAIT_OK(act(APIEndpoint::setForceStart(m_multiHash, false)));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), waitMs);
        AWAIT_OK(act(APIEndpoint::resume(m_magnetHash)));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_magnetHash), QStringLiteral("metaDL"), waitMs);

        // A check of intact data finds every piece again. (Spoiling a piece on disk first leaves
        // qbittorrent-nox 4.5.2 checking for ever on this machine, the old test included.)
        AWAIT_OK(act(APIEndpoint::recheck(m_multiHash)));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), waitMs);
        QCOMPARE(progressOf(m_multiHash), 1.0);
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
        writeDataFile(dataPath, 30'000, deleteFiles ? 11 : 12);
        const MadeTorrent made = makeTorrent(dataPath, {m_trackerUrl});
        m_leftover.append(made.infoHash);
        AWAIT_OK(runTask(m_client->addTorrentFile(QStringLiteral("data.torrent"), made.bytes,
                                                  QFileInfo(dataPath).absolutePath())));
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(made.infoHash), QStringLiteral("stalledUP"), waitMs);

        const auto sync = runTask(m_client->getSyncData(std::nullopt));
        AWAIT_OK(sync);
        AWAIT_OK(runTask(m_client->performAction(APIEndpoint::deleteTorrents(made.infoHash, deleteFiles))));
        QVERIFY2(syncUntil(sync.value->rid,
                           [&](const SyncData &data) {
                               return data.torrentsRemoved && data.torrentsRemoved->contains(made.infoHash);
                           }),
                 "no incremental update reported the removal");
        QVERIFY(torrentInfo(made.infoHash).isEmpty());
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
            formAction ? runTask(m_client->setUploadLimit(131'072))
                       : runTask([this]() -> QCoro::Task<void> { co_await m_client->getTransferInfo(); }());
        const bool good = stored == m_server.password;
        QCOMPARE(outcome.ok(), good);
        QCOMPARE(log.lines().count(reloginLine), 1);
        QCOMPARE(log.lines().count(reloggedLine), good ? 1 : 0);
        m_storedPassword = m_server.password;
        if (!m_client->isAuthenticated())
            AWAIT_OK(runTask(m_client->login(m_config, m_server.password)));

        const auto info = runTask(m_client->getTransferInfo());
        AWAIT_OK(info);
        QCOMPARE(info.value->upRateLimit, qint64(formAction ? 131'072 : 0));
        if (good)
            QCOMPARE(log.lines().count(reloginLine), 1); // no second login
        QVERIFY(!torrentInfo(m_multiHash).isEmpty());    // the torrents outlived the restart
        AWAIT_OK(runTask(m_client->setUploadLimit(0)));
    }
};

QTEST_GUILESS_MAIN(ApiClientE2ETest)
#include "tst_ApiClientE2E.moc"
