// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The detail model against a local server: the rows of its four list models, how a reload
// reaches a view, failures, answers out of order, and a screen closed mid-request.
#include "ModelTesting.h"

#include "viewmodels/TorrentDetailViewModel.h"

#include <limits>

namespace {

const QString hash = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QByteArray filesPath = "/api/v2/torrents/files";
const QByteArray trackersPath = "/api/v2/torrents/trackers";
const QByteArray peersPath = "/api/v2/sync/torrentPeers";
// A working tracker with its counts, and one whose counts the server left out.
const QByteArray trackersJson = ModelSnapshot::storedJson(QStringLiteral("detail-trackers.json"));
const QByteArray peersJson = ModelSnapshot::storedJson(QStringLiteral("detail-peers.json")); // three
const QByteArray onePeerJson = ModelSnapshot::storedJson(QStringLiteral("detail-peer.json"));

QByteArray filesJson(const QStringList &names)
{
    QStringList files;
    for (int i = 0; i < names.size(); ++i)
        files.append(QStringLiteral(R"({"index":%1,"name":"%2","size":1048576,"progress":0.5,"priority":1,)"
                                    R"("availability":1})")
                         .arg(QString::number(i), names[i]));
    return (u'[' + files.join(u',') + u']').toUtf8();
}

Torrent sampleTorrent(bool completed = false)
{
    Torrent torrent = Torrent().updatedWith(
        TorrentData::fromJson(R"({"name":"ubuntu-demo.iso","size":2048,"progress":0.5,"state":"downloading",)"
                              R"("added_on":1700000000,"save_path":"/downloads"})"));
    torrent.id = hash;
    torrent.ratio = std::numeric_limits<double>::infinity();
    if (completed)
        torrent.completionOn = Timestamp(std::chrono::seconds(1'700'003'600));
    return torrent;
}

} // namespace

class TestTorrentDetailViewModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<ApiHarness> m_api;

    qsizetype count(const QByteArray &path) const { return m_api->server.requestsTo(path).size(); }

private Q_SLOTS:
    void init()
    {
        m_api = std::make_unique<ApiHarness>();
        m_api->server.on(filesPath, TestResponse::json(filesJson({"disc.iso"})));
        m_api->server.on(trackersPath, TestResponse::json(trackersJson));
        m_api->server.on(peersPath, TestResponse::json(peersJson));
        QVERIFY(m_api->connect());
    }
    void cleanup() { m_api.reset(); }

    // Every show loads the three lists again.
    void everyShowLoadsTheLists()
    {
        TorrentDetailViewModel model(sampleTorrent(), m_api->client);
        Steps steps(model);
        steps.sortLog = true;
        for (int show = 0; show < 2; ++show) {
            model.setActive(true);
            steps.step(QStringLiteral("shown"));
            QTRY_VERIFY(!model.isLoading());
            steps.step(QStringLiteral("loaded"));
            model.setActive(false);
        }
        COMPARE_STEPS(steps);
        for (const QByteArray &path : {filesPath, trackersPath, peersPath}) {
            QCOMPARE(count(path), 2);
            QVERIFY(m_api->server.requestsTo(path).first().query().startsWith("hash=" + hash.toLatin1()));
        }
    }

    // Each case: the files' names before > after (one letter each, - none) = what a view was told.
    void replacingRowsSignalsOnlyTheDifference()
    {
        COMPARE_CASES(QStringLiteral("detail-row-changes.cases"), [](const QString &input) {
            const auto names = [](QString letters) {
                return letters.remove(u'-').split(QString(), Qt::SkipEmptyParts);
            };
            const QStringList before = names(input.section(QStringLiteral(" > "), 0, 0));
            const QStringList after = names(input.section(QStringLiteral(" > "), 1));
            TorrentFilesModel model;
            QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
            model.setFiles(decodeTorrentFiles(filesJson(before)));
            QSignalSpy counts(&model, &RecordListModel::countChanged);
            Follower follower(model, TorrentFilesModel::NameRole);
            model.setFiles(decodeTorrentFiles(filesJson(after)));
            const bool inStep = follower.rows == after &&
                                model.files() == decodeTorrentFiles(filesJson(after)) &&
                                counts.count() == (before.size() == after.size() ? 0 : 1);
            return follower.told.join(QStringLiteral(", ")) + (inStep ? "" : " (the view is out of step)");
        });

        // Each decoding gives a tracker a new id, which no row shows.
        TorrentTrackersModel trackers;
        trackers.setTrackers(decodeTorrentTrackers(trackersJson));
        Follower trackerFollower(trackers, TorrentTrackersModel::UrlRole);
        trackers.setTrackers(decodeTorrentTrackers(trackersJson));
        QVERIFY(trackerFollower.told.isEmpty());
    }

    // One list fails: it keeps its rows, the failure is logged and held, loading ends, and a
    // retry of that list alone fills it again with the error left for the screen to clear.
    void failureKeepsTheListAndEndsLoading_data()
    {
        QTest::addColumn<QByteArray>("path");
        for (const QByteArray &path : {filesPath, trackersPath, peersPath})
            QTest::newRow(path.mid(8).constData()) << path;
    }
    void failureKeepsTheListAndEndsLoading()
    {
        QFETCH(QByteArray, path);
        TorrentDetailViewModel model(sampleTorrent(), m_api->client);
        const auto load = [&] {
            return path == filesPath      ? model.loadFiles()
                   : path == trackersPath ? model.loadTrackers()
                                          : model.loadPeers();
        };
        model.loadAll();
        QTRY_VERIFY(model.files().size() == 1 && model.trackers().size() == 2 && model.peers().size() == 3);
        Steps steps(model);
        steps.forgetStart();
        m_api->server.on(path, TestResponse::withStatus(404));
        QVERIFY(runTask(load()).ok());
        steps.step(QStringLiteral("this list fails"));
        m_api->server.on(path, TestResponse::json(path == peersPath ? onePeerJson : QByteArray("[]")));
        m_api->server.clearRequests();
        QVERIFY(runTask(load()).ok());
        steps.step(QStringLiteral("retried"));
        COMPARE_STEPS(steps);
        QCOMPARE(m_api->server.requestCount(), 1);
    }

    void laterAnswerWins()
    {
        // The first request's answer arrives last, so its list is the one kept.
        m_api->server.enqueue(filesPath, late(TestResponse::json(filesJson({"slow.bin"})), 150));
        m_api->server.enqueue(filesPath, TestResponse::json(filesJson({"fast.bin"})));
        TorrentDetailViewModel model(sampleTorrent(), m_api->client);
        model.loadAll();
        model.loadAll();
        QTRY_COMPARE(model.files().value(0).name, QStringLiteral("slow.bin"));
        QCOMPARE(count(filesPath), 2);
    }

    void torrentIsSetOnceFromQml()
    {
        TorrentDetailViewModel model;
        QVERIFY(!model.property("torrent").isValid());
        QCOMPARE(model.infoModel()->rowCount(), 0);
        QSignalSpy changed(&model, &TorrentDetailViewModel::torrentChanged);
        model.setProperty("torrent", QStringLiteral("not a torrent"));
        model.setProperty("torrent", QVariant::fromValue(sampleTorrent(true)));
        // The screen keeps the figures it opened with; a completed torrent adds its completion time.
        Torrent newer = sampleTorrent();
        newer.progress = 1;
        model.setProperty("torrent", QVariant::fromValue(newer));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.torrent(), sampleTorrent(true));
        const QStringList rows = ModelSnapshot::dump(*model.infoModel());
        QCOMPARE(rows.size(), 12);
        QCOMPARE(rows[10], QStringLiteral("[10] label: 完成时间 | value: 2023年11月15日 07:13"));
    }

    // The screen closes while its three requests are in flight: the answers arrive and leave
    // the model alone (their log lines show that they were read).
    void destroyedWhileLoading()
    {
        for (const QByteArray &path : {filesPath, trackersPath, peersPath})
            m_api->server.on(path, late(TestResponse::withStatus(500)));
        LogCapture log;
        auto *model = new TorrentDetailViewModel(sampleTorrent(), m_api->client);
        model->loadAll();
        QVERIFY(m_api->server.waitForRequests(3));
        delete model;
        QTRY_COMPARE(log.lines().size(), 3);

        // The same for an answer that succeeds, with the load still awaited by its caller.
        m_api->server.on(filesPath, TestResponse::json(filesJson({"late.bin"})));
        model = new TorrentDetailViewModel(sampleTorrent(), m_api->client);
        auto task = model->loadFiles();
        delete model;
        QVERIFY(runTask(std::move(task)).ok());
    }
};

QTEST_GUILESS_MAIN(TestTorrentDetailViewModel)
#include "tst_TorrentDetailViewModel.moc"
