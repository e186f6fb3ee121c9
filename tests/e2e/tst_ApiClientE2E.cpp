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
#include "store/KeychainHelper.h"

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
#include <stdexcept>
#include <utility>

namespace {

constexpr int stateTimeoutMs = 15'000;
const QString keychainService = QStringLiteral("app.seedwhirl.Seedwhirl.e2e-tests");
const QString reloginLine = QStringLiteral("🔄 检测到会话过期，正在重新登录...");
const QString reloggedLine = QStringLiteral("✅ 重新登录成功");

template <typename T> QByteArray describe(const Outcome<T> &outcome)
{
    if (!outcome.finished)
        return "did not finish within the guard time";
    if (outcome.error)
        return outcome.error->debugDescription().toUtf8();
    return "ok";
}

template <typename T> bool failsWith(const Outcome<T> &outcome, NetworkError::Kind kind)
{
    const auto *error = outcome.template errorAs<NetworkError>();
    return outcome.finished && error && error->kind() == kind;
}

// The tracker's answer to every announce: no peers, come back in half an hour (or sooner when
// asked).
QByteArray announceAnswer()
{
    // Without "min interval" a forced reannounce would wait for the default of 30 s.
    return BencodeValue(BencodeValue::Dict{{"interval", 1800},
                                           {"min interval", 1},
                                           {"complete", 0},
                                           {"incomplete", 0},
                                           {"peers", ""}})
        .encode();
}

// The info hash of an announce, as lower-case hex; empty when it has none.
QString announcedHash(const RecordedRequest &request)
{
    for (const QByteArray &item : request.query().split('&'))
        if (item.startsWith("info_hash="))
            return QString::fromLatin1(QByteArray::fromPercentEncoding(item.mid(10)).toHex());
    return {};
}

} // namespace

#define AWAIT_OK(outcome) QVERIFY2((outcome).ok(), describe(outcome).constData())

class ApiClientE2ETest : public QObject
{
    Q_OBJECT

private:
    E2EServer m_server;
    KeychainHelper m_keychain{keychainService};
    APIVersionManager m_versions;
    std::unique_ptr<QBittorrentAPIClient> m_client;
    ServerConfig m_config;
    TestHttpServer m_tracker;
    QString m_trackerUrl;
    QString m_workDir;

    QString m_multiHash;    // the multi-file torrent added by file
    QString m_multiRoot;    // its data directory
    QString m_magnetHash;   // the torrent added by magnet link
    QStringList m_leftover; // hashes to remove at the end, whatever happened

    // The torrent's record in /api/v2/torrents/info; empty when it is not listed.
    QJsonObject torrentInfo(const QString &hash)
    {
        const auto outcome = runTask(m_client->fetch(APIEndpoint::torrentInfo(), m_config, true));
        if (!outcome.ok())
            return {{QStringLiteral("state"), QStringLiteral("(fetch failed: %1)").arg(describe(outcome))}};
        const QJsonArray list = QJsonDocument::fromJson(*outcome.value).array();
        for (const QJsonValue &item : list)
            if (item[QStringLiteral("hash")].toString() == hash)
                return item.toObject();
        return {};
    }
    QString stateOf(const QString &hash)
    {
        const QJsonObject info = torrentInfo(hash);
        return info.isEmpty() ? QStringLiteral("(not listed)") : info[QStringLiteral("state")].toString();
    }
    double progressOf(const QString &hash)
    {
        return torrentInfo(hash)[QStringLiteral("progress")].toDouble(-1);
    }
    bool isListed(const QString &hash) { return !torrentInfo(hash).isEmpty(); }

    // Announces of that torrent the tracker received, and those without an event (the
    // regular ones: a reannounce, never a start or stop).
    qsizetype announces(const QString &hash, bool regularOnly = false) const
    {
        const QList<RecordedRequest> requests = m_tracker.requestsTo("/announce");
        return std::count_if(requests.begin(), requests.end(), [&](const RecordedRequest &request) {
            return announcedHash(request) == hash && (!regularOnly || !request.query().contains("event="));
        });
    }

    // A single-file torrent over fresh data in its own directory under the work directory.
    MadeTorrent singleFileTorrent(const QString &folder, const QString &fileName, qint64 size, quint32 seed,
                                  QString *dataPath)
    {
        const QString dir = m_workDir + QLatin1Char('/') + folder;
        *dataPath = dir + QLatin1Char('/') + fileName;
        writeDataFile(*dataPath, size, seed);
        MadeTorrent made = makeTorrent(*dataPath, {m_trackerUrl});
        m_leftover.append(made.infoHash);
        return made;
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
        m_client = std::make_unique<QBittorrentAPIClient>(m_keychain, m_versions);
        m_config = m_server.serverConfig();
        m_tracker.on("/announce",
                     [](const RecordedRequest &) { return TestResponse::text(announceAnswer()); });
        m_trackerUrl = QString::fromLatin1(m_tracker.baseUrl()) + QStringLiteral("/announce");

        // The re-login after a server restart reads the password from here.
        const auto saved = runTask(m_keychain.savePassword(m_server.password, m_config.accountName()));
        AWAIT_OK(saved);
    }

    void cleanupTestCase()
    {
        if (!m_client || !m_client->isAuthenticated())
            return;
        for (const QString &hash : std::as_const(m_leftover))
            runTask(m_client->performAction(APIEndpoint::deleteTorrents(hash, true)));
        runTask(m_client->setDownloadLimit(0));
        runTask(m_client->setUploadLimit(0));
        runTask(m_keychain.deletePassword(m_config.accountName()));
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

        const auto tested = runTask(m_client->testConnection(config, password));
        QVERIFY2(failsWith(tested, NetworkError::Kind::unauthorized), describe(tested).constData());

        const auto loggedIn = runTask(m_client->login(config, password));
        QVERIFY2(failsWith(loggedIn, NetworkError::Kind::unauthorized), describe(loggedIn).constData());
        QVERIFY(!m_client->isAuthenticated());
        QVERIFY(!m_client->currentServer());
        QVERIFY(!m_client->serverVersion());
    }

    void loginAndVersion()
    {
        // The connection test keeps its session to itself.
        const auto tested = runTask(m_client->testConnection(m_config, m_server.password));
        AWAIT_OK(tested);
        QVERIFY(!m_client->isAuthenticated());
        QVERIFY(m_client->cookieJar().cookies().isEmpty());

        // Start from the other adapter so that the choice is visible.
        m_versions.setAdapter(std::make_shared<QBittorrent5Adapter>());
        LogCapture log;
        const auto loggedIn = runTask(m_client->login(m_config, m_server.password));
        AWAIT_OK(loggedIn);
        QVERIFY(m_client->isAuthenticated());
        QVERIFY(m_client->currentServer() == std::optional<ServerConfig>(m_config));
        QCOMPARE(m_client->serverVersion(), std::optional<QString>(QStringLiteral("v4.5.2")));
        QVERIFY(dynamic_cast<const QBittorrent4Adapter *>(&m_versions.currentAdapter()));
        QVERIFY2(log.contains(QStringLiteral("✅ qBittorrent 版本: v4.5.2")),
                 qPrintable(log.lines().join('\n')));

        const auto version = runTask(m_client->getVersion());
        AWAIT_OK(version);
        QCOMPARE(*version.value, QStringLiteral("v4.5.2"));
    }

    void syncFullThenIncremental()
    {
        const auto full = runTask(m_client->getSyncData(std::nullopt));
        AWAIT_OK(full);
        QCOMPARE(full.value->fullUpdate, std::optional<bool>(true));
        QVERIFY(full.value->rid > 0);
        QVERIFY(full.value->torrents);
        QVERIFY(full.value->serverState);
        QCOMPARE(full.value->serverState->dhtNodes, std::optional<qint64>(0));

        // Nothing changed since: a new rid and no torrent list.
        const auto incremental = runTask(m_client->getSyncData(full.value->rid));
        AWAIT_OK(incremental);
        QVERIFY(incremental.value->fullUpdate != std::optional<bool>(true));
        QVERIFY(incremental.value->rid > full.value->rid);
        QVERIFY(!incremental.value->torrents || incremental.value->torrents->isEmpty());
    }

    void addByFile()
    {
        // Two files in a folder with a non-ASCII name, one of them in a subfolder.
        const QString saveDir = m_workDir + QStringLiteral("/by-file");
        m_multiRoot = saveDir + QStringLiteral("/e2e 多文件");
        writeDataFile(m_multiRoot + QStringLiteral("/a.bin"), 40'000, 1);
        writeDataFile(m_multiRoot + QStringLiteral("/子目录/b.bin"), 20'000, 2);
        MadeTorrent made;
        try {
            made = makeTorrent(m_multiRoot, {m_trackerUrl});
        } catch (const std::exception &error) {
            QFAIL(error.what());
        }
        m_multiHash = made.infoHash;
        m_leftover.append(m_multiHash);

        const auto before = runTask(m_client->getSyncData(std::nullopt));
        AWAIT_OK(before);
        const auto added = runTask(m_client->addTorrentFile(QStringLiteral("e2e 多文件.torrent"), made.bytes,
                                                            saveDir, QStringLiteral("e2e-api-cat"),
                                                            QStringLiteral("e2e-api-a,e2e-api-b")));
        AWAIT_OK(added);

        // An incremental update brings the new torrent with its whole record.
        qint64 rid = before.value->rid;
        std::optional<TorrentData> record;
        const auto arrived = [&] {
            const auto next = runTask(m_client->getSyncData(rid));
            if (!next.ok())
                return false;
            rid = next.value->rid;
            if (next.value->torrents)
                for (const auto &[hash, data] : *next.value->torrents)
                    if (hash == m_multiHash)
                        record = data;
            return record.has_value();
        };
        QVERIFY2(pollUntil(arrived, stateTimeoutMs), "no incremental update brought the torrent");
        QCOMPARE(record->name, std::optional<QString>(QStringLiteral("e2e 多文件")));
        QCOMPARE(record->size, std::optional<qint64>(60'000));
        QCOMPARE(QDir::cleanPath(record->savePath.value_or(QString())), saveDir);
        QCOMPARE(record->category, std::optional<QString>(QStringLiteral("e2e-api-cat")));
        QCOMPARE(record->tags, std::optional<QString>(QStringLiteral("e2e-api-a, e2e-api-b")));

        // The data is already there: the check finds every piece and the torrent seeds.
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), stateTimeoutMs);
        QCOMPARE(progressOf(m_multiHash), 1.0);
    }

    void addRefusedTorrentFile()
    {
        // 4.5.2 refuses bytes that are no torrent with 415 and a text.
        const auto added =
            runTask(m_client->addTorrentFile(QStringLiteral("broken.torrent"), "d4:infoi1e", m_workDir));
        QVERIFY2(failsWith(added, NetworkError::Kind::serverError), describe(added).constData());
        QCOMPARE(added.errorAs<NetworkError>()->statusCode(), 415);
    }

    void addByMagnet()
    {
        m_magnetHash = QString::fromLatin1(
            QCryptographicHash::hash("seedwhirl e2e magnet", QCryptographicHash::Sha1).toHex());
        m_leftover.append(m_magnetHash);
        const QString link = QStringLiteral("magnet:?xt=urn:btih:%1&dn=e2e-magnet").arg(m_magnetHash);
        const QString saveDir = m_workDir + QStringLiteral("/by-magnet");

        const auto added = runTask(m_client->addTorrent(link, saveDir, QStringLiteral("e2e-api-cat"),
                                                        QStringLiteral("e2e-api-magnet")));
        AWAIT_OK(added);
        // Without a network the metadata never comes.
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_magnetHash), QStringLiteral("metaDL"), stateTimeoutMs);
        const QJsonObject info = torrentInfo(m_magnetHash);
        QCOMPARE(info[QStringLiteral("name")].toString(), QStringLiteral("e2e-magnet"));
        QCOMPARE(info[QStringLiteral("category")].toString(), QStringLiteral("e2e-api-cat"));
        QCOMPARE(info[QStringLiteral("tags")].toString(), QStringLiteral("e2e-api-magnet"));
        QCOMPARE(QDir::cleanPath(info[QStringLiteral("save_path")].toString()), saveDir);
    }

    void categoriesAndTags()
    {
        // Adding with a new category or tag creates it on the server.
        const auto categories = runTask(m_client->getCategories());
        AWAIT_OK(categories);
        const auto category =
            std::find_if(categories.value->begin(), categories.value->end(),
                         [](const Category &c) { return c.name == QStringLiteral("e2e-api-cat"); });
        QVERIFY(category != categories.value->end());
        QCOMPARE(category->savePath, QString());

        const auto tags = runTask(m_client->getTags());
        AWAIT_OK(tags);
        for (const char *tag : {"e2e-api-a", "e2e-api-b", "e2e-api-magnet"})
            QVERIFY2(tags.value->contains(QLatin1String(tag)), tag);

        // The sync answer lists them too.
        const auto full = runTask(m_client->getSyncData(std::nullopt));
        AWAIT_OK(full);
        QVERIFY(full.value->tags && full.value->tags->contains(QStringLiteral("e2e-api-magnet")));
        QVERIFY(full.value->categories);
        QVERIFY(std::any_of(full.value->categories->begin(), full.value->categories->end(),
                            [](const auto &entry) { return entry.first == QStringLiteral("e2e-api-cat"); }));
    }

    void filesTrackersPeers()
    {
        const auto files = runTask(m_client->getTorrentFiles(m_multiHash));
        AWAIT_OK(files);
        QCOMPARE(files.value->size(), qsizetype(2));
        QCOMPARE(files.value->at(0).index, qint64(0));
        QCOMPARE(files.value->at(0).name, QStringLiteral("e2e 多文件/a.bin"));
        QCOMPARE(files.value->at(0).size, qint64(40'000));
        QCOMPARE(files.value->at(1).index, qint64(1));
        QCOMPARE(files.value->at(1).name, QStringLiteral("e2e 多文件/子目录/b.bin"));
        QCOMPARE(files.value->at(1).size, qint64(20'000));
        for (const TorrentFile &file : *files.value) {
            QCOMPARE(file.progress, 1.0);
            QCOMPARE(file.priority, qint64(1));
        }

        // The torrent announced itself to the local tracker, which answered well.
        QTRY_VERIFY_WITH_TIMEOUT(announces(m_multiHash) > 0, stateTimeoutMs);
        const auto trackerStatus = [&]() -> qint64 {
            const auto trackers = runTask(m_client->getTorrentTrackers(m_multiHash));
            if (!trackers.ok())
                return -1;
            for (const TorrentTracker &tracker : *trackers.value)
                if (tracker.url == m_trackerUrl)
                    return tracker.status;
            return -2;
        };
        QTRY_COMPARE_WITH_TIMEOUT(trackerStatus(), qint64(2), stateTimeoutMs); // working
        const auto trackers = runTask(m_client->getTorrentTrackers(m_multiHash));
        AWAIT_OK(trackers);
        // DHT, PeX and LSD are off in the fixture's profile.
        for (const TorrentTracker &tracker : *trackers.value)
            if (tracker.url.startsWith(QLatin1String("** [")))
                QCOMPARE(tracker.status, qint64(0));

        // Nobody to talk to on a machine of its own.
        const auto peers = runTask(m_client->getTorrentPeers(m_multiHash));
        AWAIT_OK(peers);
        QVERIFY(peers.value->isEmpty());
    }

    void unknownTorrentIsNotFound()
    {
        const QString unknown(40, QLatin1Char('0'));
        const auto files = runTask(m_client->getTorrentFiles(unknown));
        QVERIFY2(failsWith(files, NetworkError::Kind::notFound), describe(files).constData());
        const auto trackers = runTask(m_client->getTorrentTrackers(unknown));
        QVERIFY2(failsWith(trackers, NetworkError::Kind::notFound), describe(trackers).constData());
        const auto peers = runTask(m_client->getTorrentPeers(unknown));
        QVERIFY2(failsWith(peers, NetworkError::Kind::notFound), describe(peers).constData());
    }

    void transferInfo()
    {
        const auto info = runTask(m_client->getTransferInfo());
        AWAIT_OK(info);
        QCOMPARE(info.value->dhtNodes, qint64(0));
        QVERIFY(!info.value->connectionStatus.isEmpty());
        QVERIFY(info.value->dlInfoSpeed >= 0 && info.value->upInfoSpeed >= 0);
    }

    void limits_data()
    {
        QTest::addColumn<qint64>("download");
        QTest::addColumn<qint64>("upload");
        QTest::newRow("both set") << qint64(1'048'576) << qint64(262'144);
        QTest::newRow("different again") << qint64(307'200) << qint64(2'097'152);
        QTest::newRow("both unlimited") << qint64(0) << qint64(0);
    }

    void limits()
    {
        QFETCH(qint64, download);
        QFETCH(qint64, upload);
        const auto down = runTask(m_client->setDownloadLimit(download));
        AWAIT_OK(down);
        const auto up = runTask(m_client->setUploadLimit(upload));
        AWAIT_OK(up);

        const auto info = runTask(m_client->getTransferInfo());
        AWAIT_OK(info);
        QCOMPARE(info.value->dlRateLimit, download);
        QCOMPARE(info.value->upRateLimit, upload);

        const auto state = runTask(m_client->getMainData());
        AWAIT_OK(state);
        QCOMPARE(state.value->serverState.dlRateLimit, std::optional<qint64>(download));
        QCOMPARE(state.value->serverState.upRateLimit, std::optional<qint64>(upload));
    }

    void reannounce()
    {
        QTRY_VERIFY_WITH_TIMEOUT(announces(m_multiHash) > 0, stateTimeoutMs);
        const qsizetype before = announces(m_multiHash, true);
        const auto done = runTask(m_client->performAction(APIEndpoint::reannounce(m_multiHash)));
        AWAIT_OK(done);
        // The tracker asked for half an hour between announces: this one came on request.
        QTRY_VERIFY_WITH_TIMEOUT(announces(m_multiHash, true) > before, stateTimeoutMs);
    }

    void pauseResumeForceStart()
    {
        const auto act = [&](APIEndpoint endpoint) {
            return runTask(m_client->performAction(std::move(endpoint)));
        };

        const auto paused = act(APIEndpoint::pause(m_multiHash + QLatin1Char('|') + m_magnetHash));
        AWAIT_OK(paused);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("pausedUP"), stateTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_magnetHash), QStringLiteral("pausedDL"), stateTimeoutMs);

        const auto resumed = act(APIEndpoint::resume(m_multiHash));
        AWAIT_OK(resumed);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), stateTimeoutMs);
        QCOMPARE(stateOf(m_magnetHash), QStringLiteral("pausedDL")); // only the hashes named

        const auto forced = act(APIEndpoint::setForceStart(m_multiHash, true));
        AWAIT_OK(forced);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("forcedUP"), stateTimeoutMs);
        QCOMPARE(torrentInfo(m_multiHash)[QStringLiteral("force_start")].toBool(), true);

        const auto unforced = act(APIEndpoint::setForceStart(m_multiHash, false));
        AWAIT_OK(unforced);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), stateTimeoutMs);

        const auto magnetResumed = act(APIEndpoint::resume(m_magnetHash));
        AWAIT_OK(magnetResumed);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_magnetHash), QStringLiteral("metaDL"), stateTimeoutMs);
    }

    void recheck()
    {
        // Spoil the first piece on disk, same size: only a real check notices.
        const QString path = m_multiRoot + QStringLiteral("/a.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray original = file.read(100);
        QVERIFY(file.seek(0));
        QCOMPARE(file.write(QByteArray(100, '\0')), 100);
        file.close();

        const auto spoiled = runTask(m_client->performAction(APIEndpoint::recheck(m_multiHash)));
        AWAIT_OK(spoiled);
        double progress = -1;
        const auto spoiledFound = [&] {
            progress = progressOf(m_multiHash);
            return progress > 0 && progress < 1;
        };
        QVERIFY2(pollUntil(spoiledFound, stateTimeoutMs),
                 qPrintable(QStringLiteral("progress stayed %1").arg(progress)));
        // The first piece of three and a half lies wholly in a.bin.
        QCOMPARE(progress, 1.0 - 16'384.0 / 60'000.0);

        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write(original), 100);
        file.close();
        const auto repaired = runTask(m_client->performAction(APIEndpoint::recheck(m_multiHash)));
        AWAIT_OK(repaired);
        QTRY_COMPARE_WITH_TIMEOUT(progressOf(m_multiHash), 1.0, stateTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(m_multiHash), QStringLiteral("stalledUP"), stateTimeoutMs);
    }

    void deleteTorrent_data()
    {
        QTest::addColumn<bool>("deleteFiles");
        QTest::newRow("keeping its files") << false;
        QTest::newRow("with its files") << true;
    }

    void deleteTorrent()
    {
        QFETCH(bool, deleteFiles);
        QString dataPath;
        MadeTorrent made;
        try {
            made = singleFileTorrent(deleteFiles ? QStringLiteral("delete-files")
                                                 : QStringLiteral("delete-keep"),
                                     QStringLiteral("data.bin"), 30'000, deleteFiles ? 11 : 12, &dataPath);
        } catch (const std::exception &error) {
            QFAIL(error.what());
        }
        const auto added = runTask(m_client->addTorrentFile(QStringLiteral("data.torrent"), made.bytes,
                                                            QFileInfo(dataPath).absolutePath()));
        AWAIT_OK(added);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf(made.infoHash), QStringLiteral("stalledUP"), stateTimeoutMs);

        const auto sync = runTask(m_client->getSyncData(std::nullopt));
        AWAIT_OK(sync);
        const auto deleted =
            runTask(m_client->performAction(APIEndpoint::deleteTorrents(made.infoHash, deleteFiles)));
        AWAIT_OK(deleted);

        // The next incremental update reports the removal.
        qint64 rid = sync.value->rid;
        const auto removed = [&] {
            const auto next = runTask(m_client->getSyncData(rid));
            if (!next.ok())
                return false;
            rid = next.value->rid;
            return next.value->torrentsRemoved && next.value->torrentsRemoved->contains(made.infoHash);
        };
        QVERIFY2(pollUntil(removed, stateTimeoutMs), "no incremental update reported the removal");
        QVERIFY(!isListed(made.infoHash));
        if (deleteFiles) {
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(dataPath), stateTimeoutMs);
        } else {
            QVERIFY(QFile::exists(dataPath));
            QCOMPARE(QFileInfo(dataPath).size(), qint64(30'000));
        }
    }

    void forgottenSession_data()
    {
        QTest::addColumn<bool>("formAction");
        QTest::newRow("fetch") << false;
        QTest::newRow("form action") << true;
    }

    void forgottenSession()
    {
        QFETCH(bool, formAction);
        const QString restartError = m_server.restart();
        QVERIFY2(restartError.isEmpty(), qPrintable(restartError));
        QVERIFY(m_client->isAuthenticated()); // the client cannot know yet

        LogCapture log;
        if (formAction) {
            const auto done = runTask(m_client->setUploadLimit(131'072));
            AWAIT_OK(done);
        } else {
            const auto info = runTask(m_client->getTransferInfo());
            AWAIT_OK(info);
        }
        QCOMPARE(log.lines().count(reloginLine), 1);
        QCOMPARE(log.lines().count(reloggedLine), 1);
        QVERIFY(m_client->isAuthenticated());

        // The new session serves the next requests without another login.
        const auto info = runTask(m_client->getTransferInfo());
        AWAIT_OK(info);
        QCOMPARE(info.value->upRateLimit, qint64(formAction ? 131'072 : 0));
        QCOMPARE(log.lines().count(reloginLine), 1);
        // The torrents outlived the restart.
        QVERIFY(isListed(m_multiHash));
        const auto reset = runTask(m_client->setUploadLimit(0));
        AWAIT_OK(reset);
    }

    // Last: the stored password no longer works.
    void forgottenSessionWithStalePassword()
    {
        const auto stale =
            runTask(m_keychain.savePassword(QStringLiteral("stale password"), m_config.accountName()));
        AWAIT_OK(stale);
        const QString restartError = m_server.restart();
        QVERIFY2(restartError.isEmpty(), qPrintable(restartError));

        LogCapture log;
        const auto info = runTask(m_client->getTransferInfo());
        QVERIFY2(failsWith(info, NetworkError::Kind::unauthorized), describe(info).constData());
        QCOMPARE(log.lines().count(reloginLine), 1); // one attempt, no loop
        QCOMPARE(log.lines().count(reloggedLine), 0);

        // With the right password back, the next request gets in again.
        const auto restored = runTask(m_keychain.savePassword(m_server.password, m_config.accountName()));
        AWAIT_OK(restored);
        if (!m_client->isAuthenticated()) {
            const auto again = runTask(m_client->login(m_config, m_server.password));
            AWAIT_OK(again);
        }
        const auto after = runTask(m_client->getTransferInfo());
        AWAIT_OK(after);
    }
};

QTEST_GUILESS_MAIN(ApiClientE2ETest)
#include "tst_ApiClientE2E.moc"
