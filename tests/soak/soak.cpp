// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A long run of sync ticks against a local server whose torrent population keeps changing:
// torrents come and go, change state, speed, progress, category and tags, categories and tags
// churn. The server answers incrementally from the client's rid like a real one (a full
// update when the rid is not the one it last answered). At the end the repository's list must
// equal the server's population exactly and the shown list must equal the pipeline applied to
// it. Run under AddressSanitizer and LeakSanitizer by `./dev soak`; a short run is a unit test.
//
// Usage: soak [--ticks N] [--torrents N] [--seed N]

#include "support/TestHttpServer.h"

#include "api/APIVersionManager.h"
#include "api/QBittorrentAPIClient.h"
#include "model/Allocator.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

const char *const states[] = {"downloading", "uploading",  "stalledUP", "stalledDL", "pausedDL", "pausedUP",
                              "queuedDL",    "checkingUP", "metaDL",    "forcedUP",  "error"};

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qsizetype at = text.indexOf("VmRSS:");
    return at < 0 ? -1 : text.mid(at + 6).trimmed().split(' ').first().toLong();
}

// What a change touches: one group of fields, copied from a freshly made record.
const std::function<void(TorrentData &to, const TorrentData &from)> changes[] = {
    [](TorrentData &to, const TorrentData &from) { to.state = from.state; },
    [](TorrentData &to, const TorrentData &from) { to.dlspeed = from.dlspeed, to.upspeed = from.upspeed; },
    [](TorrentData &to, const TorrentData &from) { to.progress = from.progress, to.eta = from.eta; },
    [](TorrentData &to, const TorrentData &from) { to.category = from.category; },
    [](TorrentData &to, const TorrentData &from) { to.tags = from.tags; },
    [](TorrentData &to, const TorrentData &from) { to.name = from.name, to.ratio = from.ratio; },
};

// The server side: the population and what changed since the last answer.
struct Population
{
    std::mt19937 generator;
    QMap<QString, TorrentData> torrents, changed; // all of them, and what changed since the last answer
    QSet<QString> removed;
    QMap<QString, CategoryData> categories{{u"linux"_qs, {u"linux"_qs, u"/srv"_qs}}};
    QStringList tags{QStringLiteral("iso"), QStringLiteral("keep"), QStringLiteral("新")};
    bool categoriesChanged = false, tagsChanged = false;
    qint64 serial = 0, rid = 0;

    Population(unsigned seed, int count) : generator(seed)
    {
        for (int i = 0; i < count; ++i)
            add();
    }

    qint64 random(quint64 below) { return qint64(generator() % below); }

    TorrentData make()
    {
        const qint64 addedOn = 1'700'000'000 + random(10'000'000);
        // clang-format off
        return {.name = QStringLiteral("torrent %1 数据").arg(generator()), .size = random(100'000'000'000ULL),
                .progress = double(random(1001)) / 1000.0, .dlspeed = random(5'000'000), .upspeed = random(1'000'000),
                .downloaded = random(1'000'000'000), .uploaded = random(1'000'000'000), .eta = random(8'640'001),
                .state = QString::fromLatin1(states[random(std::size(states))]), .ratio = double(random(5000)) / 1000.0,
                .category = random(2) ? QStringLiteral("cat%1").arg(random(8)) : QString(),
                .tags = random(2) ? QStringLiteral("t%1, iso").arg(random(8)) : QString(), .addedOn = addedOn,
                .completionOn = random(2) ? addedOn + 600 : -1, .savePath = QStringLiteral("/downloads"),
                .numSeeds = random(50), .numLeechs = random(50), .numComplete = random(500),
                .numIncomplete = random(500), .priority = random(10), .reannounce = random(1800),
                .seedingTime = random(1'000'000), .timeActive = random(1'000'000),
                .popularity = double(random(1000)) / 100.0, .tracker = QStringLiteral("http://tracker.example/announce"),
                .dlLimit = random(2) * 1024, .upLimit = 0, .forceStart = random(2) == 1, .seqDl = false, .flPiecePrio = false};
        // clang-format on
    }

    void add()
    {
        const QString hash = QStringLiteral("%1").arg(++serial, 40, 16, QLatin1Char('0'));
        changed.insert(hash, *torrents.insert(hash, make())); // a new torrent goes out whole
    }

    void mutate(int target)
    {
        for (qint64 i = 0, count = 1 + random(40); i < count; ++i) {
            const unsigned roll = unsigned(random(100));
            if (roll < 6 || torrents.size() <= target / 2) {
                add();
                continue;
            }
            const QString hash = std::next(torrents.cbegin(), random(torrents.size())).key();
            if (roll < 12) {
                torrents.remove(hash);
                changed.remove(hash);
                removed.insert(hash);
            } else {
                const TorrentData fresh = make();
                changes[roll % std::size(changes)](torrents[hash], fresh);
                changes[roll % std::size(changes)](changed[hash], fresh);
            }
        }
        if (random(25) == 0) {
            const QString name = QStringLiteral("cat%1").arg(random(8));
            if (!categories.remove(name))
                categories.insert(name, CategoryData{name, QString()});
            categoriesChanged = true;
        }
        if (random(25) == 0) {
            const QString tag = QStringLiteral("t%1").arg(random(8));
            if (!tags.removeAll(tag))
                tags.append(tag);
            tagsChanged = true;
        }
    }

    // The answer to a request with this query: incremental only from the position last answered.
    QByteArray answer(const QByteArray &query)
    {
        const bool full = query != "rid=" + QByteArray::number(rid);
        SyncData data;
        data.rid = ++rid;
        const QMap<QString, TorrentData> &listed = full ? torrents : changed;
        if (full || !listed.isEmpty())
            data.torrents.emplace(listed.keyValueBegin(), listed.keyValueEnd());
        if (full)
            data.fullUpdate = true;
        else if (!removed.isEmpty())
            data.torrentsRemoved = QStringList(removed.cbegin(), removed.cend());
        if (full || categoriesChanged)
            data.categories.emplace(categories.keyValueBegin(), categories.keyValueEnd());
        if (full || tagsChanged)
            data.tags = tags;
        changed.clear(), removed.clear();
        categoriesChanged = tagsChanged = false;
        return data.toJson();
    }
};

} // namespace

int main(int argc, char **argv)
{
    // As the application does, so that the resident memory printed at the end is its own.
    tuneAllocatorForLargeAnswers();
    QCoreApplication app(argc, argv);
    const auto fail = [](const char *what) { return std::fprintf(stderr, "soak: FAILED: %s\n", what), 1; };
    const QStringList args = app.arguments();
    const auto option = [&](const char *name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
    };
    const int ticks = option("--ticks", 1000), target = option("--torrents", 500);

    QTemporaryDir dir;
    TestHttpServer server;
    Population population(unsigned(option("--seed", 7)), target);
    server.emulateLogin(QStringLiteral("admin"), QStringLiteral("adminadmin"), "soakSession");
    server.on(QByteArrayLiteral("/api/v2/app/version"), TestResponse::text("v4.5.2"));
    server.on("/api/v2/sync/maindata",
              [&](const RecordedRequest &r) { return TestResponse::json(population.answer(r.query())); });

    APIVersionManager versions;
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    settings.setAutoRefreshEnabled(false);
    long startKiB = 0;
    {
        QBittorrentAPIClient client(versions);
        QCoro::waitFor(client.login(server.serverConfig(), QStringLiteral("adminadmin")));
        TorrentListViewModel model(std::make_unique<TorrentRepository>(client, settings), settings);
        TorrentRepository *repository = &model.repository();
        model.setSortOption(TorrentSortOption::name);

        for (int tick = 0; tick < ticks; ++tick) {
            if (tick == ticks / 10)
                startKiB = residentKiB();
            population.mutate(target);
            server.clearRequests(); // the server's record of requests must not grow with the run
            QCoro::waitFor(repository->refresh());
            if (repository->error())
                return fail(qPrintable(repository->error()->debugDescription()));
            // Now and then a filter change or a forced full sync, as a user and a lost
            // session would cause.
            if (tick % 97 == 0)
                model.setSelectedFilter(TorrentFilter(tick % 7));
            if (tick % 211 == 0)
                repository->setCurrentRid(std::nullopt);
            if (tick % 10 == 0)
                model.applyFilters();
        }
        model.setSelectedFilter(TorrentFilter::all);
        model.applyFilters();
        // Before the copies the checks below make.
        const long endKiB = residentKiB();

        QList<Torrent> expected; // in the order of their ids, as the population keeps them
        for (auto it = population.torrents.cbegin(); it != population.torrents.cend(); ++it)
            expected.append(*Torrent::fromTorrentData(it.key(), it.value()));
        QList<Torrent> actual = repository->torrents();
        std::ranges::sort(actual, {}, &Torrent::id);
        population.tags.sort();
        // clang-format off
        const std::pair<bool, const char *> checks[] = {
            {actual == expected, "the repository's list differs from the server's population"},
            {std::ranges::equal(repository->categories(), population.categories.keys(), {}, &Category::name), "categories differ"},
            {repository->tags() == population.tags, "tags differ"},
            {model.filteredTorrents() == filterAndSort(repository->torrents(), TorrentFilter::all, {}, {}, TorrentSortOption::name), "the shown list differs from the pipeline over the repository"}};
        // clang-format on
        for (const auto &[ok, what] : checks)
            if (!ok)
                return fail(what);
        std::printf("soak: %d ticks, %lld torrents; resident %ld KiB after warm-up, %ld KiB at the end\n",
                    ticks, qlonglong(actual.size()), startKiB, endKiB);
    }
    return 0;
}
