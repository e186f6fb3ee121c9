// The statistics model against a local server: the four loads, their failures, the refresh
// timer and the limit setters.
#include "ModelSnapshot.h"
#include "support/Fixtures.h"
#include "support/LogCapture.h"
#include "support/TaskRunner.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionManager.h"
#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "viewmodels/StatisticsViewModel.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString password = QStringLiteral("adminadmin");
const QByteArray transferPath = "/api/v2/transfer/info";
const QByteArray mainDataPath = "/api/v2/sync/maindata";
const QByteArray versionPath = "/api/v2/app/version";
const QByteArray categoriesPath = "/api/v2/torrents/categories";
const QByteArray downloadLimitPath = "/api/v2/transfer/setDownloadLimit";
const QByteArray uploadLimitPath = "/api/v2/transfer/setUploadLimit";

QByteArray transferInfoJson(qint64 dlLimit, qint64 upLimit)
{
    return QStringLiteral(
               "{\"connection_status\":\"connected\",\"dht_nodes\":7,\"dl_info_data\":1,\"dl_info_speed\":2,"
               "\"dl_rate_limit\":%1,\"up_info_data\":3,\"up_info_speed\":4,\"up_rate_limit\":%2}")
        .arg(dlLimit)
        .arg(upLimit)
        .toUtf8();
}

QByteArray mainDataJson(qint64 alltimeDL, qint64 alltimeUL)
{
    return QStringLiteral(
               "{\"rid\":1,\"full_update\":true,\"server_state\":{\"alltime_dl\":%1,\"alltime_ul\":%2}}")
        .arg(alltimeDL)
        .arg(alltimeUL)
        .toUtf8();
}

// A server answering the recorded figures and a client logged in to it, sharing nothing with
// the application or other tests.
struct Harness
{
    TestHttpServer server;
    APIVersionManager versions;
    QBittorrentAPIClient client{versions};

    Harness()
    {
        server.emulateLogin(QStringLiteral("admin"), password, "statsSid");
        server.on(versionPath, TestResponse::text(fixture(QStringLiteral("version.txt"))));
        server.on(transferPath, TestResponse::json(fixture(QStringLiteral("transfer-info.json"))));
        server.on(mainDataPath, TestResponse::json(fixture(QStringLiteral("maindata-full.json"))));
        server.on(categoriesPath, TestResponse::json(fixture(QStringLiteral("categories.json"))));
        server.setFallback([](const RecordedRequest &request) {
            return request.method == "POST" ? TestResponse::text("Ok.") : TestResponse::withStatus(404);
        });
        loggedIn = runTask(client.login(server.serverConfig(), password)).ok();
        server.clearRequests();
    }

    // The client must outlive what it runs: a round trip behind the requests still open lets
    // their answers arrive before the client goes.
    ~Harness()
    {
        for (int i = 0; i < 2; ++i)
            runTask(client.getVersion(), 5'000);
    }

    qsizetype count(const QByteArray &path) const { return server.requestsTo(path).size(); }
    bool loggedIn = false;
};

} // namespace

class TestStatisticsViewModel : public QObject
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

    void loadAllFillsEveryFigure()
    {
        StatisticsViewModel model(m_harness->client);
        QSignalSpy loading(&model, &StatisticsViewModel::isLoadingChanged);
        QVERIFY(!model.property("transferInfo").value<TransferFigures>().loaded);
        QVERIFY(!model.property("serverState").value<ServerFigures>().loaded);
        model.loadAll();
        QVERIFY(model.isLoading());
        QTRY_VERIFY(model.transferInfo() && model.serverState() && model.serverVersion() &&
                    !model.categories().isEmpty());
        QVERIFY(!model.isLoading());
        QCOMPARE(loading.count(), 2);
        QVERIFY(!model.error());
        QCOMPARE(model.property("serverVersion").toString(), QStringLiteral("v4.5.2"));
        COMPARE_SNAPSHOT(*model.categoriesModel(), QStringLiteral("statistics-categories"));
        // What QML reads of the figures: the records themselves, and absent figures undefined.
        const auto info = model.property("transferInfo").value<TransferFigures>();
        QVERIFY(info.loaded);
        QCOMPARE(static_cast<const TransferInfo &>(info), *model.transferInfo());
        const auto state = model.property("serverState").value<ServerFigures>();
        QVERIFY(state.loaded);
        QCOMPARE(state.freeSpaceOnDisk(), QVariant(qint64(85026189312)));
        QCOMPARE(state.queuedIO(), QVariant(*model.serverState()->queuedIO));
        QVERIFY(!ServerFigures().alltimeDL().isValid()); // a figure the server left out
        QCOMPARE(m_harness->count(mainDataPath), 1);
        QVERIFY(!m_harness->server.requestsTo(mainDataPath).first().hasQuery());
    }

    void eachFailureIsLoggedAndKept_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("line");
        QTest::newRow("transfer") << transferPath << QStringLiteral("❌ 加载传输信息失败: 服务器错误 (500)");
        QTest::newRow("state") << mainDataPath << QStringLiteral("❌ 加载服务器状态失败: 服务器错误 (500)");
        QTest::newRow("version") << versionPath << QStringLiteral("❌ 加载服务器版本失败: 服务器错误 (500)");
        QTest::newRow("categories") << categoriesPath << QStringLiteral("❌ 加载分类失败: 服务器错误 (500)");
    }
    void eachFailureIsLoggedAndKept()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, line);
        StatisticsViewModel model(m_harness->client);
        model.loadAll();
        QTRY_VERIFY(model.transferInfo() && model.serverState() && model.serverVersion() &&
                    !model.categories().isEmpty());
        const auto figures = [&model] {
            return std::make_tuple(*model.transferInfo(), *model.serverState(), *model.serverVersion(),
                                   model.categories());
        };
        const auto before = figures();

        LogCapture log;
        m_harness->server.on(path, TestResponse::withStatus(500));
        QSignalSpy errors(&model, &StatisticsViewModel::errorChanged);
        model.loadAll();
        QTRY_VERIFY(log.contains(line));
        QTRY_VERIFY(!model.isLoading());
        QCOMPARE(log.startingWith(QStringLiteral("❌")), QStringList{line});
        QCOMPARE(errors.count(), 1);
        QVERIFY(model.property("hasError").toBool());
        QCOMPARE(model.property("errorMessage").toString(), QStringLiteral("服务器错误 (500)"));
        // The failed figure keeps what it had.
        QVERIFY(figures() == before);
    }

    // The timer refreshes only the two live figures, restarting never leaves two timers
    // running, and stopping ends the requests. A second model on its own server with the same
    // interval is the clock the counts are compared against.
    void timerRefreshesLiveFiguresOnce()
    {
        Harness reference;
        QVERIFY(reference.loggedIn);
        StatisticsViewModel clock(reference.client);
        StatisticsViewModel model(m_harness->client);

        model.startAutoRefresh(0.05);
        model.startAutoRefresh(0.05);
        clock.startAutoRefresh(0.05);
        QVERIFY(model.hasRefreshTimer());
        QTRY_VERIFY_WITH_TIMEOUT(reference.count(transferPath) >= 6, 10'000);
        QTRY_VERIFY(m_harness->count(mainDataPath) >= 1);
        const qsizetype ticks = m_harness->count(transferPath);
        QVERIFY2(ticks >= 3 && ticks <= 9, qPrintable(QString::number(ticks)));
        QCOMPARE(m_harness->count(versionPath), 0);
        QCOMPARE(m_harness->count(categoriesPath), 0);

        model.stopAutoRefresh();
        QVERIFY(!model.hasRefreshTimer());
        // Let what was already sent arrive, then watch the clock tick on.
        const qsizetype clockAtStop = reference.count(transferPath);
        QTRY_VERIFY(reference.count(transferPath) >= clockAtStop + 2);
        const qsizetype afterStop = m_harness->count(transferPath);
        QTRY_VERIFY(reference.count(transferPath) >= clockAtStop + 6);
        QCOMPARE(m_harness->count(transferPath), afterStop);

        model.startAutoRefresh(0.05);
        QTRY_VERIFY(m_harness->count(transferPath) >= afterStop + 2);
        model.stopAutoRefresh();
        clock.stopAutoRefresh();
    }

    void activeLoadsAndRunsTheTimerWhileShown()
    {
        StatisticsViewModel model(m_harness->client);
        model.setActive(true);
        QVERIFY(model.hasRefreshTimer());
        QTRY_VERIFY(m_harness->count(versionPath) == 1 && m_harness->count(categoriesPath) == 1);
        model.setActive(false);
        QVERIFY(!model.hasRefreshTimer());
        model.setActive(true);
        QTRY_COMPARE(m_harness->count(versionPath), 2);
        model.setActive(false);
    }

    void stopFromInsideATick()
    {
        // Without a server every load fails before anything is sent, so the screen's reaction
        // to the error runs inside the timer's own tick.
        QBittorrentAPIClient offline(m_harness->versions);
        StatisticsViewModel model(offline);
        QObject::connect(&model, &StatisticsViewModel::errorChanged, &model,
                         [&model] { model.stopAutoRefresh(); });
        model.startAutoRefresh(0.05);
        QTRY_VERIFY(!model.hasRefreshTimer());
        QVERIFY(model.error());
    }

    // A limit is sent, then the figures are refreshed; a refused limit is logged and held, and
    // nothing is refreshed.
    void limitsAreSentThenTheFiguresRefreshed_data()
    {
        QTest::addColumn<bool>("download");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("failure"); // the log line, empty when the server accepts
        QTest::newRow("download unlimited") << true << qint64(0) << QString();
        QTest::newRow("upload 512 KB/s") << false << qint64(524288) << QString();
        QTest::newRow("download refused")
            << true << qint64(1024) << QStringLiteral("❌ 设置下载限速失败: 服务器错误 (500)");
        QTest::newRow("upload refused")
            << false << qint64(1024) << QStringLiteral("❌ 设置上传限速失败: 服务器错误 (500)");
    }
    void limitsAreSentThenTheFiguresRefreshed()
    {
        QFETCH(bool, download);
        QFETCH(qint64, bytes);
        QFETCH(QString, failure);
        const QByteArray path = download ? downloadLimitPath : uploadLimitPath;
        if (!failure.isEmpty())
            m_harness->server.on(path, TestResponse::withStatus(500));
        m_harness->server.on(
            transferPath, TestResponse::json(transferInfoJson(download ? bytes : 0, download ? 0 : bytes)));
        LogCapture log;
        StatisticsViewModel model(m_harness->client);
        QSignalSpy refreshed(&model, &StatisticsViewModel::transferInfoChanged);
        QVERIFY(runTask(download ? model.setDownloadLimit(bytes) : model.setUploadLimit(bytes)).ok());
        QCOMPARE(m_harness->server.requestsTo(path).first().body, "limit=" + QByteArray::number(bytes));
        if (!failure.isEmpty()) {
            QCOMPARE(log.lines(), QStringList{failure});
            QVERIFY(model.error());
            QCOMPARE(m_harness->count(transferPath), 0);
            return;
        }
        QVERIFY(refreshed.count() == 1 || refreshed.wait());
        QCOMPARE(download ? model.transferInfo()->dlRateLimit : model.transferInfo()->upRateLimit, bytes);
        QVERIFY(!model.error());
    }

    void limitTextsFromTheSheet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QByteArray>("body");
        const std::pair<const char *, const char *> accepted[] = {
            {"100", "limit=102400"},
            {"0", "limit=0"},
            {"+2", "limit=2048"},
            {"-0", "limit=0"},
            {"9007199254740991", "limit=9223372036854774784"}, // the largest that fits 64 bits in bytes
        };
        for (const auto &[text, body] : accepted)
            QTest::newRow(text) << QString::fromLatin1(text) << true << QByteArray(body);
        for (const char *text :
             {"9007199254740992", "99999999999999999999", "12a", "", "-", "-5", " 5", "1.5"})
            QTest::newRow(text) << QString::fromLatin1(text) << false << QByteArray();
    }
    void limitTextsFromTheSheet()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QByteArray, body);
        // The refreshes that follow the limits fail, so that their log lines tell when they are
        // done: the client must outlive them.
        m_harness->server.on(transferPath, TestResponse::withStatus(500));
        LogCapture log;
        StatisticsViewModel model(m_harness->client);
        QCOMPARE(model.applyDownloadLimitText(text), accepted);
        QCOMPARE(model.applyUploadLimitText(text), accepted);
        if (accepted) {
            QTRY_COMPARE(log.startingWith(QStringLiteral("❌ 加载传输信息失败: ")).size(), 2);
            QCOMPARE(m_harness->server.requestsTo(downloadLimitPath).first().body, body);
            QCOMPARE(m_harness->server.requestsTo(uploadLimitPath).first().body, body);
        } else {
            QCOMPARE(m_harness->server.requestCount(), 0);
        }
    }

    void sheetTextsAndShareRatio_data()
    {
        QTest::addColumn<qint64>("dlLimit");
        QTest::addColumn<qint64>("upLimit");
        QTest::addColumn<qint64>("alltimeDL");
        QTest::addColumn<qint64>("alltimeUL");
        QTest::addColumn<QString>("dlText");
        QTest::addColumn<QString>("upText");
        QTest::addColumn<QString>("ratio");
        QTest::newRow("unlimited, nothing downloaded")
            << qint64(0) << qint64(-1) << qint64(0) << qint64(5) << QStringLiteral("0") << QStringLiteral("0")
            << QStringLiteral("∞");
        QTest::newRow("512 KB/s, half shared")
            << qint64(1500) << qint64(524288) << qint64(2048) << qint64(1024) << QStringLiteral("1")
            << QStringLiteral("512") << QStringLiteral("0.50");
    }
    void sheetTextsAndShareRatio()
    {
        QFETCH(qint64, dlLimit);
        QFETCH(qint64, upLimit);
        QFETCH(qint64, alltimeDL);
        QFETCH(qint64, alltimeUL);
        m_harness->server.on(transferPath, TestResponse::json(transferInfoJson(dlLimit, upLimit)));
        m_harness->server.on(mainDataPath, TestResponse::json(mainDataJson(alltimeDL, alltimeUL)));
        StatisticsViewModel model(m_harness->client);
        QCOMPARE(model.downloadLimitFieldText(), QStringLiteral("0"));
        QCOMPARE(model.shareRatioText(), QStringLiteral("∞"));
        model.loadAll();
        QTRY_VERIFY(model.transferInfo() && model.serverState());
        QTEST(model.downloadLimitFieldText(), "dlText");
        QTEST(model.uploadLimitFieldText(), "upText");
        QTEST(model.shareRatioText(), "ratio");
    }

    // The tab closes while its requests are in flight: the answers arrive and leave the model
    // alone (their log lines show that they were read).
    void destroyedWhileLoading()
    {
        for (const QByteArray &path : {transferPath, mainDataPath, versionPath, categoriesPath}) {
            TestResponse late = TestResponse::withStatus(500);
            late.delayMs = 50;
            m_harness->server.on(path, late);
        }
        LogCapture log;
        auto *model = new StatisticsViewModel(m_harness->client);
        model->loadAll();
        model->startAutoRefresh(5.0);
        QVERIFY(m_harness->server.waitForRequests(4));
        delete model;
        QTRY_COMPARE(log.startingWith(QStringLiteral("❌")).size(), 4);
        // A limit set by a tab that is gone finishes without its refresh.
        model = new StatisticsViewModel(m_harness->client);
        TestResponse lateOk = TestResponse::text("Ok.");
        lateOk.delayMs = 50;
        m_harness->server.on(downloadLimitPath, lateOk);
        auto task = model->setDownloadLimit(0);
        QVERIFY(m_harness->server.waitForRequests(5));
        delete model;
        m_harness->server.clearRequests();
        QVERIFY(runTask(std::move(task)).ok());
        QCOMPARE(m_harness->count(transferPath), 0);
    }
};

QTEST_GUILESS_MAIN(TestStatisticsViewModel)
#include "tst_StatisticsViewModel.moc"
