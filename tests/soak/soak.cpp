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
#include "model/SyncRecords.h"
#include "model/TorrentFilter.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <qcoro/qcorotask.h>

#include <cstdio>
#include <random>

namespace {

const char *const states[] = {"downloading", "uploading",  "stalledUP", "stalledDL", "pausedDL", "pausedUP",
                              "queuedDL",    "checkingUP", "metaDL",    "forcedUP",  "error"};

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// The server side: the population and what changed since the last answer.
class Population
{
public:
    explicit Population(unsigned seed) : m_random(seed) {}

    void seed(int count)
    {
        for (int i = 0; i < count; ++i)
            add();
        for (const char *name : {"linux", "movies", "music"})
            m_categories.insert(
                QString::fromLatin1(name),
                CategoryData{QString::fromLatin1(name), QStringLiteral("/srv/") + QString::fromLatin1(name)});
        m_tags = {QStringLiteral("iso"), QStringLiteral("keep"), QStringLiteral("新")};
    }

    void mutate(int target)
    {
        const int changes = 1 + int(m_random() % 40);
        for (int i = 0; i < changes; ++i) {
            const unsigned roll = m_random() % 100;
            if (roll < 6 || m_torrents.size() < target / 2) {
                add();
            } else if (roll < 12 && !m_torrents.isEmpty()) {
                const QString hash = anyHash();
                m_torrents.remove(hash);
                m_changed.remove(hash);
                m_removed.insert(hash);
            } else if (!m_torrents.isEmpty()) {
                change(anyHash(), roll);
            }
        }
        if (m_random() % 25 == 0) {
            const QString name = QStringLiteral("cat%1").arg(m_random() % 8);
            if (m_categories.contains(name))
                m_categories.remove(name);
            else
                m_categories.insert(name, CategoryData{name, QString()});
            m_categoriesChanged = true;
        }
        if (m_random() % 25 == 0) {
            const QString tag = QStringLiteral("t%1").arg(m_random() % 8);
            if (m_tags.contains(tag))
                m_tags.removeAll(tag);
            else
                m_tags.append(tag);
            m_tagsChanged = true;
        }
    }

    QByteArray answer(std::optional<qint64> rid)
    {
        SyncData data;
        data.rid = ++m_rid;
        const bool full = !rid || *rid != m_lastAnsweredRid;
        QList<std::pair<QString, TorrentData>> torrents;
        if (full) {
            data.fullUpdate = true;
            for (auto it = m_torrents.cbegin(); it != m_torrents.cend(); ++it)
                torrents.append({it.key(), it.value()});
        } else {
            for (auto it = m_changed.cbegin(); it != m_changed.cend(); ++it)
                torrents.append({it.key(), it.value()});
            if (!m_removed.isEmpty())
                data.torrentsRemoved = QStringList(m_removed.cbegin(), m_removed.cend());
        }
        if (!torrents.isEmpty() || full)
            data.torrents = torrents;
        if (full || m_categoriesChanged) {
            QList<std::pair<QString, CategoryData>> categories;
            for (auto it = m_categories.cbegin(); it != m_categories.cend(); ++it)
                categories.append({it.key(), it.value()});
            data.categories = categories;
        }
        if (full || m_tagsChanged)
            data.tags = m_tags;
        m_changed.clear();
        m_removed.clear();
        m_categoriesChanged = m_tagsChanged = false;
        m_lastAnsweredRid = data.rid;
        return data.toJson();
    }

    QList<Torrent> expected() const
    {
        QList<Torrent> list;
        for (auto it = m_torrents.cbegin(); it != m_torrents.cend(); ++it)
            list.append(*Torrent::fromTorrentData(it.key(), it.value()));
        return list;
    }
    QStringList categoryNames() const
    {
        QStringList names = m_categories.keys();
        names.sort();
        return names;
    }
    QStringList tags() const
    {
        QStringList sorted = m_tags;
        sorted.sort();
        return sorted;
    }

private:
    QString anyHash()
    {
        auto it = m_torrents.cbegin();
        std::advance(it, qsizetype(m_random() % unsigned(m_torrents.size())));
        return it.key();
    }

    void add()
    {
        const QString hash = QStringLiteral("%1").arg(++m_serial, 40, 16, QLatin1Char('0'));
        TorrentData data;
        data.name = QStringLiteral("torrent %1 数据").arg(m_serial);
        data.size = qint64(m_random() % 100'000'000'000ULL);
        data.progress = double(m_random() % 1001) / 1000.0;
        data.dlspeed = qint64(m_random() % 5'000'000);
        data.upspeed = qint64(m_random() % 1'000'000);
        data.downloaded = qint64(m_random() % 1'000'000'000);
        data.uploaded = qint64(m_random() % 1'000'000'000);
        data.eta = qint64(m_random() % 8'640'001);
        data.state = QString::fromLatin1(states[m_random() % std::size(states)]);
        data.ratio = double(m_random() % 5000) / 1000.0;
        data.category = m_random() % 2 ? QStringLiteral("linux") : QString();
        data.tags = m_random() % 2 ? QStringLiteral("iso, keep") : QString();
        data.addedOn = 1'700'000'000 + qint64(m_random() % 10'000'000);
        data.completionOn = m_random() % 2 ? *data.addedOn + 600 : -1;
        data.savePath = QStringLiteral("/downloads");
        data.numSeeds = m_random() % 50;
        data.numLeechs = m_random() % 50;
        data.numComplete = m_random() % 500;
        data.numIncomplete = m_random() % 500;
        data.priority = m_random() % 10;
        m_torrents.insert(hash, data);
        m_removed.remove(hash);
        m_changed.insert(hash, data); // a new torrent goes out whole
    }

    void change(const QString &hash, unsigned roll)
    {
        TorrentData &full = m_torrents[hash];
        TorrentData &delta = m_changed[hash];
        switch (roll % 6) {
        case 0:
            full.state = delta.state = QString::fromLatin1(states[m_random() % std::size(states)]);
            break;
        case 1:
            full.dlspeed = delta.dlspeed = qint64(m_random() % 5'000'000);
            full.upspeed = delta.upspeed = qint64(m_random() % 1'000'000);
            break;
        case 2:
            full.progress = delta.progress = double(m_random() % 1001) / 1000.0;
            full.eta = delta.eta = qint64(m_random() % 8'640'001);
            break;
        case 3:
            full.category = delta.category = QStringLiteral("cat%1").arg(m_random() % 8);
            break;
        case 4:
            full.tags = delta.tags =
                m_random() % 2 ? QStringLiteral("t%1, iso").arg(m_random() % 8) : QString();
            break;
        default:
            full.name = delta.name = QStringLiteral("renamed %1").arg(m_random());
            full.ratio = delta.ratio = double(m_random() % 5000) / 1000.0;
            break;
        }
    }

    std::mt19937 m_random;
    quint64 m_serial = 0;
    qint64 m_rid = 0;
    qint64 m_lastAnsweredRid = -1;
    QHash<QString, TorrentData> m_torrents;
    QHash<QString, TorrentData> m_changed;
    QSet<QString> m_removed;
    QMap<QString, CategoryData> m_categories;
    QStringList m_tags;
    bool m_categoriesChanged = false;
    bool m_tagsChanged = false;
};

std::optional<qint64> ridOf(const RecordedRequest &request)
{
    for (const QByteArray &pair : request.query().split('&')) {
        if (pair.startsWith("rid="))
            return pair.mid(4).toLongLong();
    }
    return std::nullopt;
}

int fail(const char *what)
{
    std::fprintf(stderr, "soak: FAILED: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int ticks = 1000;
    int target = 500;
    unsigned seed = 7;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--ticks")
            ticks = args[i + 1].toInt();
        else if (args[i] == u"--torrents")
            target = args[i + 1].toInt();
        else if (args[i] == u"--seed")
            seed = args[i + 1].toUInt();
    }

    QTemporaryDir dir;
    TestHttpServer server;
    Population population(seed);
    population.seed(target);
    server.emulateLogin(QStringLiteral("admin"), QStringLiteral("adminadmin"),
                        QByteArrayLiteral("soakSession"));
    server.on(QByteArrayLiteral("/api/v2/app/version"), TestResponse::text("v4.5.2"));
    server.on(QByteArrayLiteral("/api/v2/sync/maindata"), [&population](const RecordedRequest &request) {
        return TestResponse::json(population.answer(ridOf(request)));
    });

    APIVersionManager versions;
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    settings.setAutoRefreshEnabled(false);
    long startKiB = 0;
    qlonglong requests = 0;
    {
        QBittorrentAPIClient client(versions);
        QCoro::waitFor(client.login(server.serverConfig(), QStringLiteral("adminadmin")));
        auto owned = std::make_unique<TorrentRepository>(client, settings);
        TorrentRepository *repository = owned.get();
        TorrentListViewModel model(std::move(owned), settings);
        model.setSortOption(TorrentSortOption::name);

        for (int tick = 0; tick < ticks; ++tick) {
            if (tick == ticks / 10)
                startKiB = residentKiB();
            population.mutate(target);
            requests += server.requestCount();
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

        QList<Torrent> expected = population.expected();
        QList<Torrent> actual = repository->torrents();
        const auto byId = [](const Torrent &a, const Torrent &b) { return a.id < b.id; };
        std::sort(expected.begin(), expected.end(), byId);
        std::sort(actual.begin(), actual.end(), byId);
        if (actual != expected)
            return fail("the repository's list differs from the server's population");
        QStringList categories;
        for (const Category &category : repository->categories())
            categories.append(category.name);
        if (categories != population.categoryNames())
            return fail("categories differ");
        if (repository->tags() != population.tags())
            return fail("tags differ");
        const QList<Torrent> shown = filterAndSort(repository->torrents(), TorrentFilter::all, std::nullopt,
                                                   std::nullopt, TorrentSortOption::name);
        if (model.filteredTorrents() != shown)
            return fail("the shown list differs from the pipeline over the repository");
        std::printf("soak: %d ticks, %lld torrents at the end, %lld requests; resident memory %ld KiB after "
                    "warm-up, %ld KiB at the end\n",
                    ticks, qlonglong(actual.size()), requests + qlonglong(server.requestCount()), startKiB,
                    residentKiB());
    }
    return 0;
}
