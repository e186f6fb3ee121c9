// The merge of sync answers into the repository's torrent list, driven without a server.
#include "support/Fixtures.h"

#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "model/SyncRecords.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QString h1 = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QString h2 = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d");

const Torrent *find(const TorrentRepository &repository, const QString &hash)
{
    const auto &list = repository.torrents();
    const auto it = std::find_if(list.begin(), list.end(), [&](const Torrent &t) { return t.id == hash; });
    return it == list.end() ? nullptr : &*it;
}

} // namespace

class TestTorrentMerge : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<QBittorrentAPIClient> m_client;
    std::unique_ptr<TorrentRepository> m_repository;

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
        m_client = std::make_unique<QBittorrentAPIClient>();
        m_repository = std::make_unique<TorrentRepository>(*m_client, *m_settings);
        m_repository->apply(SyncData::fromJson(fixture(QStringLiteral("maindata-full.json"))));
    }

    void cleanup()
    {
        m_repository.reset();
        m_client.reset();
        m_settings.reset();
    }

    void fullAnswerFillsListCategoriesAndSortedTags()
    {
        QCOMPARE(m_repository->currentRid(), std::optional<qint64>(1));
        QCOMPARE(m_repository->torrents().size(), 2);
        QVERIFY(find(*m_repository, h1) && find(*m_repository, h2));
        QCOMPARE(m_repository->tags(), QStringList({u"a"_qs, u"b"_qs, u"iso"_qs}));
        QCOMPARE(m_repository->categories(),
                 QList<Category>({{u"linux"_qs, QString()}, {u"test"_qs, QString()}}));
        QVERIFY(!m_repository->isLoading());
    }

    void incrementalAnswers_data()
    {
        // `change`: what the seeded torrent (h2) gets, every other field and torrent kept.
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("republished");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("change");
        const auto row = [](const char *name, const QByteArray &answer, bool republished, int count,
                            const char *change = "{}") {
            QTest::newRow(name) << answer << republished << count << QByteArray(change);
        };
        row("recorded answer after a pause", fixture(u"maindata-rid1-after-pause.json"_qs), true, 2,
            R"({"state":"pausedUP"})");
        row("known hash, one field",
            R"({"rid":2,"torrents":{"db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"dlspeed":5}}})", true, 2,
            R"({"dlspeed":5})");
        row("duplicated hash, last wins",
            R"({"rid":2,"torrents":{"db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"dlspeed":5},)"
            R"("db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"dlspeed":7}}})",
            true, 2, R"({"dlspeed":7})");
        row("unknown partial record", R"({"rid":2,"torrents":{"ffff":{"dlspeed":5}}})", false, 2);
        QByteArray unknownFull = fixture(u"maindata-full.json"_qs);
        unknownFull.replace("\"full_update\":true", "\"full_update\":false")
            .replace(h1.toLatin1(), QByteArray(40, '1'));
        row("unknown hash with full record", unknownFull, true, 3);
        row("nothing changed", R"({"rid":3})", false, 2);
        row("empty removal list", R"({"rid":4,"torrents_removed":[]})", true, 2);
        row("removal of known and unknown",
            R"({"rid":4,"torrents_removed":["0123456789abcdef0123456789abcdef01234567","nope"]})", true, 1);
        row("full update without torrents", R"({"rid":5,"full_update":true})", true, 0);
        row("full update false keeps list", R"({"rid":5,"full_update":false})", false, 2);
    }

    void incrementalAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, republished);
        QFETCH(int, count);
        QFETCH(QByteArray, change);
        const QList<Category> categories = m_repository->categories();
        const QStringList tags = m_repository->tags();
        const QList<Torrent> before = m_repository->torrents();
        QSignalSpy torrentsChanged(m_repository.get(), &TorrentRepository::torrentsChanged);
        const SyncData payload = SyncData::fromJson(answer);
        m_repository->apply(payload);
        QCOMPARE(torrentsChanged.size(), republished ? 1 : 0);
        QCOMPARE(m_repository->torrents().size(), count);
        QCOMPARE(find(*m_repository, h2) != nullptr, count > 0);
        for (const Torrent &old : before) {
            const Torrent *now = find(*m_repository, old.id);
            if (now)
                QCOMPARE(*now, old.id == h2 ? old.updatedWith(TorrentData::fromJson(change)) : old);
        }
        QCOMPARE(m_repository->currentRid(), std::optional<qint64>(payload.rid));
        QCOMPARE(m_repository->categories(), categories);
        QCOMPARE(m_repository->tags(), tags);
    }

    // Category and tag names in code-point order (not UTF-16 order, which puts characters above
    // U+FFFF before U+E000..U+FFFF); each answer's list replaces the last, removals are ignored.
    void namesInCodePointOrder_data()
    {
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("upper case first") << QStringList{u"B"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("full-width before astral") << QStringList{u"！"_qs, u"𝔸"_qs, u"😀"_qs};
        QTest::newRow("private use before astral")
            << QStringList{u"z"_qs, u"\uE000"_qs, u"\uFFFD"_qs, u"𝄞"_qs};
    }

    void namesInCodePointOrder()
    {
        QFETCH(QStringList, sorted);
        QJsonObject categories;
        QJsonArray tags;
        for (auto it = sorted.crbegin(); it != sorted.crend(); ++it) {
            categories.insert(*it, QJsonObject{{u"name"_qs, *it}, {u"savePath"_qs, u"/"_qs + *it}});
            tags.append(*it);
        }
        const QJsonObject answer{{u"rid"_qs, 2},
                                 {u"categories"_qs, categories},
                                 {u"tags"_qs, tags},
                                 {u"tags_removed"_qs, QJsonArray{sorted.first()}}};
        m_repository->apply(SyncData::fromJson(QJsonDocument(answer).toJson()));
        QStringList names;
        for (const Category &category : m_repository->categories()) {
            QCOMPARE(category.savePath, u"/"_qs + category.name);
            names.append(category.name);
        }
        QCOMPARE(names, sorted);
        QCOMPARE(m_repository->tags(), sorted);
    }

    void refreshWithoutServerKeepsListAndForcesFullSync()
    {
        const QList<Torrent> before = m_repository->torrents();
        QSignalSpy errorChanged(m_repository.get(), &TorrentRepository::errorChanged);
        QCoro::waitFor(m_repository->refresh());
        QVERIFY(m_repository->error());
        const auto *error = dynamic_cast<const NetworkError *>(m_repository->error().get());
        QVERIFY(error);
        QCOMPARE(error->kind(), NetworkError::Kind::unauthorized);
        QCOMPARE(m_repository->torrents(), before);
        QCOMPARE(m_repository->currentRid(), std::nullopt);
        QVERIFY(!m_repository->isLoading());
    }

    void autoRefreshTimerFollowsTheInterval()
    {
        m_settings->setRefreshInterval(10);
        m_repository->startAutoRefresh();
        QVERIFY(m_repository->hasRefreshTimer());
        QCOMPARE(m_repository->refreshTimerInterval(), 10'000);
        // A running timer is replaced by one with the new interval; a stopped one stays stopped.
        m_settings->setRefreshInterval(5);
        QCOMPARE(m_repository->refreshTimerInterval(), 5'000);
        m_repository->stopAutoRefresh();
        m_settings->setRefreshInterval(7);
        QVERIFY(!m_repository->hasRefreshTimer());
        // A stored interval that makes no sense never turns into a busy loop.
        m_settings->setRefreshInterval(std::numeric_limits<double>::quiet_NaN());
        m_repository->startAutoRefresh();
        QCOMPARE(m_repository->refreshTimerInterval(), 3'000);
        m_settings->setRefreshInterval(0);
        QVERIFY(m_repository->refreshTimerInterval() >= 100);
    }
};

QTEST_GUILESS_MAIN(TestTorrentMerge)
#include "tst_TorrentMerge.moc"
