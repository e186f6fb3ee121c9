// The detail model against a local server: the three lists, a failing one, repeated loads,
// the rows QML reads, and a screen closed mid-request.
#include "support/Fixtures.h"
#include "support/LogCapture.h"
#include "support/TaskRunner.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionManager.h"
#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "model/Formatting.h"
#include "store/KeychainHelper.h"
#include "viewmodels/TorrentDetailViewModel.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>
#include <memory>

namespace {

const QString password = QStringLiteral("adminadmin");
const QString hash = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QByteArray filesPath = "/api/v2/torrents/files";
const QByteArray trackersPath = "/api/v2/torrents/trackers";
const QByteArray peersPath = "/api/v2/sync/torrentPeers";

QByteArray peersJson(int count)
{
    QStringList peers;
    for (int i = 0; i < count; ++i) {
        peers.append(
            QStringLiteral(
                "\"10.0.0.%1:6881\":{\"ip\":\"10.0.0.%1\",\"port\":6881,\"client\":\"qBittorrent/4.5.2\","
                "\"progress\":0.25,\"dl_speed\":2048,\"up_speed\":0,\"downloaded\":0,\"uploaded\":0,"
                "\"connection\":\"BT\",\"flags\":\"\",\"country\":\"\"}")
                .arg(i));
    }
    return QStringLiteral("{\"full_update\":true,\"rid\":1,\"peers\":{%1}}").arg(peers.join(u',')).toUtf8();
}

QByteArray filesJson(const QString &name)
{
    return QStringLiteral("[{\"index\":0,\"name\":\"%1\",\"size\":1048576,\"progress\":0.5,\"priority\":1,"
                          "\"availability\":1}]")
        .arg(name)
        .toUtf8();
}

Torrent sampleTorrent(bool completed)
{
    Torrent torrent;
    torrent.id = hash;
    torrent.name = QStringLiteral("ubuntu-demo.iso");
    torrent.size = 2048;
    torrent.progress = 0.5;
    torrent.state = TorrentState::downloading;
    torrent.ratio = std::numeric_limits<double>::infinity();
    torrent.addedOn = Timestamp(std::chrono::seconds(1'700'000'000));
    if (completed)
        torrent.completionOn = Timestamp(std::chrono::seconds(1'700'003'600));
    torrent.savePath = QStringLiteral("/downloads");
    return torrent;
}

QStringList labels(const QVariantList &rows)
{
    QStringList list;
    for (const QVariant &row : rows)
        list.append(row.toMap().value(QStringLiteral("label")).toString());
    return list;
}

struct Harness
{
    TestHttpServer server;
    APIVersionManager versions;
    KeychainHelper keychain{QStringLiteral("app.seedwhirl.tests.detail")};
    QBittorrentAPIClient client{keychain, versions};
    bool loggedIn = false;

    Harness()
    {
        server.emulateLogin(QStringLiteral("admin"), password, "detailSid");
        server.on("/api/v2/app/version", TestResponse::text("v4.5.2"));
        server.on(filesPath, TestResponse::json(fixture(QStringLiteral("torrent-files.json"))));
        server.on(trackersPath, TestResponse::json(fixture(QStringLiteral("torrent-trackers.json"))));
        server.on(peersPath, TestResponse::json(peersJson(3)));
        loggedIn = runTask(client.login(server.serverConfig(), password)).ok();
        server.clearRequests();
    }

    qsizetype count(const QByteArray &path) const { return server.requestsTo(path).size(); }
};

} // namespace

class TestTorrentDetailViewModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<Harness> m_harness;

private Q_SLOTS:
    void init()
    {
        m_harness = std::make_unique<Harness>();
        QVERIFY(m_harness->loggedIn);
    }
    void cleanup() { m_harness.reset(); }

    void loadAllFillsTheThreeLists()
    {
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        model.loadAll();
        QVERIFY(model.isLoading());
        QTRY_VERIFY(!model.files().isEmpty() && !model.trackers().isEmpty() && model.peers().size() == 3);
        QTRY_VERIFY(!model.isLoading());
        QVERIFY(!model.error());
        QCOMPARE(model.trackers().size(), 4);
        QCOMPARE(model.property("peerCount").toInt(), 3);
        for (const QByteArray &path : {filesPath, trackersPath, peersPath})
            QCOMPARE(m_harness->server.requestsTo(path).first().query().startsWith("hash=" + hash.toLatin1()),
                     true);
    }

    void failedTrackersLeaveTheOthers()
    {
        m_harness->server.on(trackersPath, TestResponse::withStatus(500));
        LogCapture log;
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        QSignalSpy errors(&model, &TorrentDetailViewModel::errorChanged);
        model.loadAll();
        QTRY_VERIFY(!model.files().isEmpty() && !model.peers().isEmpty() && model.error());
        QTRY_VERIFY(!model.isLoading());
        QVERIFY(model.trackers().isEmpty());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(log.lines(), QStringList{QStringLiteral("❌ 加载 Tracker 失败: 服务器错误 (500)")});
        QCOMPARE(model.property("errorMessage").toString(), QStringLiteral("服务器错误 (500)"));

        // A retry of the tracker list alone fills it; the error stays for the screen to clear.
        m_harness->server.on(trackersPath,
                             TestResponse::json(fixture(QStringLiteral("torrent-trackers.json"))));
        m_harness->server.clearRequests();
        QVERIFY(runTask(model.loadTrackers()).ok());
        QCOMPARE(model.trackers().size(), 4);
        QCOMPARE(m_harness->server.requestCount(), 1);
        QVERIFY(model.error());
    }

    void failureKeepsTheListAndEndsLoading_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("line");
        QTest::newRow("files") << filesPath << QStringLiteral("❌ 加载文件列表失败: 资源未找到");
        QTest::newRow("trackers") << trackersPath << QStringLiteral("❌ 加载 Tracker 失败: 资源未找到");
        QTest::newRow("peers") << peersPath << QStringLiteral("❌ 加载 Peer 失败: 资源未找到");
    }
    void failureKeepsTheListAndEndsLoading()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, line);
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        const auto load = [&model, &path] {
            return path == filesPath      ? model.loadFiles()
                   : path == trackersPath ? model.loadTrackers()
                                          : model.loadPeers();
        };
        QVERIFY(runTask(load()).ok());
        const QVariantList before = model.property("files").toList() + model.property("trackers").toList() +
                                    model.property("peers").toList();
        QVERIFY(!before.isEmpty());

        m_harness->server.on(path, TestResponse::withStatus(404));
        LogCapture log;
        QSignalSpy loading(&model, &TorrentDetailViewModel::isLoadingChanged);
        QVERIFY(runTask(load()).ok());
        QCOMPARE(loading.count(), 2);
        QVERIFY(!model.isLoading());
        QCOMPARE(log.lines(), QStringList{line});
        QVERIFY(model.error());
        QCOMPARE(model.property("files").toList() + model.property("trackers").toList() +
                     model.property("peers").toList(),
                 before);
    }

    void laterAnswerWins()
    {
        // The first request's answer arrives last, so its list is the one kept.
        TestResponse slow = TestResponse::json(filesJson(QStringLiteral("slow.bin")));
        slow.delayMs = 150;
        m_harness->server.enqueue(filesPath, slow);
        m_harness->server.enqueue(filesPath, TestResponse::json(filesJson(QStringLiteral("fast.bin"))));
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        QSignalSpy files(&model, &TorrentDetailViewModel::filesChanged);
        model.loadAll();
        model.loadAll();
        QTRY_COMPARE(files.count(), 2);
        QCOMPARE(model.files().first().name, QStringLiteral("slow.bin"));
        QCOMPARE(m_harness->count(filesPath) + m_harness->count(trackersPath) + m_harness->count(peersPath),
                 6);
    }

    void informationRows_data()
    {
        QTest::addColumn<bool>("completed");
        QTest::newRow("not completed") << false;
        QTest::newRow("completed") << true;
    }
    void informationRows()
    {
        QFETCH(bool, completed);
        const Torrent torrent = sampleTorrent(completed);
        TorrentDetailViewModel model(torrent, m_harness->client);
        const QVariantList rows = model.property("info").toList();
        QStringList expected{QStringLiteral("名称"),     QStringLiteral("大小"),
                             QStringLiteral("进度"),     QStringLiteral("状态"),
                             QStringLiteral("下载速度"), QStringLiteral("上传速度"),
                             QStringLiteral("已下载"),   QStringLiteral("已上传"),
                             QStringLiteral("分享率"),   QStringLiteral("添加时间")};
        if (completed)
            expected.append(QStringLiteral("完成时间"));
        expected.append(QStringLiteral("保存路径"));
        QCOMPARE(labels(rows), expected);
        const auto value = [&rows](int i) {
            return rows.at(i).toMap().value(QStringLiteral("value")).toString();
        };
        QCOMPARE(value(0), QStringLiteral("ubuntu-demo.iso"));
        QCOMPARE(value(2), QStringLiteral("50.0%"));
        QCOMPARE(value(8), QStringLiteral("∞"));
        if (completed)
            QCOMPARE(value(10), formattedDate(*torrent.completionOn));
        QCOMPARE(value(int(rows.size()) - 1), QStringLiteral("/downloads"));
    }

    void listRowsForQml()
    {
        m_harness->server.on(filesPath, TestResponse::json(filesJson(QStringLiteral("disc.iso"))));
        m_harness->server.on(
            trackersPath,
            TestResponse::json("[{\"url\":\"udp://t.example:80\",\"status\":2,\"tier\":0,\"num_seeds\":9,"
                               "\"num_leeches\":4,\"num_peers\":13,\"num_downloaded\":1,\"msg\":\"\"},"
                               "{\"url\":\"udp://quiet.example:80\",\"status\":4,\"msg\":\"down\"}]"));
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        model.loadAll();
        QTRY_VERIFY(!model.files().isEmpty() && !model.trackers().isEmpty() && !model.peers().isEmpty());

        const QVariantMap file = model.property("files").toList().first().toMap();
        QCOMPARE(file.value(QStringLiteral("name")).toString(), QStringLiteral("disc.iso"));
        QCOMPARE(file.value(QStringLiteral("sizeText")).toString(), formatBytes(1048576));
        QCOMPARE(file.value(QStringLiteral("progressText")).toString(), QStringLiteral("50.0%"));

        const QVariantList trackers = model.property("trackers").toList();
        QCOMPARE(trackers.at(0).toMap().value(QStringLiteral("isWorking")).toBool(), true);
        QCOMPARE(trackers.at(0).toMap().value(QStringLiteral("seedsAndLeechesText")).toString(),
                 QStringLiteral("种子: 9 • 下载: 4"));
        QCOMPARE(trackers.at(1).toMap().value(QStringLiteral("isWorking")).toBool(), false);
        // Counts the server left out show as 0.
        QCOMPARE(trackers.at(1).toMap().value(QStringLiteral("seedsAndLeechesText")).toString(),
                 QStringLiteral("种子: 0 • 下载: 0"));
        QCOMPARE(trackers.at(1).toMap().value(QStringLiteral("statusText")).toString(),
                 model.trackers().at(1).statusText());

        const QVariantMap peer = model.property("peers").toList().first().toMap();
        QCOMPARE(peer.value(QStringLiteral("address")).toString(), QStringLiteral("10.0.0.0:6881"));
        QCOMPARE(peer.value(QStringLiteral("progressText")).toString(), QStringLiteral("25.0%"));
        QCOMPARE(peer.value(QStringLiteral("dlSpeedText")).toString(), formatRate(2048));
    }

    void torrentIsSetOnceFromQml()
    {
        TorrentDetailViewModel model;
        QVERIFY(!model.property("torrent").isValid());
        QVERIFY(model.property("info").toList().isEmpty());
        QSignalSpy changed(&model, &TorrentDetailViewModel::torrentChanged);
        // Anything that is not a torrent is ignored.
        model.setProperty("torrent", QStringLiteral("not a torrent"));
        QCOMPARE(changed.count(), 0);
        model.setProperty("torrent", QVariant::fromValue(sampleTorrent(false)));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.torrent().id, hash);
        // The screen keeps the figures it opened with.
        Torrent newer = sampleTorrent(true);
        newer.progress = 1;
        model.setProperty("torrent", QVariant::fromValue(newer));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.torrent().progress, 0.5);
    }

    // The screen closes while its three requests are in flight: the answers arrive and leave
    // the model alone (their log lines show that they were read).
    void destroyedWhileLoading()
    {
        for (const QByteArray &path : {filesPath, trackersPath, peersPath}) {
            TestResponse late = TestResponse::withStatus(500);
            late.delayMs = 50;
            m_harness->server.on(path, late);
        }
        LogCapture log;
        auto *model = new TorrentDetailViewModel(sampleTorrent(false), m_harness->client);
        model->loadAll();
        QVERIFY(m_harness->server.waitForRequests(3));
        delete model;
        QTRY_COMPARE(log.lines().size(), 3);

        // The same for answers that succeed, with one load still awaited by its caller.
        m_harness->server.on(filesPath, TestResponse::json(fixture(QStringLiteral("torrent-files.json"))));
        model = new TorrentDetailViewModel(sampleTorrent(false), m_harness->client);
        auto task = model->loadFiles();
        delete model;
        QVERIFY(runTask(std::move(task)).ok());
    }
};

QTEST_GUILESS_MAIN(TestTorrentDetailViewModel)
#include "tst_TorrentDetailViewModel.moc"
