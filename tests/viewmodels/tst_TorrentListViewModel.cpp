// The torrent list's presentation model: mirrors of its repository, the debounced and the
// immediate paths to the shown list, counters, search, polling that follows the shown screens,
// the settings and the application's state, one sync stream shared by the list and the search,
// actions against the local test server, and a model that goes away while its request is in
// flight.

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

#include <functional>
#include <memory>

namespace {

const QByteArray syncPath = QByteArrayLiteral("/api/v2/sync/maindata");

struct Shape
{
    const char *hash;
    const char *name;
    const char *state;
    double progress;
    qint64 size;
    const char *category;
    const char *tags;
    qint64 addedOn;
    qint64 dlspeed = 0;
    qint64 upspeed = 0;
};

TorrentData dataOf(const Shape &s)
{
    TorrentData d;
    d.name = QString::fromUtf8(s.name);
    d.size = s.size;
    d.progress = s.progress;
    d.dlspeed = s.dlspeed;
    d.upspeed = s.upspeed;
    d.downloaded = 0;
    d.uploaded = 0;
    d.eta = 8640000;
    d.state = QString::fromLatin1(s.state);
    d.ratio = 0;
    d.category = QString::fromUtf8(s.category);
    d.tags = QString::fromUtf8(s.tags);
    d.addedOn = s.addedOn;
    d.completionOn = 0;
    d.savePath = QStringLiteral("/downloads");
    d.numSeeds = 0;
    d.numLeechs = 0;
    d.numComplete = 0;
    d.numIncomplete = 0;
    d.priority = 0;
    return d;
}

// Six torrents that tell the filters, categories, tags and sort orders apart.
const QList<Shape> sample = {
    {"d1", "alpha", "downloading", 0.5, 100, "linux", "iso", 1000, 10, 0},
    {"s1", "Zeta", "stalledDL", 0.2, 300, "", "", 2000},
    {"q1", "beta", "queuedDL", 0.1, 100, "linux", "a , b", 3000},
    {"p1", "gamma", "pausedUP", 1.0, 200, "test", "abc", 1500},
    {"u1", "Delta", "uploading", 1.0, 100, "", "b", 500, 0, 20},
    {"m1", "epsilon", "metaDL", 0.0, 0, "linux", "", 4000},
};

SyncData fullSync(const QList<Shape> &shapes)
{
    SyncData sync;
    sync.rid = 1;
    sync.fullUpdate = true;
    QList<std::pair<QString, TorrentData>> torrents;
    for (const Shape &s : shapes)
        torrents.append({QString::fromLatin1(s.hash), dataOf(s)});
    sync.torrents = torrents;
    sync.categories =
        QList<std::pair<QString, CategoryData>>{{QStringLiteral("linux"), {QStringLiteral("linux"), {}}},
                                                {QStringLiteral("test"), {QStringLiteral("test"), {}}}};
    sync.tags =
        QStringList{QStringLiteral("iso"), QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("abc")};
    return sync;
}

SyncData speedOf(const char *hash, qint64 dlspeed)
{
    SyncData sync;
    sync.rid = 2;
    TorrentData d;
    d.dlspeed = dlspeed;
    sync.torrents = QList<std::pair<QString, TorrentData>>{{QString::fromLatin1(hash), d}};
    return sync;
}

QStringList idsOf(const QList<Torrent> &torrents)
{
    QStringList ids;
    for (const Torrent &t : torrents)
        ids.append(t.id);
    return ids;
}

QStringList split(const char *ids)
{
    return QString::fromLatin1(ids).split(QLatin1Char(','), Qt::SkipEmptyParts);
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

    void mirrorsDebounceAndImmediateChoices();
    void pipeline_data();
    void pipeline();
    void countersAndTotals();
    void choicesFromQml();
    void search();
    void pollingFollowsScreensSettingsAndApplication();
    void listAndSearchShareOneSyncStream();
    void errorsMirrorAndClear();
    void loadAndActionsReachTheServer_data();
    void loadAndActionsReachTheServer();
    void refreshAsksForEverythingAndRestartsTheTimer();
    void modelGoneWhileRequestInFlight_data();
    void modelGoneWhileRequestInFlight();
};

void TestTorrentListViewModel::mirrorsDebounceAndImmediateChoices()
{
    TorrentListViewModel &model = makeModel();
    QSignalSpy torrents(&model, &TorrentListViewModel::torrentsChanged);
    TorrentListModel *shown = model.filteredTorrentsModel();
    QSignalSpy counts(shown, &TorrentListModel::countChanged);
    QSignalSpy changes(shown, &QAbstractItemModel::dataChanged);

    model.repository().apply(fullSync(sample));
    // The mirrors follow at once, the shown list once the debounce has run.
    QCOMPARE(torrents.size(), 1);
    QCOMPARE(model.torrents().size(), sample.size());
    QCOMPARE(model.categoryList().size(), 2);
    QCOMPARE(model.tags(), QStringList({"a", "abc", "b", "iso"}));
    QVERIFY(model.filteredTorrents().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(model.filteredTorrents().size(), sample.size(), 5000);
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
    repository->apply(fullSync(sample));
    TorrentListViewModel second(repository, *m_settings);
    QCOMPARE(second.torrents().size(), sample.size());
    QCOMPARE(second.tags().size(), 4);
}

void TestTorrentListViewModel::pipeline_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("category"); // "-" for none
    QTest::addColumn<QString>("tag");      // "-" for none
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("all, newest first") << "all" << "-" << "-" << "default" << "m1,q1,s1,p1,d1,u1";
    QTest::newRow("added date orders as default") << "all" << "-" << "-" << "added_on" << "m1,q1,s1,p1,d1,u1";
    QTest::newRow("downloading hides stalled and queued") << "downloading" << "-" << "-" << "default" << "m1,d1";
    QTest::newRow("inactive shows them") << "inactive" << "-" << "-" << "default" << "q1,s1,p1";
    QTest::newRow("completed holds a paused finished one") << "completed" << "-" << "-" << "default" << "p1,u1";
    QTest::newRow("paused") << "paused" << "-" << "-" << "default" << "p1";
    QTest::newRow("seeding") << "seeding" << "-" << "-" << "default" << "u1";
    QTest::newRow("active") << "active" << "-" << "-" << "default" << "m1,d1,u1";
    QTest::newRow("empty category: only uncategorised") << "all" << "" << "-" << "default" << "s1,u1";
    QTest::newRow("category") << "all" << "linux" << "-" << "default" << "m1,q1,d1";
    QTest::newRow("category is case-sensitive") << "all" << "Linux" << "-" << "default" << "";
    QTest::newRow("tag with spaces around the comma") << "all" << "-" << "b" << "default" << "q1,u1";
    QTest::newRow("a prefix of a tag does not pass") << "all" << "-" << "a" << "default" << "q1";
    QTest::newRow("name in code-point order") << "all" << "-" << "-" << "name" << "u1,s1,d1,q1,m1,p1";
    // d1, q1 and u1 share a size: they keep the repository's order (checked below).
    QTest::newRow("equal sizes keep the repository order") << "all" << "-" << "-" << "size" << "s1,p1,*,m1";
    QTest::newRow("status, category and tag") << "downloading" << "linux" << "iso" << "default" << "d1";
    // clang-format on
}

void TestTorrentListViewModel::pipeline()
{
    QFETCH(QString, filter);
    QFETCH(QString, category);
    QFETCH(QString, tag);
    QFETCH(QString, sort);
    QFETCH(QString, expected);

    TorrentListViewModel &model = makeModel();
    model.repository().apply(fullSync(sample));
    model.setSelectedFilter(*TorrentFilters::fromRawValue(filter));
    model.setSelectedCategory(category == QLatin1String("-") ? std::nullopt : std::optional<QString>(category));
    model.setSelectedTag(tag == QLatin1String("-") ? std::nullopt : std::optional<QString>(tag));
    model.setSortOption(*TorrentSortOptions::fromRawValue(sort));
    model.applyFilters();
    QStringList ids = split(expected.toLatin1().constData());
    if (qsizetype star = ids.indexOf(QStringLiteral("*")); star >= 0) {
        ids.removeAt(star);
        for (const Torrent &t : model.torrents()) {
            if (t.size == 100)
                ids.insert(star++, t.id);
        }
    }
    QCOMPARE(idsOf(model.filteredTorrents()), ids);
}

void TestTorrentListViewModel::countersAndTotals()
{
    TorrentListViewModel &model = makeModel();
    model.repository().apply(fullSync(sample));
    // Counters look at every torrent, whatever is shown.
    model.setSelectedFilter(TorrentFilter::paused);
    model.setSelectedTag(QStringLiteral("iso"));
    const QList<std::pair<TorrentFilter, int>> perFilter = {
        {TorrentFilter::all, 6},       {TorrentFilter::downloading, 2}, {TorrentFilter::seeding, 1},
        {TorrentFilter::completed, 2}, {TorrentFilter::paused, 1},      {TorrentFilter::active, 3},
        {TorrentFilter::inactive, 3},
    };
    for (const auto &[filter, count] : perFilter)
        QCOMPARE(model.torrentCountForFilter(TorrentFilters::rawValue(filter)), count);
    QCOMPARE(model.torrentCountForFilter(QStringLiteral("Paused")), 0);
    QCOMPARE(model.countForCategory(QStringLiteral("linux")), 3);
    QCOMPARE(model.countForCategory(QString()), 2);
    QCOMPARE(model.countForTag(QStringLiteral("b")), 2);
    QCOMPARE(model.countForTag(QStringLiteral("ab")), 0);
    QCOMPARE(model.totalUploadSpeed(), 20);
    QCOMPARE(model.property("torrentCount").toInt(), 6);
    model.repository().apply(speedOf("m1", 1'000'000'000'000));
    QCOMPARE(model.totalDownloadSpeed(), 1'000'000'000'010);
}

void TestTorrentListViewModel::choicesFromQml()
{
    TorrentListViewModel &model = makeModel();
    model.repository().apply(fullSync(sample));
    QCOMPARE(model.property("selectedFilter").toString(), QStringLiteral("all"));
    QCOMPARE(model.property("sortOption").toString(), QStringLiteral("default"));
    QVERIFY(!model.property("selectedCategory").isValid());

    QVERIFY(model.setProperty("selectedFilter", QStringLiteral("completed")));
    QCOMPARE(model.selectedFilter(), TorrentFilter::completed);
    QVERIFY(model.setProperty("sortOption", QStringLiteral("added_on")));
    QCOMPARE(model.sortOption(), TorrentSortOption::addedDate);
    // Unknown raw values leave the choice as it was.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("addedDate")));
    model.setProperty("sortOption", QStringLiteral("addedDate"));
    QCOMPARE(model.sortOption(), TorrentSortOption::addedDate);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("bogus")));
    model.setProperty("selectedFilter", QStringLiteral("bogus"));
    QCOMPARE(model.selectedFilter(), TorrentFilter::completed);

    // The empty text restricts; null and undefined do not.
    model.setProperty("selectedCategory", QString());
    QCOMPARE(model.selectedCategory(), std::optional<QString>(QString()));
    QCOMPARE(model.property("selectedCategory"), QVariant(QString()));
    model.setProperty("selectedCategory", QVariant::fromValue(nullptr));
    QCOMPARE(model.selectedCategory(), std::nullopt);
    model.setProperty("selectedTag", QStringLiteral("b"));
    QCOMPARE(model.selectedTag(), std::optional<QString>(QStringLiteral("b")));
    model.setProperty("selectedTag", QVariant());
    QCOMPARE(model.selectedTag(), std::nullopt);
}

void TestTorrentListViewModel::search()
{
    TorrentListViewModel &model = makeModel();
    QList<Shape> shapes = sample;
    shapes.append({"c1", "caf\u00e9 precomposed", "uploading", 1.0, 1, "", "", 1});
    shapes.append({"c2", "cafe\u0301 decomposed", "uploading", 1.0, 1, "", "", 2});
    shapes.append({"c3", "plain cafe", "uploading", 1.0, 1, "", "", 3});
    model.repository().apply(fullSync(shapes));
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
    SyncData removal;
    removal.rid = 3;
    removal.torrentsRemoved = QStringList{QStringLiteral("c1")};
    model.repository().apply(removal);
    QCOMPARE(idsOf(results->torrents()), QStringList({"c2"}));
}

void TestTorrentListViewModel::pollingFollowsScreensSettingsAndApplication()
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

void TestTorrentListViewModel::listAndSearchShareOneSyncStream()
{
    // The server counts its answers' rid; a request that does not carry the last answer's
    // position belongs to a second stream on the same session.
    QList<QByteArray> targets;
    m_api->server.on(syncPath, [&targets](const RecordedRequest &request) {
        targets.append(request.target);
        return TestResponse::json(QStringLiteral(R"({"rid":%1,"full_update":%2})")
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

void TestTorrentListViewModel::errorsMirrorAndClear()
{
    // Not connected: the sync pass fails before anything is sent.
    TorrentListViewModel &model = makeModel();
    model.repository().apply(fullSync(sample));
    QVERIFY(runTask(model.loadTorrents()).ok());
    QVERIFY(model.property("hasError").toBool());
    QCOMPARE(model.property("errorMessage").toString(), model.repository().error()->localizedDescription());
    QCOMPARE(model.property("errorSuggestion").toString(),
             QStringLiteral("前往「设置」页面，添加并连接到 qBittorrent 服务器"));
    QVERIFY(!model.isLoading());
    // The list stays as it was.
    QCOMPARE(model.torrents().size(), sample.size());

    model.clearError();
    QVERIFY(!model.property("hasError").toBool());
    QVERIFY(!model.repository().error());
}

void TestTorrentListViewModel::loadAndActionsReachTheServer_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("bodyPart");
    // clang-format off
    QTest::newRow("pause") << "pause" << QByteArray("/api/v2/torrents/pause") << QByteArray();
    QTest::newRow("resume") << "resume" << QByteArray("/api/v2/torrents/resume") << QByteArray();
    QTest::newRow("force start") << "forceStart" << QByteArray("/api/v2/torrents/setForceStart") << QByteArray("value=true");
    QTest::newRow("delete") << "delete" << QByteArray("/api/v2/torrents/delete") << QByteArray("deleteFiles=false");
    QTest::newRow("delete with files") << "deleteFiles" << QByteArray("/api/v2/torrents/delete") << QByteArray("deleteFiles=true");
    QTest::newRow("recheck") << "recheck" << QByteArray("/api/v2/torrents/recheck") << QByteArray();
    QTest::newRow("reannounce") << "reannounce" << QByteArray("/api/v2/torrents/reannounce") << QByteArray();
    // clang-format on
}

void TestTorrentListViewModel::loadAndActionsReachTheServer()
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
    QCOMPARE(paths, QList<QByteArray>({syncPath, "/api/v2/torrents/categories", "/api/v2/torrents/tags"}));
    m_api->server.clearRequests();

    const QString hash = model.torrents().first().id;
    const QHash<QString, std::function<void()>> actions = {
        {"pause", [&] { model.pause(hash); }},
        {"resume", [&] { model.resume(hash); }},
        {"forceStart", [&] { model.forceStart(hash); }},
        {"delete", [&] { model.remove(hash, false); }},
        {"deleteFiles", [&] { model.remove(hash, true); }},
        {"recheck", [&] { model.recheck(hash); }},
        {"reannounce", [&] { model.reannounce(hash); }},
    };
    actions.value(action)();

    // The action, then one sync pass.
    QVERIFY(m_api->server.waitForRequests(2));
    const QList<RecordedRequest> requests = m_api->server.requests();
    QCOMPARE(requests.at(0).method, QByteArray("POST"));
    QCOMPARE(requests.at(0).path(), path);
    QVERIFY2(requests.at(0).body.contains("hashes=" + hash.toLatin1()), requests.at(0).body.constData());
    QVERIFY2(requests.at(0).body.contains(bodyPart), requests.at(0).body.constData());
    QCOMPARE(requests.at(1).path(), syncPath);
}

void TestTorrentListViewModel::refreshAsksForEverythingAndRestartsTheTimer()
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

void TestTorrentListViewModel::modelGoneWhileRequestInFlight_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("load") << "load" << syncPath;
    QTest::newRow("refresh") << "refresh" << syncPath;
    QTest::newRow("shown") << "shown" << syncPath;
    QTest::newRow("pause") << "pause" << QByteArray("/api/v2/torrents/pause");
    QTest::newRow("delete") << "delete" << QByteArray("/api/v2/torrents/delete");
}

void TestTorrentListViewModel::modelGoneWhileRequestInFlight()
{
    QFETCH(QString, operation);
    QFETCH(QByteArray, path);

    serveRecordedServer();
    QVERIFY(m_api->connect());
    TestResponse late = path == syncPath ? TestResponse::json(fixture(QStringLiteral("maindata-full.json")))
                                         : TestResponse::text("Ok.");
    late.delayMs = 100;
    m_api->server.enqueue(path, late);
    m_settings->setAutoRefreshEnabled(true);
    TorrentListViewModel &model = makeModel();
    model.repository().apply(fullSync(sample));

    if (operation == QLatin1String("load"))
        model.startLoadTorrents();
    else if (operation == QLatin1String("refresh"))
        model.startRefresh();
    else if (operation == QLatin1String("shown"))
        model.setActive(true);
    else if (operation == QLatin1String("pause"))
        model.pause(QStringLiteral("d1"));
    else
        model.remove(QStringLiteral("d1"), true);
    QVERIFY(m_api->server.waitForRequests(1));

    // The screen closes before the answer arrives.
    QSignalSpy finished(network(), &QNetworkAccessManager::finished);
    m_model.reset();
    QVERIFY(finished.wait(5000));
    QCoreApplication::processEvents();
    // Nothing followed for a model that is gone: no categories, no follow-up sync.
    QCOMPARE(m_api->server.requestCount(), 1);
}

QTEST_GUILESS_MAIN(TestTorrentListViewModel)
#include "tst_TorrentListViewModel.moc"
