// The torrent list's presentation model: mirrors of its repository, the debounced and the
// immediate paths to the shown list, counters, search, polling that follows the shown screens,
// the settings and the application's state, one sync stream shared by the list and the search,
// actions against the local test server, and a model that goes away while its request is in
// flight.

#include "ModelTesting.h"
#include "api/ApiHarness.h"
#include "support/Fixtures.h"

#include "model/SyncRecords.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray syncPath = QByteArrayLiteral("/api/v2/sync/maindata");

// Six torrents that tell the filters, categories, tags and sort orders apart:
// d1 alpha downloading linux "iso", s1 Zeta stalledDL, q1 beta queuedDL linux "a , b",
// p1 gamma pausedUP test "abc", u1 Delta uploading "b" (20 B/s up), m1 epsilon metaDL linux.
SyncData stored(const QString &file)
{
    return SyncData::fromJson(ModelSnapshot::read(file).join(u'\n').toUtf8());
}

SyncData sample()
{
    return stored(QStringLiteral("list-sample.json"));
}

SyncData speedOf(const char *hash, qint64 dlspeed)
{
    return SyncData::fromJson(QStringLiteral(R"({"rid":2,"torrents":{"%1":{"dlspeed":%2}}})")
                                  .arg(QLatin1String(hash))
                                  .arg(dlspeed)
                                  .toUtf8());
}

QStringList idsOf(const QList<Torrent> &torrents)
{
    QStringList ids;
    for (const Torrent &t : torrents)
        ids.append(t.id);
    return ids;
}

// Starts one of the screen's operations by its name.
void start(TorrentListViewModel &model, const QString &operation, const QString &hash)
{
    if (operation == QLatin1String("active"))
        model.setActive(true);
    else if (operation.startsWith(QLatin1String("remove")))
        model.remove(hash, operation == QLatin1String("removeWithFiles"));
    else if (operation.startsWith(QLatin1String("start")))
        QMetaObject::invokeMethod(&model, qPrintable(operation));
    else
        QMetaObject::invokeMethod(&model, qPrintable(operation), Q_ARG(QString, hash));
}

} // namespace

class TestTorrentListViewModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ApiHarness> m_api;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<TorrentListViewModel> m_model;

    TorrentListViewModel &makeModel()
    {
        m_model = std::make_unique<TorrentListViewModel>(
            std::make_unique<TorrentRepository>(m_api->client, *m_settings), *m_settings);
        return *m_model;
    }

    // The server answers the recorded sync, category and tag lists and acknowledges actions.
    void serveRecordedServer()
    {
        m_api->server.on(syncPath, TestResponse::json(fixture(QStringLiteral("maindata-full.json"))));
        m_api->server.on("/api/v2/torrents/categories",
                         TestResponse::json(fixture(QStringLiteral("categories.json"))));
        m_api->server.on("/api/v2/torrents/tags", TestResponse::json(fixture(QStringLiteral("tags.json"))));
        m_api->server.setFallback([](const RecordedRequest &request) {
            return request.method == "POST" ? TestResponse::text("Ok.") : TestResponse::withStatus(404);
        });
    }

    QNetworkAccessManager *network() { return m_api->client.findChild<QNetworkAccessManager *>(); }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_api = std::make_unique<ApiHarness>();
        m_settings = std::make_unique<AppSettings>(m_dir->filePath(QStringLiteral("settings.ini")));
        m_settings->setAutoRefreshEnabled(false);
    }

    void cleanup()
    {
        m_model.reset();
        m_settings.reset();
        m_api.reset();
        m_dir.reset();
    }

    void mirrorsDebounceAndImmediateChoices()
    {
        TorrentListViewModel &model = makeModel();
        QSignalSpy torrents(&model, &TorrentListViewModel::torrentsChanged);
        TorrentListModel *shown = model.filteredTorrentsModel();
        QSignalSpy counts(shown, &TorrentListModel::countChanged);
        QSignalSpy changes(shown, &QAbstractItemModel::dataChanged);

        model.repository().apply(sample());
        // The mirrors follow at once, the shown list once the debounce has run.
        QCOMPARE(torrents.size(), 1);
        QCOMPARE(model.torrents().size(), 6);
        QCOMPARE(model.categoryList().size(), 2);
        QCOMPARE(model.tags(), QStringList({"a", "abc", "b", "iso"}));
        QVERIFY(model.filteredTorrents().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(model.filteredTorrents().size(), 6, 5000);
        counts.clear();
        changes.clear();

        // Three taps in a row: one recomputation, for the last choice.
        model.setSelectedFilter(TorrentFilter::downloading);
        model.setSelectedFilter(TorrentFilter::seeding);
        model.setSelectedFilter(TorrentFilter::completed);
        QTRY_COMPARE_WITH_TIMEOUT(idsOf(model.filteredTorrents()), QStringList({"p1", "u1"}), 5000);
        QCOMPARE(counts.size(), 1);
        // Taps and sync answers in a row: one recomputation, with the last values.
        model.setSelectedFilter(TorrentFilter::all);
        model.setSelectedCategory(QStringLiteral("linux"));
        model.repository().apply(speedOf("d1", 5));
        model.repository().apply(speedOf("d1", 7));
        QCOMPARE(model.filteredTorrents().size(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(idsOf(model.filteredTorrents()), QStringList({"m1", "q1", "d1"}), 5000);
        QCOMPARE(model.filteredTorrents().last().dlspeed, 7);
        QCOMPARE(counts.size(), 2);
        QCOMPARE(changes.size(), 0); // the new speed came with the one recomputation, not after it

        // A later tick reaches an unchanged list as one value change of one row.
        model.repository().apply(speedOf("d1", 8));
        QVERIFY(changes.wait(5000));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(0).value<QModelIndex>().row(), 2);

        // Tag and sort order apply at once.
        model.setSortOption(TorrentSortOption::name);
        QCOMPARE(idsOf(model.filteredTorrents()), QStringList({"d1", "q1", "m1"}));
        model.setSelectedTag(QStringLiteral("iso"));
        QCOMPARE(idsOf(model.filteredTorrents()), QStringList({"d1"}));

        // A second model over a repository that already holds torrents starts from them.
        auto repository = std::make_shared<TorrentRepository>(m_api->client, *m_settings);
        repository->apply(sample());
        TorrentListViewModel second(repository, *m_settings);
        QCOMPARE(second.torrents().size(), 6);
        QCOMPARE(second.tags().size(), 4);
    }

    // Each case: a filter, category, tag and sort order = the shown list.
    void pipeline()
    {
        const auto choice = [](const QString &field) {
            return field == QLatin1String("-")
                       ? std::nullopt
                       : std::optional<QString>(field == QLatin1String("''") ? QString() : field);
        };
        COMPARE_CASES(QStringLiteral("list-pipeline.cases"), [&](const QString &input) {
            const QStringList f = input.split(u' ');
            TorrentListViewModel &model = makeModel();
            model.repository().apply(sample());
            model.setSelectedFilter(TorrentFilters::fromRawValue(f[0]).value_or(TorrentFilter::all));
            model.setSelectedCategory(choice(f[1]));
            model.setSelectedTag(choice(f[2]));
            model.setSortOption(TorrentSortOptions::fromRawValue(f[3]).value_or(TorrentSortOption::defaultOrder));
            model.applyFilters();
            QStringList ids = idsOf(model.filteredTorrents());
            QStringList equal; // torrents of one size keep the repository's order
            for (const Torrent &t : model.torrents())
                equal.append(t.size == 100 ? t.id : QString());
            equal.removeAll(QString());
            if (const qsizetype at = ids.indexOf(equal.first());
                f[3] == QLatin1String("size") && at >= 0 && ids.mid(at, equal.size()) == equal)
                ids = ids.mid(0, at) + QStringList{QStringLiteral("*")} + ids.mid(at + equal.size());
            return ids.join(u',');
        });
    }

    // Counters look at every torrent, whatever is shown. Each case: filter, category or tag and
    // its name ('' the empty one) = the count.
    void countersAndTotals()
    {
        TorrentListViewModel &model = makeModel();
        model.repository().apply(sample());
        model.setSelectedFilter(TorrentFilter::paused);
        model.setSelectedTag(QStringLiteral("iso"));
        COMPARE_CASES(QStringLiteral("list-counters.cases"), [&model](const QString &input) {
            const QString name = input.section(u' ', 1) == QLatin1String("''") ? QString() : input.section(u' ', 1);
            return QString::number(input.startsWith(QLatin1String("filter"))     ? model.torrentCountForFilter(name)
                                   : input.startsWith(QLatin1String("category")) ? model.countForCategory(name)
                                                                                  : model.countForTag(name));
        });
        QCOMPARE(model.totalUploadSpeed(), 20);
        QCOMPARE(model.property("torrentCount").toInt(), 6);
        model.repository().apply(speedOf("m1", 1'000'000'000'000));
        QCOMPARE(model.totalDownloadSpeed(), 1'000'000'000'010);
    }

    // Choices as QML sets them: unknown raw values leave the choice as it was; the empty text
    // restricts, null and undefined do not.
    void choicesFromQml()
    {
        TorrentListViewModel &model = makeModel();
        Steps steps(model, {}, {"hash"});
        const QList<std::pair<const char *, QVariant>> choices = {
            {"selectedFilter", QStringLiteral("completed")}, {"sortOption", QStringLiteral("added_on")},
            {"sortOption", QStringLiteral("addedDate")},     {"selectedFilter", QStringLiteral("bogus")},
            {"selectedCategory", QString()},                 {"selectedCategory", QVariant::fromValue(nullptr)},
            {"selectedTag", QStringLiteral("b")},            {"selectedTag", QVariant()},
        };
        for (const auto &[property, value] : choices) {
            if (value == QStringLiteral("addedDate") || value == QStringLiteral("bogus"))
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(value.toString()));
            model.setProperty(property, value);
            steps.step(QString::fromLatin1(property) + QStringLiteral(" = ") + ModelSnapshot::valueText(value));
        }
        COMPARE_STEPS(steps);
    }

    void search()
    {
        TorrentListViewModel &model = makeModel();
        model.repository().apply(sample());
        model.repository().apply(stored(QStringLiteral("list-search-additions.json")));
        TorrentListModel *results = model.searchResultsModel();

        // Loaded torrents, an empty search field: no results.
        QCOMPARE(results->count(), 0);
        model.setSearchText(QStringLiteral("TA"));
        // All torrents, not the shown list, in the model's order.
        QStringList expected;
        for (const Torrent &t : model.torrents()) {
            if (t.name.contains(QLatin1String("ta"), Qt::CaseInsensitive))
                expected.append(t.id);
        }
        QCOMPARE(idsOf(results->torrents()), expected);
        QCOMPARE(expected.size(), 3); // Zeta, beta, Delta

        // Accents count; the two ways of writing one accent are the same text.
        model.setSearchText(QStringLiteral("CAF\u00c9"));
        QStringList ids = idsOf(results->torrents());
        ids.sort();
        QCOMPARE(ids, QStringList({"c1", "c2"}));

        // The results follow the repository.
        model.repository().apply(SyncData::fromJson(R"({"rid":3,"torrents_removed":["c1"]})"));
        QCOMPARE(idsOf(results->torrents()), QStringList({"c2"}));
    }

    void pollingFollowsScreensSettingsAndApplication()
    {
        serveRecordedServer();
        QVERIFY(m_api->connect());
        m_settings->setRefreshInterval(2.5);
        TorrentListViewModel &model = makeModel();
        TorrentRepository &repository = model.repository();
        LogCapture log;

        // Auto refresh off: a shown screen loads but starts no timer.
        model.setActive(true);
        QVERIFY(m_api->server.waitForRequests(3));
        QVERIFY(!repository.hasRefreshTimer());
        m_settings->setAutoRefreshEnabled(true);
        QCOMPARE(repository.refreshTimerInterval(), 2500);
        m_settings->setRefreshInterval(5);
        QCOMPARE(repository.refreshTimerInterval(), 5000);

        // Hidden: no timer, and a new interval or auto refresh switched on starts none.
        model.setActive(false);
        QVERIFY(!repository.hasRefreshTimer());
        m_settings->setRefreshInterval(4);
        m_settings->setAutoRefreshEnabled(false);
        m_settings->setAutoRefreshEnabled(true);
        QVERIFY(!repository.hasRefreshTimer());

        // The application inactive, then back: a hidden list stays quiet.
        m_api->server.clearRequests();
        model.handleApplicationState(Qt::ApplicationInactive);
        model.handleApplicationState(Qt::ApplicationHidden);
        model.handleApplicationState(Qt::ApplicationActive);
        QTest::qWait(100);
        QCOMPARE(m_api->server.requestCount(), 0);
        QVERIFY(!repository.hasRefreshTimer());
        QCOMPARE(log.lines().filter(QStringLiteral("📱")),
                 QStringList({"📱 应用非活跃状态", "📱 应用已进入后台", "📱 应用回到前台"}));

        // Shown: inactive stops the timer, active again asks for everything and restarts it.
        model.setActive(true);
        QCOMPARE(repository.refreshTimerInterval(), 4000);
        QVERIFY(m_api->server.waitForRequests(3));
        m_api->server.clearRequests();
        model.handleApplicationState(Qt::ApplicationInactive);
        QVERIFY(!repository.hasRefreshTimer());
        model.handleApplicationState(Qt::ApplicationActive);
        QVERIFY(m_api->server.waitForRequests(1));
        QCOMPARE(m_api->server.lastRequest().target, syncPath);
        QTRY_VERIFY_WITH_TIMEOUT(!repository.isPassRunning(), 5000);
        QVERIFY(repository.hasRefreshTimer());
        log.clear();
        model.handleApplicationState(-1);
        QVERIFY(log.lines().filter(QStringLiteral("📱")).isEmpty());
    }

    void listAndSearchShareOneSyncStream()
    {
        // The server counts its answers' rid; a request that does not carry the last answer's
        // position belongs to a second stream on the same session.
        QList<QByteArray> targets;
        m_api->server.on(syncPath, [&targets](const RecordedRequest &request) {
            targets.append(request.target);
            return TestResponse::json(
                QStringLiteral(R"({"rid":%1,"full_update":%2})")
                    .arg(targets.size())
                    .arg(targets.size() == 1 ? QStringLiteral("true") : QStringLiteral("false"))
                    .toUtf8());
        });
        m_api->server.setFallback([](const RecordedRequest &request) {
            return TestResponse::json(request.path().endsWith("categories") ? "{}" : "[]");
        });
        QVERIFY(m_api->connect());
        m_settings->setRefreshInterval(0.1);
        m_settings->setAutoRefreshEnabled(true);
        auto repository = std::make_shared<TorrentRepository>(m_api->client, *m_settings);
        TorrentListViewModel list(repository, *m_settings);
        TorrentListViewModel search(repository, *m_settings);
        search.setSearchText(QStringLiteral("x"));

        const auto ticks = [&targets](qsizetype count) {
            const qsizetype until = targets.size() + count;
            return QTest::qWaitFor([&] { return targets.size() >= until; }, 5000);
        };
        list.setActive(true);
        QVERIFY(ticks(4));
        // The search tab is visited, then the list again.
        list.setActive(false);
        search.setActive(true);
        QVERIFY(ticks(4));
        search.setActive(false);
        QVERIFY(!repository->hasRefreshTimer());
        list.setActive(true);
        QVERIFY(ticks(4));
        list.setActive(false);
        QTRY_VERIFY_WITH_TIMEOUT(!repository->isPassRunning(), 5000);

        QVERIFY(targets.size() >= 12);
        QCOMPARE(targets.first(), syncPath);
        for (qsizetype i = 1; i < targets.size(); ++i)
            QCOMPARE(targets.at(i), syncPath + "?rid=" + QByteArray::number(i));
    }

    void errorsMirrorAndClear()
    {
        // Not connected: the sync pass fails before anything is sent, and the list stays.
        TorrentListViewModel &model = makeModel();
        model.repository().apply(sample());
        model.applyFilters();
        Steps steps(model, {}, {"hash"});
        QVERIFY(runTask(model.loadTorrents()).ok());
        steps.step(QStringLiteral("loadTorrents"));
        model.clearError();
        steps.step(QStringLiteral("clearError"));
        COMPARE_STEPS(steps);
        QVERIFY(!model.repository().error());
    }

    void loadAndActionsReachTheServer_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("bodyPart");
        // clang-format off
    QTest::newRow("pause") << "pause" << QByteArray("/api/v2/torrents/pause") << QByteArray();
    QTest::newRow("resume") << "resume" << QByteArray("/api/v2/torrents/resume") << QByteArray();
    QTest::newRow("force start") << "forceStart" << QByteArray("/api/v2/torrents/setForceStart") << QByteArray("value=true");
    QTest::newRow("delete") << "remove" << QByteArray("/api/v2/torrents/delete") << QByteArray("deleteFiles=false");
    QTest::newRow("delete with files") << "removeWithFiles" << QByteArray("/api/v2/torrents/delete") << QByteArray("deleteFiles=true");
    QTest::newRow("recheck") << "recheck" << QByteArray("/api/v2/torrents/recheck") << QByteArray();
    QTest::newRow("reannounce") << "reannounce" << QByteArray("/api/v2/torrents/reannounce") << QByteArray();
        // clang-format on
    }

    void loadAndActionsReachTheServer()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, bodyPart);
        serveRecordedServer();
        QVERIFY(m_api->connect());
        TorrentListViewModel &model = makeModel();
        QVERIFY(runTask(model.loadTorrents()).ok());
        QVERIFY(!model.property("hasError").toBool());
        QCOMPARE(model.torrents().size(), 2);
        QCOMPARE(model.categoryList().size(), 2);
        QVERIFY(!model.tags().isEmpty());
        QList<QByteArray> paths;
        for (const RecordedRequest &request : m_api->server.requests())
            paths.append(request.path());
        QCOMPARE(paths,
                 QList<QByteArray>({syncPath, "/api/v2/torrents/categories", "/api/v2/torrents/tags"}));
        m_api->server.clearRequests();

        // The action, then one sync pass.
        const QString hash = model.torrents().first().id;
        start(model, action, hash);
        QVERIFY(m_api->server.waitForRequests(2));
        const RecordedRequest sent = m_api->server.requests().at(0);
        QCOMPARE(sent.method + ' ' + sent.path(), "POST " + path);
        QVERIFY2(sent.body.contains("hashes=" + hash.toLatin1()) && sent.body.contains(bodyPart),
                 sent.body.constData());
        QCOMPARE(m_api->server.requests().at(1).path(), syncPath);
    }

    void refreshAsksForEverythingAndRestartsTheTimer()
    {
        serveRecordedServer();
        QVERIFY(m_api->connect());
        TorrentListViewModel &model = makeModel();
        QVERIFY(runTask(model.loadTorrents()).ok());
        QCOMPARE(model.repository().currentRid(), std::optional<qint64>(1));
        model.repository().setError(std::make_shared<UnexpectedError>(QStringLiteral("earlier failure")));
        m_api->server.clearRequests();

        // Not shown: a full pass, the error gone, no timer.
        m_settings->setAutoRefreshEnabled(true);
        QVERIFY(runTask(model.refresh()).ok());
        QCOMPARE(m_api->server.requestsTo(syncPath).size(), 1);
        QCOMPARE(m_api->server.requestsTo(syncPath).first().target, syncPath);
        QVERIFY(!model.property("hasError").toBool());
        QVERIFY(!model.repository().hasRefreshTimer());

        // A refresh asked while a pass is out is still a full one once it runs.
        model.setActive(true);
        QVERIFY(m_api->server.waitForRequests(2));
        QVERIFY(runTask(model.refresh()).ok());
        QCOMPARE(m_api->server.requestsTo(syncPath).last().target, syncPath);
        QVERIFY(model.repository().hasRefreshTimer());
    }

    void modelGoneWhileRequestInFlight_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("load") << "startLoadTorrents" << syncPath;
        QTest::newRow("refresh") << "startRefresh" << syncPath;
        QTest::newRow("shown") << "active" << syncPath;
        QTest::newRow("pause") << "pause" << QByteArray("/api/v2/torrents/pause");
        QTest::newRow("delete") << "removeWithFiles" << QByteArray("/api/v2/torrents/delete");
    }

    void modelGoneWhileRequestInFlight()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, path);
        serveRecordedServer();
        QVERIFY(m_api->connect());
        m_api->server.enqueue(
            path, late(path == syncPath ? TestResponse::json(fixture(QStringLiteral("maindata-full.json")))
                                        : TestResponse::text("Ok."),
                       100));
        m_settings->setAutoRefreshEnabled(true);
        TorrentListViewModel &model = makeModel();
        model.repository().apply(sample());
        start(model, operation, QStringLiteral("d1"));
        QVERIFY(m_api->server.waitForRequests(1));

        // The screen closes before the answer arrives.
        QSignalSpy finished(network(), &QNetworkAccessManager::finished);
        m_model.reset();
        QVERIFY(finished.wait(5000));
        QCoreApplication::processEvents();
        // Nothing followed for a model that is gone: no categories, no follow-up sync.
        QCOMPARE(m_api->server.requestCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTorrentListViewModel)
#include "tst_TorrentListViewModel.moc"
