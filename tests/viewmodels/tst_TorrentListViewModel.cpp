// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The torrent list's presentation model: mirrors of its repository, the debounced and the
// immediate paths to the shown list, counters, search, polling that follows the shown screens,
// the settings and the application's state, one sync stream shared by the list and the search,
// actions against the local test server, and a model that goes away while its request is in
// flight.

#include "ModelTesting.h"
#include "support/Fixtures.h"

#include "sync/TorrentRepository.h"
#include "viewmodels/StatisticsViewModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QRandomGenerator>

namespace {

const QByteArray syncPath = QByteArrayLiteral("/api/v2/sync/maindata");

// Six torrents that tell the filters, categories, tags and sort orders apart:
// d1 alpha downloading linux "iso", s1 Zeta stalledDL, q1 beta queuedDL linux "a , b",
// p1 gamma pausedUP test "abc", u1 Delta uploading "b" (20 B/s up), m1 epsilon metaDL linux.
SyncData sample(const QString &file = QStringLiteral("list-sample.json"))
{
    return SyncData::fromJson(ModelSnapshot::storedJson(file));
}

SyncData speedOf(const char *hash, qint64 dlspeed)
{
    return SyncData::fromJson(QStringLiteral(R"({"rid":2,"torrents":{"%1":{"dlspeed":%2}}})")
                                  .arg(QLatin1String(hash))
                                  .arg(dlspeed)
                                  .toUtf8());
}

// Starts one of the screen's operations by its name.
void start(TorrentListViewModel &model, const QString &operation, const QString &hash)
{
    if (operation.startsWith(QLatin1String("remove")))
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

    std::unique_ptr<SettingsHarness> m;
    std::unique_ptr<TorrentListViewModel> m_model;

    // With `connected`, over a client logged in to a server that answers the recorded sync,
    // category and tag lists and acknowledges actions.
    TorrentListViewModel &makeModel(bool connected = false)
    {
        if (connected) {
            m->api.server.on(syncPath, TestResponse::json(fixture(QStringLiteral("maindata-full.json"))));
            m->api.server.on("/api/v2/torrents/categories",
                             TestResponse::json(fixture(QStringLiteral("categories.json"))));
            m->api.server.on("/api/v2/torrents/tags",
                             TestResponse::json(fixture(QStringLiteral("tags.json"))));
            m->api.server.setFallback([](const RecordedRequest &request) {
                return request.method == "POST" ? TestResponse::text("Ok.") : TestResponse::withStatus(404);
            });
            if (!m->api.connect())
                QTest::qFail("no login", __FILE__, __LINE__);
        }
        m_model = std::make_unique<TorrentListViewModel>(
            std::make_unique<TorrentRepository>(m->api.client, m->settings), m->settings);
        return *m_model;
    }

    // The requests since the last clear as "METHOD target body".
    QString requests() const
    {
        QStringList sent;
        for (const RecordedRequest &request : m->api.server.requests())
            sent.append(
                QString::fromUtf8(request.method + ' ' + request.target + ' ' + request.body).trimmed());
        return sent.join(QStringLiteral(", "));
    }

private Q_SLOTS:
    void init() { m = std::make_unique<SettingsHarness>(); }
    void cleanup()
    {
        m_model.reset();
        m.reset();
    }

    // The mirrors follow a sync at once, the shown list once the debounce has run: taps and sync
    // answers in a row make one recomputation with the last values, and a later tick reaches an
    // unchanged list as one value change of one row. Tag and sort order apply at once. Errors
    // are mirrored and cleared.
    void mirrorsDebounceAndImmediateChoices()
    {
        TorrentListViewModel &model = makeModel();
        Steps steps(model, {}, {"dlspeed", "hash"});
        model.repository().apply(sample());
        steps.step(QStringLiteral("sync applied"));
        QTRY_COMPARE_WITH_TIMEOUT(model.filteredTorrents().size(), 6, 5000);
        steps.step(QStringLiteral("debounced"));
        for (const auto filter :
             {TorrentFilter::downloading, TorrentFilter::seeding, TorrentFilter::completed})
            model.setSelectedFilter(filter);
        QTRY_COMPARE_WITH_TIMEOUT(idsOf(model.filteredTorrents()), QStringList({"p1", "u1"}), 5000);
        steps.step(QStringLiteral("three filter taps, debounced"));
        model.setSelectedFilter(TorrentFilter::all);
        model.setSelectedCategory(QStringLiteral("linux"));
        model.repository().apply(speedOf("d1", 5));
        model.repository().apply(speedOf("d1", 7));
        steps.step(QStringLiteral("filter all, category linux, two ticks"));
        QTRY_COMPARE_WITH_TIMEOUT(idsOf(model.filteredTorrents()), QStringList({"m1", "q1", "d1"}), 5000);
        steps.step(QStringLiteral("debounced"));
        model.repository().apply(speedOf("d1", 8));
        QTRY_COMPARE_WITH_TIMEOUT(model.filteredTorrents().last().dlspeed, 8, 5000);
        steps.step(QStringLiteral("a later tick"));
        model.setSortOption(TorrentSortOption::name);
        steps.step(QStringLiteral("sort by name"));
        model.setSelectedTag(QStringLiteral("iso"));
        steps.step(QStringLiteral("tag iso"));
        // Not connected: the sync pass fails before anything is sent, and the list stays.
        QVERIFY(runTask(model.loadTorrents()).ok());
        steps.step(QStringLiteral("loadTorrents"));
        model.clearError();
        steps.step(QStringLiteral("clearError"));
        COMPARE_STEPS(steps);
        QVERIFY(!model.repository().error());

        // A second model over a repository that already holds torrents starts from them.
        auto repository = std::make_shared<TorrentRepository>(m->api.client, m->settings);
        repository->apply(sample());
        TorrentListViewModel second(repository, m->settings);
        QCOMPARE(second.torrents().size(), 6);
        QCOMPARE(second.tags().size(), 4);
    }

    // The rate totals pass 32 bits (the counts are checked tick by tick below).
    void totalsPass32Bits()
    {
        TorrentListViewModel &model = makeModel();
        model.repository().apply(sample());
        model.repository().apply(speedOf("m1", 1'000'000'000'000));
        QCOMPARE(model.totalDownloadSpeed(), 1'000'000'000'010);
    }

    // Choices as QML sets them: unknown raw values leave the choice as it was; the empty text
    // restricts, null and undefined do not.
    void choicesFromQml()
    {
        TorrentListViewModel &model = makeModel();
        Steps steps(model, {}, {"hash"});
        steps.forgetStart();
        const QList<std::pair<const char *, QVariant>> choices = {
            {"selectedFilter", QStringLiteral("completed")},
            {"sortOption", QStringLiteral("added_on")},
            {"sortOption", QStringLiteral("addedDate")},
            {"selectedFilter", QStringLiteral("bogus")},
            {"selectedCategory", QString()},
            {"selectedCategory", QVariant::fromValue(nullptr)},
            {"selectedTag", QStringLiteral("b")},
            {"selectedTag", QVariant()},
        };
        for (const auto &[property, value] : choices) {
            if (value == QStringLiteral("addedDate") || value == QStringLiteral("bogus"))
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(value.toString()));
            model.setProperty(property, value);
            steps.step(QString::fromLatin1(property) + QStringLiteral(" = ") +
                       ModelSnapshot::valueText(value));
        }
        COMPARE_STEPS(steps);
    }

    // Each case: a search text = the results, sorted (all torrents, not the shown list, in the
    // model's order; accents count and the two ways of writing one are the same text).
    void search()
    {
        TorrentListViewModel &model = makeModel();
        model.repository().apply(sample());
        model.repository().apply(sample(QStringLiteral("list-search-additions.json")));
        const auto results = [&model] {
            QStringList ids = idsOf(model.searchResultsModel()->torrents());
            QStringList inOrder = idsOf(model.torrents());
            inOrder.removeIf([&ids](const QString &id) { return !ids.contains(id); });
            const bool ordered = ids == inOrder;
            ids.sort();
            return ids.join(u',') + (ordered ? QString() : QStringLiteral(" (not in the model's order)"));
        };
        COMPARE_CASES(QStringLiteral("list-search.cases"), [&](const QString &quoted) {
            model.setSearchText(quoted.mid(1, quoted.size() - 2));
            return results();
        });
        // The results follow the repository, also without a shown list; with one again, it is
        // made anew.
        model.setKeepsShownList(false);
        QVERIFY(model.filteredTorrents().isEmpty());
        model.repository().apply(SyncData::fromJson(R"({"rid":3,"torrents_removed":["c1"]})"));
        QCOMPARE(results(), QStringLiteral("c2"));
        QVERIFY(model.filteredTorrents().isEmpty());
        model.setKeepsShownList(true);
        QCOMPARE(model.filteredTorrents().size(), model.torrents().size());
    }

    // Random ticks over a long list reach the shown list, the search results and the counters
    // change by change; after each, they are what a full filter, sort and count would give, and
    // a view that follows the signals sees the same rows, for each order and some filters.
    void ticksReachTheListChangeByChange_data()
    {
        QTest::addColumn<TorrentSortOption>("sort");
        QTest::addColumn<TorrentFilter>("filter");
        for (const TorrentSortOption sort : TorrentSortOptions::allCases())
            QTest::addRow("%s", qPrintable(TorrentSortOptions::rawValue(sort))) << sort << TorrentFilter::all;
        QTest::newRow("downloadSpeed, downloading") << TorrentSortOption::downloadSpeed << TorrentFilter::downloading;
        QTest::newRow("name, inactive") << TorrentSortOption::name << TorrentFilter::inactive;
    }

    void ticksReachTheListChangeByChange()
    {
        QFETCH(TorrentSortOption, sort);
        QFETCH(TorrentFilter, filter);
        TorrentListViewModel &model = makeModel();
        model.setSortOption(sort);
        model.setSelectedFilter(filter);
        QRandomGenerator random(20261207);
        // Few distinct values, so that equal keys are common.
        const auto pick = [&random](const QStringList &values) { return values[random.bounded(values.size())]; };
        const QStringList states{u"downloading"_qs, u"uploading"_qs, u"pausedUP"_qs, u"stalledDL"_qs, u"queuedDL"_qs};
        const auto changesOf = [&](bool whole) {
            QJsonObject fields;
            const auto maybe = [&](const char *key, const QJsonValue &value) {
                if (whole || random.bounded(4) == 0)
                    fields.insert(QLatin1String(key), value);
            };
            maybe("name", pick({u"Alpha 1"_qs, u"beta"_qs, u"Ça 1"_qs, u"Ça 1"_qs.normalized(QString::NormalizationForm_D), u"delta"_qs}));
            for (const char *key : {"size", "dlspeed", "upspeed", "added_on"})
                maybe(key, random.bounded(4) * 1000);
            for (const char *key : {"progress", "ratio"})
                maybe(key, random.bounded(3) / 2.0);
            maybe("state", pick(states));
            maybe("category", pick({u""_qs, u"linux"_qs, u"iso"_qs}));
            maybe("tags", pick({u""_qs, u"a, b"_qs, u"b"_qs}));
            for (const char *key : {"downloaded", "uploaded", "eta", "completion_on", "num_seeds", "num_leechs",
                                    "num_complete", "num_incomplete", "priority"})
                maybe(key, 0);
            maybe("save_path", u"/srv"_qs);
            return fields;
        };
        int nextHash = 0;
        const auto newHash = [&nextHash] { return QStringLiteral("%1").arg(nextHash++ * 7919 % 100000, 40, 10, QChar(u'0')); };
        QJsonObject first;
        for (int i = 0; i < 1000; ++i)
            first.insert(newHash(), changesOf(true));
        model.repository().apply(SyncData::fromJson(
            QJsonDocument(QJsonObject{{u"rid"_qs, 1}, {u"full_update"_qs, true}, {u"torrents"_qs, first}}).toJson()));
        model.setSearchText(u"1"_qs);
        model.applyFilters();
        Follower shown(*model.filteredTorrentsModel(), TorrentListModel::HashRole);
        Follower found(*model.searchResultsModel(), TorrentListModel::HashRole);
        const auto records = [&model] { return model.repository().records(); };

        for (int rid = 2; rid < 40; ++rid) {
            QJsonObject torrents;
            QJsonArray removed;
            const QList<QString> hashes = records().keys();
            for (int i = 0; i < 12; ++i)
                torrents.insert(hashes[random.bounded(hashes.size())], changesOf(false));
            removed.append(hashes[random.bounded(hashes.size())]);
            torrents.insert(newHash(), changesOf(true));
            model.repository().apply(SyncData::fromJson(
                QJsonDocument(QJsonObject{{u"rid"_qs, rid}, {u"torrents"_qs, torrents}, {u"torrents_removed"_qs, removed}})
                    .toJson()));
            // Now and then two ticks come within one quiet period.
            if (rid % 3 == 0)
                continue;
            model.applyFilters();

            QList<Torrent> expected;
            for (const TorrentPtr &record : filterAndSort(records(), {filter, {}, {}, sort}))
                expected.append(*record);
            QCOMPARE(model.filteredTorrents(), expected);
            QCOMPARE(shown.rows, idsOf(expected));
            QList<Torrent> all = model.torrents();
            all.removeIf([](const Torrent &t) { return !t.name.contains(u'1'); });
            QCOMPARE(model.searchResultsModel()->torrents(), all);
            QCOMPARE(found.rows, idsOf(all));
            for (const TorrentFilter counted : TorrentFilters::allCases())
                QCOMPARE(model.torrentCount(counted), filterAndSort(records(), {counted, {}, {}, sort}).size());
            QCOMPARE(model.torrentCountForCategory(u"iso"_qs), filterAndSort(records(), {{}, u"iso"_qs, {}, sort}).size());
            QCOMPARE(model.torrentCountForTag(u"b"_qs), filterAndSort(records(), {{}, {}, u"b"_qs, sort}).size());
            qint64 down = 0;
            for (const TorrentPtr &record : records())
                down += record->dlspeed;
            QCOMPARE(model.totalDownloadSpeed(), down);
        }
        // Placed one by one, never started over.
        QVERIFY(!shown.told.contains(u"reset"_qs) && !found.told.contains(u"reset"_qs));
    }

    // A long list is filtered and sorted on another thread when it changed wholesale, and
    // searched there: the results come later, with the changes that came meanwhile, and only
    // those of the latest choices and text.
    void longListsAreSortedAndSearchedAside()
    {
        TorrentListViewModel &model = makeModel();
        const auto hash = [](int i) { return QStringLiteral("%1").arg(i, 40, 10, QChar(u'0')); };
        const auto full = [&](int rid) {
            QJsonObject torrents;
            for (int i = 0; i < int(TorrentListViewModel::searchInBackgroundFrom) + 500; ++i)
                torrents.insert(hash(i), QJsonObject{{u"name"_qs, u"t%1"_qs.arg(i)}, {u"size"_qs, 1}, {u"progress"_qs, 0},
                                                     {u"dlspeed"_qs, 0}, {u"upspeed"_qs, 0}, {u"downloaded"_qs, 0},
                                                     {u"uploaded"_qs, 0}, {u"eta"_qs, 0}, {u"state"_qs, u"uploading"_qs},
                                                     {u"ratio"_qs, 0}, {u"category"_qs, u""_qs}, {u"tags"_qs, u""_qs},
                                                     {u"added_on"_qs, i * rid}, {u"completion_on"_qs, 0}, {u"save_path"_qs, u""_qs},
                                                     {u"num_seeds"_qs, 0}, {u"num_leechs"_qs, 0}, {u"num_complete"_qs, 0},
                                                     {u"num_incomplete"_qs, 0}, {u"priority"_qs, 0}});
            return SyncData::fromJson(
                QJsonDocument(QJsonObject{{u"rid"_qs, rid}, {u"full_update"_qs, true}, {u"torrents"_qs, torrents}}).toJson());
        };
        const auto shown = [&model] { return idsOf(model.filteredTorrents()); };
        const auto expectedShown = [&model] {
            QStringList ids;
            for (const TorrentPtr &t : filterAndSort(model.repository().records(), {{}, {}, {}, model.sortOption()}))
                ids.append(t->id);
            return ids;
        };
        const auto expectedFound = [&model](const QString &needle) {
            QStringList ids;
            for (const Torrent &t : model.torrents())
                if (t.name.contains(needle))
                    ids.append(t.id);
            return ids;
        };
        model.repository().apply(full(1));
        Follower found(*model.searchResultsModel(), TorrentListModel::HashRole);
        model.setSearchText(u"7"_qs);
        QTRY_COMPARE(found.rows, expectedFound(u"7"_qs));
        model.setSearchText(u"9"_qs);
        // Meanwhile one torrent is renamed into the results, one out of them, one removed, and
        // one moves to the other end of the list.
        model.repository().apply(SyncData::fromJson(
            QJsonDocument(QJsonObject{{u"rid"_qs, 2},
                                      {u"torrents"_qs, QJsonObject{{hash(1), QJsonObject{{u"name"_qs, u"x9"_qs}}},
                                                                   {hash(9), QJsonObject{{u"name"_qs, u"x"_qs}}},
                                                                   {hash(3), QJsonObject{{u"added_on"_qs, 99999}}}}},
                                      {u"torrents_removed"_qs, QJsonArray{hash(19)}}})
                .toJson()));
        QTRY_COMPARE(idsOf(model.searchResultsModel()->torrents()), expectedFound(u"9"_qs));
        QVERIFY(model.searchResultsModel()->torrents().size() > 1000);
        // New results fill the rows a view has, without starting it over.
        QCOMPARE(found.rows, expectedFound(u"9"_qs));
        QVERIFY(!found.told.contains(u"reset"_qs));
        QTRY_COMPARE(shown(), expectedShown());

        // A choice made while a list is sorted aside is sorted aside too and shows when ready,
        // before the quiet period ends; the list sorted for the choice before never shows.
        Follower view(*model.filteredTorrentsModel(), TorrentListModel::HashRole);
        model.repository().apply(full(3));
        model.setSortOption(TorrentSortOption::name);
        QTRY_COMPARE_WITH_TIMEOUT(shown(), expectedShown(), 250);
        QTest::qWait(500);
        QCOMPARE(shown(), expectedShown());
        QCOMPARE(view.rows, shown());
    }

    void pollingFollowsScreensSettingsAndApplication()
    {
        m->settings.setRefreshInterval(2.5);
        TorrentListViewModel &model = makeModel(true);
        TorrentRepository &repository = model.repository();
        LogCapture log;

        // Auto refresh off: a shown screen loads but starts no timer.
        model.setActive(true);
        QVERIFY(m->api.server.waitForRequests(3));
        QVERIFY(!repository.hasRefreshTimer());
        m->settings.setAutoRefreshEnabled(true);
        QCOMPARE(repository.refreshTimerInterval(), 2500);
        m->settings.setRefreshInterval(5);
        QCOMPARE(repository.refreshTimerInterval(), 5000);

        // Hidden: no timer, and a new interval or auto refresh switched on starts none.
        model.setActive(false);
        QVERIFY(!repository.hasRefreshTimer());
        m->settings.setRefreshInterval(4);
        m->settings.setAutoRefreshEnabled(false);
        m->settings.setAutoRefreshEnabled(true);
        QVERIFY(!repository.hasRefreshTimer());

        // The application inactive, then back: a hidden list stays quiet.
        m->api.server.clearRequests();
        for (const auto state : {Qt::ApplicationInactive, Qt::ApplicationHidden, Qt::ApplicationActive})
            model.handleApplicationState(state);
        QTest::qWait(100);
        QCOMPARE(m->api.server.requestCount(), 0);
        QVERIFY(!repository.hasRefreshTimer());
        QCOMPARE(log.lines().filter(QStringLiteral("📱")),
                 QStringList({"📱 应用非活跃状态", "📱 应用已进入后台", "📱 应用回到前台"}));

        // Shown: inactive stops the timer, active again asks for everything and restarts it.
        model.setActive(true);
        QCOMPARE(repository.refreshTimerInterval(), 4000);
        QVERIFY(m->api.server.waitForRequests(3));
        m->api.server.clearRequests();
        model.handleApplicationState(Qt::ApplicationInactive);
        QVERIFY(!repository.hasRefreshTimer());
        model.handleApplicationState(Qt::ApplicationActive);
        QVERIFY(m->api.server.waitForRequests(1));
        QCOMPARE(m->api.server.lastRequest().target, syncPath);
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
        m->api.server.on(syncPath, [&targets](const RecordedRequest &request) {
            targets.append(request.target);
            return TestResponse::json(
                R"({"rid":)" + QByteArray::number(targets.size()) +
                (targets.size() == 1 ? R"(,"full_update":true})" : R"(,"full_update":false})"));
        });
        m->api.server.setFallback([](const RecordedRequest &request) {
            return TestResponse::json(request.path().endsWith("categories") ? "{}" : "[]");
        });
        QVERIFY(m->api.connect());
        // The session's repository, as the screens get it; the statistics find the same one.
        AppSettings &settings = AppSettings::shared();
        settings.setRefreshInterval(0.1);
        settings.setAutoRefreshEnabled(true);
        const std::shared_ptr<TorrentRepository> repository = TorrentRepository::shared(m->api.client);
        TorrentListViewModel list(repository, settings);
        TorrentListViewModel search(repository, settings);
        StatisticsViewModel statistics(m->api.client);
        search.setSearchText(QStringLiteral("x"));

        const auto ticks = [&targets](qsizetype count) {
            const qsizetype until = targets.size() + count;
            return QTest::qWaitFor([&] { return targets.size() >= until; }, 5000);
        };
        list.setActive(true);
        QVERIFY(ticks(4));
        // The statistics tab is visited, then the search tab, then the list again.
        list.setActive(false);
        statistics.loadAll();
        QVERIFY(ticks(1));
        search.setActive(true);
        QVERIFY(ticks(4));
        search.setActive(false);
        QVERIFY(!repository->hasRefreshTimer());
        list.setActive(true);
        QVERIFY(ticks(4));
        list.setActive(false);
        QTRY_VERIFY_WITH_TIMEOUT(!repository->isPassRunning(), 5000);

        settings.setRefreshInterval(AppSettings::defaultRefreshInterval);

        QVERIFY(targets.size() >= 13);
        QCOMPARE(targets.first(), syncPath);
        for (qsizetype i = 1; i < targets.size(); ++i)
            QCOMPARE(targets.at(i), syncPath + "?rid=" + QByteArray::number(i));
    }

    // Loading asks for the sync, the categories and the tags. Each case: an action on a torrent
    // = what reached the server, the action and then one sync pass.
    void loadAndActionsReachTheServer()
    {
        TorrentListViewModel &model = makeModel(true);
        QVERIFY(runTask(model.loadTorrents()).ok());
        QVERIFY(!model.property("hasError").toBool());
        QCOMPARE(model.torrents().size(), 2);
        QCOMPARE(model.categoryList().size(), 2);
        QVERIFY(!model.tags().isEmpty());
        QCOMPARE(requests(), QStringLiteral("GET /api/v2/sync/maindata, GET /api/v2/torrents/categories, "
                                            "GET /api/v2/torrents/tags"));
        COMPARE_CASES(QStringLiteral("list-actions.cases"), [&](const QString &action) {
            m->api.server.clearRequests();
            start(model, action, QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d"));
            const auto answered = [&] {
                return m->api.server.requestCount() >= 2 && !model.repository().isPassRunning();
            };
            return QTest::qWaitFor(answered) ? requests() : QStringLiteral("no answer");
        });

        // A refresh is a full pass that clears the error; not shown, it starts no timer. One asked
        // while a pass is out is still a full one once it runs.
        model.repository().setRequestError(std::make_shared<UnexpectedError>(QStringLiteral("earlier failure")));
        QVERIFY(model.property("hasError").toBool());
        m->api.server.clearRequests();
        m->settings.setAutoRefreshEnabled(true);
        QVERIFY(runTask(model.refresh()).ok());
        QCOMPARE(m->api.server.requestsTo(syncPath).size(), 1);
        QCOMPARE(m->api.server.requestsTo(syncPath).first().target, syncPath);
        QVERIFY(!model.property("hasError").toBool());
        QVERIFY(!model.repository().hasRefreshTimer());
        model.setActive(true);
        QVERIFY(m->api.server.waitForRequests(2));
        QVERIFY(runTask(model.refresh()).ok());
        QCOMPARE(m->api.server.requestsTo(syncPath).last().target, syncPath);
        QVERIFY(model.repository().hasRefreshTimer());
        // The show's load ends with the tags: let it finish before the client goes.
        QTRY_VERIFY(!m->api.server.requestsTo("/api/v2/torrents/tags").isEmpty());
        runTask(m->api.client.getVersion());
    }

    void modelGoneWhileRequestInFlight_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("load") << "startLoadTorrents" << syncPath;
        QTest::newRow("pause") << "pause" << QByteArray("/api/v2/torrents/pause");
    }

    void modelGoneWhileRequestInFlight()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, path);
        m->settings.setAutoRefreshEnabled(true);
        TorrentListViewModel &model = makeModel(true);
        m->api.server.enqueue(
            path, late(path == syncPath ? TestResponse::json(fixture(QStringLiteral("maindata-full.json")))
                                        : TestResponse::text("Ok."),
                       100));
        model.repository().apply(sample());
        start(model, operation, QStringLiteral("d1"));
        QVERIFY(m->api.server.waitForRequests(1));

        // The screen closes before the answer arrives.
        QSignalSpy finished(m->api.client.findChild<QNetworkAccessManager *>(),
                            &QNetworkAccessManager::finished);
        m_model.reset();
        QVERIFY(finished.wait(5000));
        QCoreApplication::processEvents();
        // Nothing followed for a model that is gone: no categories, no follow-up sync.
        QCOMPARE(m->api.server.requestCount(), 1);
    }

    // The server goes away while the list is shown: the timer's and the foreground's passes
    // show it as offline and never as an alert; what a person asks for still opens the alert,
    // a later failure replacing the shown one; once the server answers, the list is online by
    // itself, the alert staying until acknowledged.
    void serverGoneShowsOfflineAndActionsStillAlert()
    {
        m->settings.setRefreshInterval(0.3);
        m->settings.setAutoRefreshEnabled(true);
        TorrentListViewModel &model = makeModel(true);
        QStringList alerts; // the alert's text at each change
        connect(&model, &TorrentListViewModel::errorChanged, &model,
                [&] { alerts.append(model.property("errorMessage").toString()); });
        model.setActive(true);
        QTRY_VERIFY(!model.tags().isEmpty()); // the show's load ended
        const QDateTime answered = model.lastUpdated();
        QVERIFY(!model.isOffline() && model.staleText().isEmpty());

        m->api.server.refuse();
        QTRY_VERIFY(model.isOffline());
        model.handleApplicationState(Qt::ApplicationInactive);
        model.handleApplicationState(Qt::ApplicationActive);
        QTRY_VERIFY(!model.repository().isPassRunning());
        QTest::qWait(700); // two more ticks
        QCOMPARE(model.offlineText(), QStringLiteral("已断开: 连接被拒绝 · 1 秒后重试"));
        QCOMPARE(model.lastUpdated(), answered);
        QVERIFY2(model.staleText().startsWith(QStringLiteral("更新于 ")) && model.staleText().size() > 4,
                 qPrintable(model.staleText()));
        QCOMPARE(alerts, QStringList());

        model.pause(QStringLiteral("d1"));
        QTRY_COMPARE(alerts, QStringList({"连接被拒绝"}));
        QVERIFY(m->api.server.answerAgain());
        QTRY_VERIFY(!model.isOffline());
        QVERIFY(model.lastUpdated() > answered && model.staleText().isEmpty() && model.offlineText().isEmpty());
        m->api.server.enqueue("/api/v2/torrents/pause", TestResponse::withStatus(500));
        model.pause(QStringLiteral("d1"));
        QTRY_COMPARE(alerts, QStringList({"连接被拒绝", "服务器错误 (500)"}));
        model.clearError();

        // Pulled by hand, a failed pass opens the alert too.
        m->api.server.refuse();
        QVERIFY(runTask(model.loadTorrents()).ok());
        QCOMPARE(alerts, QStringList({"连接被拒绝", "服务器错误 (500)", "", "连接被拒绝"}));
        QVERIFY(model.isOffline());
        model.setActive(false);
    }

    // A first load tells nothing in its first half second, then how far the answer has come,
    // paced, and nothing once the list shows or the load failed; a spinner is never needed.
    void firstLoadTellsHowFarItCame()
    {
        TorrentListViewModel &model = makeModel(true);
        QStringList texts; // each change of the text, with the bar's part
        connect(&model, &TorrentListViewModel::loadProgressChanged, &model, [&] {
            const QString shown = model.loadProgressText() + u' ' + QString::number(model.loadProgressFraction());
            if (texts.isEmpty() || texts.last() != shown)
                texts.append(shown);
        });
        // Half of two megabytes, then nothing: the bar stands at half until the connection goes.
        m->api.server.enqueue(syncPath, TestResponse::json(QByteArray(2 << 20, ' '), TestResponse::Fault::stallMidBody));
        QCoro::connect(model.loadTorrents(TorrentListViewModel::Trigger::automatic), &model, [] {});
        QVERIFY(model.isFirstLoad());
        QTest::qWait(TorrentListViewModel::loadProgressDelayMs - 200);
        QCOMPARE(model.loadProgressText(), QString());
        QTRY_COMPARE(model.loadProgressText(), QStringLiteral("正在接收 1.0 / 2.0 MB"));
        QCOMPARE(model.loadProgressFraction(), 0.5);
        m->api.server.closeAllConnections();
        QTRY_VERIFY(!model.isFirstLoad());
        QCOMPARE(model.loadProgressText(), QString());
        QVERIFY(model.isOffline());

        // A slow server: waiting, then the torrents counted, until the shown list holds them.
        texts.clear();
        m->api.server.enqueue(syncPath,
                              TestResponse::json(fixture(QStringLiteral("maindata-full.json"))).withDelay(700));
        QCoro::connect(model.loadTorrents(TorrentListViewModel::Trigger::automatic), &model, [] {});
        QTRY_VERIFY(!model.isFirstLoad());
        QCOMPARE(model.filteredTorrentsModel()->rowCount(), 2);
        // The bytes may be told between, when the pace allows.
        texts.removeIf([](const QString &text) { return text.startsWith(QStringLiteral("正在接收 ")); });
        QCOMPARE(texts, QStringList({" -1", "正在等待服务器应答... -1", "正在处理 2 个种子 -1", " -1"}));
    }
};

QTEST_GUILESS_MAIN(TestTorrentListViewModel)
#include "tst_TorrentListViewModel.moc"
