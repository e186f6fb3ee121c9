// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The statistics model against a local server: the four loads, their failures, the refresh
// timer and the limit setters.
#include "ModelTesting.h"
#include "support/Fixtures.h"

#include "api/BackgroundDecoding.h"
#include "viewmodels/StatisticsViewModel.h"

namespace {

const QByteArray transferPath = "/api/v2/transfer/info";
const QByteArray mainDataPath = "/api/v2/sync/maindata";
const QByteArray versionPath = ApiHarness::versionPath;
const QByteArray categoriesPath = "/api/v2/torrents/categories";
const QByteArray downloadLimitPath = "/api/v2/transfer/setDownloadLimit";
const QByteArray uploadLimitPath = "/api/v2/transfer/setUploadLimit";

// A server answering the recorded figures and a client logged in to it.
struct Harness : ApiHarness
{
    Harness()
    {
        server.on(transferPath, TestResponse::json(fixture(QStringLiteral("transfer-info.json"))));
        server.on(mainDataPath, TestResponse::json(fixture(QStringLiteral("maindata-full.json"))));
        server.on(categoriesPath, TestResponse::json(fixture(QStringLiteral("categories.json"))));
        server.setFallback([](const RecordedRequest &request) {
            return request.method == "POST" ? TestResponse::text("Ok.") : TestResponse::withStatus(404);
        });
        loggedIn = connect();
    }

    // The client must outlive what it runs: a round trip behind the requests still open lets
    // their answers arrive before the client goes, and the decoding thread's last work is
    // delivered, so that no pass is left waiting for it.
    ~Harness()
    {
        for (int i = 0; i < 2; ++i) {
            runTask(client.getVersion(), 5'000);
            decodingThread().waitForDone(5'000);
            QTest::qWait(20);
        }
    }

    qsizetype count(const QByteArray &path) const { return server.requestsTo(path).size(); }
    bool loggedIn = false;
};

bool allLoaded(const StatisticsViewModel &model)
{
    return model.transferInfo() && model.serverState() && model.serverVersion() &&
           !model.categories().isEmpty();
}

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
        Steps steps(model);
        steps.sortLog = true;
        model.loadAll();
        steps.step(QStringLiteral("loadAll"));
        QTRY_VERIFY(allLoaded(model));
        steps.step(QStringLiteral("loaded"));
        COMPARE_STEPS(steps);
        QCOMPARE(m_harness->count(mainDataPath), 1);
        QVERIFY(!m_harness->server.requestsTo(mainDataPath).first().hasQuery());
    }

    // The failed figure keeps what it had, the failure is logged and held.
    void eachFailureIsLoggedAndKept_data()
    {
        QTest::addColumn<QByteArray>("path");
        for (const QByteArray &path : {transferPath, mainDataPath, versionPath, categoriesPath})
            QTest::newRow(path.mid(8).constData()) << path;
    }
    void eachFailureIsLoggedAndKept()
    {
        StatisticsViewModel model(m_harness->client);
        model.loadAll();
        QTRY_VERIFY(allLoaded(model) && !model.isLoading());
        Steps steps(model);
        steps.sortLog = true;
        steps.forgetStart();
        QFETCH(QByteArray, path);
        m_harness->server.on(path, TestResponse::withStatus(500));
        model.loadAll();
        // The four loads answer in any order: wait for the failure, then for one more round trip
        // and for what the decoding thread still had of the answers.
        QTRY_VERIFY(!model.isLoading() && model.error());
        runTask(m_harness->client.getVersion());
        decodingThread().waitForDone(5'000);
        QTest::qWait(20);
        steps.step(QStringLiteral("loadAll with this one failing"));
        COMPARE_STEPS(steps);
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
        QCOMPARE(m_harness->count(versionPath) + m_harness->count(categoriesPath), 0);

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

    // A limit typed in the sheet (KB/s) is sent in bytes, then the figures are refreshed; a
    // refused limit is logged and held, and nothing is refreshed; a text that is no limit sends
    // nothing.
    void limitsFromTheSheet()
    {
        COMPARE_CASES(QStringLiteral("statistics-limits.cases"), [this](const QString &input) {
            const bool download = input.startsWith(u'd');
            const QString text = input.section(u'"', 1, 1);
            m_harness->server.on(download ? downloadLimitPath : uploadLimitPath,
                                 input.endsWith(QLatin1String("refused")) ? TestResponse::withStatus(500)
                                                                          : TestResponse::text("Ok."));
            m_harness->server.clearRequests();
            LogCapture log;
            StatisticsViewModel model(m_harness->client);
            if ((download ? model.applyDownloadLimitText(text) : model.applyUploadLimitText(text)) &&
                !QTest::qWaitFor([&model] { return model.transferInfo() || model.error(); }))
                return QStringLiteral("no answer");
            runTask(m_harness->client.getVersion()); // anything still to come arrives before it
            QStringList seen;
            for (const RecordedRequest &request : m_harness->server.requests())
                seen.append(
                    QString::fromUtf8(request.method + ' ' + request.path().mid(8) + ' ' + request.body));
            seen.removeLast();
            return (seen + log.lines()).join(QStringLiteral(", ")) +
                   (model.error() ? QStringLiteral(", held") : QString());
        });
    }

    // Each case: the transfer figures | the server state answered ("not loaded": none) = the
    // sheet's download and upload limit texts (KB/s) and the share ratio.
    void sheetTextsAndShareRatio()
    {
        COMPARE_CASES(QStringLiteral("statistics-sheet-texts.cases"), [this](const QString &input) {
            StatisticsViewModel model(m_harness->client);
            if (input != QLatin1String("not loaded")) {
                m_harness->server.on(transferPath,
                                     TestResponse::json(input.section(QStringLiteral(" | "), 0, 0).toUtf8()));
                m_harness->server.on(
                    mainDataPath, TestResponse::json(R"({"rid":1,"full_update":true,"server_state":)" +
                                                     input.section(QStringLiteral(" | "), 1).toUtf8() + '}'));
                model.loadAll();
                if (!QTest::qWaitFor([&model] { return model.transferInfo() && model.serverState(); }))
                    return QStringLiteral("not loaded");
            }
            return QStringList{model.downloadLimitFieldText(), model.uploadLimitFieldText(),
                               model.shareRatioText()}
                .join(u' ');
        });
    }

    // The tab closes while its requests are in flight: the answers arrive and leave the model
    // alone (their log lines show that they were read).
    void destroyedWhileLoading()
    {
        for (const QByteArray &path :
             {transferPath, mainDataPath, versionPath, categoriesPath, QByteArray("/api/v2/app/preferences")})
            m_harness->server.on(path, late(TestResponse::withStatus(500)));
        LogCapture log;
        auto *model = new StatisticsViewModel(m_harness->client);
        model->loadAll();
        model->startAutoRefresh(5.0);
        QVERIFY(m_harness->server.waitForRequests(5));
        delete model;
        QTRY_COMPARE(log.startingWith(QStringLiteral("❌")).size(), 5);
        // A limit set by a tab that is gone finishes without its refresh.
        model = new StatisticsViewModel(m_harness->client);
        m_harness->server.on(downloadLimitPath, late(TestResponse::text("Ok.")));
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
