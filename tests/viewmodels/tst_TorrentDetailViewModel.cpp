// The detail model against a local server: the rows of its four list models, how a reload
// reaches a view, failures, answers out of order, and a screen closed mid-request.
#include "ModelSnapshot.h"
#include "support/LogCapture.h"
#include "support/TaskRunner.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionManager.h"
#include "api/QBittorrentAPIClient.h"
#include "viewmodels/TorrentDetailViewModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <limits>
#include <memory>

namespace {

const QString password = QStringLiteral("adminadmin");
const QString hash = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QByteArray filesPath = "/api/v2/torrents/files";
const QByteArray trackersPath = "/api/v2/torrents/trackers";
const QByteArray peersPath = "/api/v2/sync/torrentPeers";
// A working tracker with its counts, and one whose counts the server left out.
const QByteArray trackersJson = "[{\"url\":\"udp://t.example:80\",\"status\":2,\"tier\":0,\"num_seeds\":9,"
                                "\"num_leeches\":4,\"num_peers\":13,\"num_downloaded\":1,\"msg\":\"\"},"
                                "{\"url\":\"udp://quiet.example:80\",\"status\":4,\"msg\":\"down\"}]";

QByteArray peersJson(int count)
{
    QStringList peers;
    for (int i = 0; i < count; ++i) {
        peers.append(
            QStringLiteral("\"10.0.0.%1:6881\":{\"ip\":\"10.0.0.%1\",\"port\":6881,\"client\":"
                           "\"qBittorrent/4.5.2\",\"progress\":0.25,\"dl_speed\":2048,\"up_speed\":0,"
                           "\"downloaded\":0,\"uploaded\":0,\"connection\":\"BT\",\"flags\":\"\","
                           "\"country\":\"\"}")
                .arg(i));
    }
    return QStringLiteral("{\"full_update\":true,\"rid\":1,\"peers\":{%1}}").arg(peers.join(u',')).toUtf8();
}

QByteArray filesJson(const QStringList &names)
{
    QStringList files;
    for (int i = 0; i < names.size(); ++i)
        files.append(QStringLiteral("{\"index\":%1,\"name\":\"%2\",\"size\":1048576,\"progress\":0.5,"
                                    "\"priority\":1,\"availability\":1}")
                         .arg(i)
                         .arg(names[i]));
    return (u'[' + files.join(u',') + u']').toUtf8();
}

QList<TorrentFile> files(const QStringList &names)
{
    return decodeTorrentFiles(filesJson(names));
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

// What a view following a model's signals is told, in order.
QStringList signalsOf(QAbstractItemModel &model, const std::function<void()> &change)
{
    QStringList log;
    const auto range = [&log](const char *what) {
        return [&log, what](const QModelIndex &, int first, int last) {
            log.append(QStringLiteral("%1 %2-%3").arg(QLatin1String(what)).arg(first).arg(last));
        };
    };
    QList<QMetaObject::Connection> connections{
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, range("inserted")),
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, range("removed")),
        QObject::connect(&model, &QAbstractItemModel::modelReset,
                         [&log] { log.append(QStringLiteral("reset")); }),
        QObject::connect(&model, &QAbstractItemModel::dataChanged,
                         [&log](const QModelIndex &first, const QModelIndex &last) {
                             log.append(QStringLiteral("changed %1-%2").arg(first.row()).arg(last.row()));
                         })};
    change();
    for (const auto &connection : connections)
        QObject::disconnect(connection);
    return log;
}

struct Harness
{
    TestHttpServer server;
    APIVersionManager versions;
    QBittorrentAPIClient client{versions};
    bool loggedIn = false;

    Harness()
    {
        server.emulateLogin(QStringLiteral("admin"), password, "detailSid");
        server.on("/api/v2/app/version", TestResponse::text("v4.5.2"));
        server.on(filesPath, TestResponse::json(filesJson({QStringLiteral("disc.iso")})));
        server.on(trackersPath, TestResponse::json(trackersJson));
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

    void loadedListsMatchTheirSnapshots()
    {
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        model.loadAll();
        QVERIFY(model.isLoading());
        QTRY_VERIFY(!model.isLoading());
        QVERIFY(!model.error());
        for (const QByteArray &path : {filesPath, trackersPath, peersPath})
            QVERIFY(m_harness->server.requestsTo(path).first().query().startsWith("hash=" + hash.toLatin1()));
        COMPARE_SNAPSHOT(*model.filesModel(), QStringLiteral("detail-files"));
        COMPARE_SNAPSHOT(*model.trackersModel(), QStringLiteral("detail-trackers"));
        COMPARE_SNAPSHOT(*model.peersModel(), QStringLiteral("detail-peers"));
    }

    void everyShowLoadsAgain()
    {
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        for (qsizetype shows = 1; shows <= 2; ++shows) {
            model.setActive(true);
            QTRY_VERIFY(!model.isLoading());
            for (const QByteArray &path : {filesPath, trackersPath, peersPath})
                QCOMPARE(m_harness->count(path), shows);
            model.setActive(false);
        }
    }

    void informationRows_data()
    {
        QTest::addColumn<bool>("completed");
        QTest::newRow("detail-info") << false;
        QTest::newRow("detail-info-completed") << true;
    }
    void informationRows()
    {
        QFETCH(bool, completed);
        TorrentDetailViewModel model(sampleTorrent(completed), m_harness->client);
        COMPARE_SNAPSHOT(*model.infoModel(), QString::fromLatin1(QTest::currentDataTag()));
    }

    void replacingRowsSignalsOnlyTheDifference_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("told");
        const QStringList abcd{"a", "b", "c", "d"};
        QTest::newRow("unchanged") << abcd << abcd << QStringList();
        QTest::newRow("one changed") << abcd << QStringList{"a", "x", "c", "d"} << QStringList{"changed 1-1"};
        QTest::newRow("neighbours in one range")
            << abcd << QStringList{"a", "x", "y", "d", "e"} << QStringList{"changed 1-2", "inserted 4-4"};
        QTest::newRow("apart") << abcd << QStringList{"x", "b", "c", "y"}
                               << QStringList{"changed 0-0", "changed 3-3"};
        QTest::newRow("shorter") << abcd << QStringList{"x", "b"}
                                 << QStringList{"changed 0-0", "removed 2-3"};
        QTest::newRow("from empty") << QStringList() << QStringList{"a", "b"} << QStringList{"inserted 0-1"};
        QTest::newRow("to empty") << abcd << QStringList() << QStringList{"removed 0-3"};
    }
    void replacingRowsSignalsOnlyTheDifference()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        TorrentFilesModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setFiles(files(before));
        QSignalSpy counts(&model, &RecordListModel::countChanged);
        QTEST(signalsOf(model, [&] { model.setFiles(files(after)); }), "told");
        QCOMPARE(model.files(), files(after));
        QCOMPARE(counts.count(), before.size() == after.size() ? 0 : 1);
    }

    void trackersDecodedAgainAreNoChange()
    {
        // Each decoding gives a tracker a new id, which no row shows.
        TorrentTrackersModel model;
        model.setTrackers(decodeTorrentTrackers(trackersJson));
        QVERIFY(signalsOf(model, [&] { model.setTrackers(decodeTorrentTrackers(trackersJson)); }).isEmpty());
    }

    // One list fails: it keeps its rows, the failure is logged and held, loading ends, and a
    // retry of that list alone fills it again with the error left for the screen to clear.
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
        const auto load = [&] {
            return path == filesPath      ? model.loadFiles()
                   : path == trackersPath ? model.loadTrackers()
                                          : model.loadPeers();
        };
        const auto lists = [&model] {
            return std::tuple(model.files(), model.trackers().size(), model.peers());
        };
        model.loadAll();
        QTRY_VERIFY(model.files().size() == 1 && model.trackers().size() == 2 && model.peers().size() == 3);
        const auto before = lists();

        m_harness->server.on(path, TestResponse::withStatus(404));
        LogCapture log;
        QSignalSpy loading(&model, &TorrentDetailViewModel::isLoadingChanged);
        QSignalSpy errors(&model, &TorrentDetailViewModel::errorChanged);
        QVERIFY(runTask(load()).ok());
        QCOMPARE(loading.count(), 2);
        QVERIFY(!model.isLoading());
        QCOMPARE(log.lines(), QStringList{line});
        QCOMPARE(errors.count(), 1);
        QCOMPARE(model.property("errorMessage").toString(), QStringLiteral("资源未找到"));
        QVERIFY(lists() == before);

        m_harness->server.on(path, TestResponse::json(path == peersPath ? peersJson(1) : QByteArray("[]")));
        m_harness->server.clearRequests();
        QVERIFY(runTask(load()).ok());
        QCOMPARE(m_harness->server.requestCount(), 1);
        QVERIFY(lists() != before);
        QVERIFY(model.error());
    }

    void laterAnswerWins()
    {
        // The first request's answer arrives last, so its list is the one kept.
        TestResponse slow = TestResponse::json(filesJson({QStringLiteral("slow.bin")}));
        slow.delayMs = 150;
        m_harness->server.enqueue(filesPath, slow);
        m_harness->server.enqueue(filesPath, TestResponse::json(filesJson({QStringLiteral("fast.bin")})));
        TorrentDetailViewModel model(sampleTorrent(false), m_harness->client);
        model.loadAll();
        model.loadAll();
        QTRY_COMPARE(model.files().value(0).name, QStringLiteral("slow.bin"));
        QCOMPARE(m_harness->count(filesPath), 2);
    }

    void torrentIsSetOnceFromQml()
    {
        TorrentDetailViewModel model;
        QVERIFY(!model.property("torrent").isValid());
        QCOMPARE(model.infoModel()->rowCount(), 0);
        QSignalSpy changed(&model, &TorrentDetailViewModel::torrentChanged);
        model.setProperty("torrent", QStringLiteral("not a torrent"));
        model.setProperty("torrent", QVariant::fromValue(sampleTorrent(false)));
        // The screen keeps the figures it opened with.
        Torrent newer = sampleTorrent(true);
        newer.progress = 1;
        model.setProperty("torrent", QVariant::fromValue(newer));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.torrent(), sampleTorrent(false));
        QCOMPARE(model.infoModel()->rowCount(), 11);
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

        // The same for an answer that succeeds, with the load still awaited by its caller.
        m_harness->server.on(filesPath, TestResponse::json(filesJson({QStringLiteral("late.bin")})));
        model = new TorrentDetailViewModel(sampleTorrent(false), m_harness->client);
        auto task = model->loadFiles();
        delete model;
        QVERIFY(runTask(std::move(task)).ok());
    }
};

QTEST_GUILESS_MAIN(TestTorrentDetailViewModel)
#include "tst_TorrentDetailViewModel.moc"
