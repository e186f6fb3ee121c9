// The merge of sync answers into the repository's torrent list, driven without a server.
#include "support/Fixtures.h"

#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "model/SyncRecords.h"
#include "store/AppSettings.h"
#include "store/KeychainHelper.h"
#include "sync/TorrentRepository.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QString h1 = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QString h2 = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d");

SyncData sync(const char *json)
{
    return SyncData::fromJson(QByteArray(json));
}

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
    KeychainHelper m_keychain{QStringLiteral("app.seedwhirl.tests.merge")};
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<QBittorrentAPIClient> m_client;
    std::unique_ptr<TorrentRepository> m_repository;

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
        m_client = std::make_unique<QBittorrentAPIClient>(m_keychain);
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
        QVERIFY(find(*m_repository, h1));
        QVERIFY(find(*m_repository, h2));
        QCOMPARE(m_repository->tags(),
                 QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("iso")}));
        QCOMPARE(m_repository->categories().size(), 2);
        QCOMPARE(m_repository->categories().at(0).name, QStringLiteral("linux"));
        QCOMPARE(m_repository->categories().at(1).name, QStringLiteral("test"));
        QVERIFY(!m_repository->isLoading());
    }

    void recordedIncrementalAnswerChangesOnlyItsTorrent()
    {
        const Torrent before = *find(*m_repository, h1);
        m_repository->apply(SyncData::fromJson(fixture(QStringLiteral("maindata-rid1-after-pause.json"))));
        QCOMPARE(m_repository->currentRid(), std::optional<qint64>(2));
        QCOMPARE(find(*m_repository, h2)->state, TorrentState::pausedUP);
        QCOMPARE(*find(*m_repository, h1), before);
    }

    void incrementalAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("republished");
        QTest::addColumn<int>("count");
        QTest::newRow("known hash, one field")
            << QByteArray(
                   R"({"rid":2,"torrents":{"db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"dlspeed":5}}})")
            << true << 2;
        QTest::newRow("unknown partial record")
            << QByteArray(R"({"rid":2,"torrents":{"ffff":{"dlspeed":5}}})") << false << 2;
        QTest::newRow("nothing changed") << QByteArray(R"({"rid":3})") << false << 2;
        QTest::newRow("empty removal list") << QByteArray(R"({"rid":4,"torrents_removed":[]})") << true << 2;
        QTest::newRow("removal of known and unknown")
            << QByteArray(
                   R"({"rid":4,"torrents_removed":["0123456789abcdef0123456789abcdef01234567","nope"]})")
            << true << 1;
        QTest::newRow("full update without torrents")
            << QByteArray(R"({"rid":5,"full_update":true})") << true << 0;
        QTest::newRow("full update false keeps list")
            << QByteArray(R"({"rid":5,"full_update":false})") << false << 2;
    }

    void incrementalAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, republished);
        QFETCH(int, count);
        const QList<Category> categories = m_repository->categories();
        const QStringList tags = m_repository->tags();
        QSignalSpy torrentsChanged(m_repository.get(), &TorrentRepository::torrentsChanged);
        const SyncData payload = SyncData::fromJson(answer);
        m_repository->apply(payload);
        QCOMPARE(torrentsChanged.size(), republished ? 1 : 0);
        QCOMPARE(m_repository->torrents().size(), count);
        QCOMPARE(m_repository->currentRid(), std::optional<qint64>(payload.rid));
        QCOMPARE(m_repository->categories(), categories);
        QCOMPARE(m_repository->tags(), tags);
    }

    void knownHashKeepsEveryOtherField()
    {
        const Torrent before = *find(*m_repository, h2);
        m_repository->apply(
            sync(R"({"rid":2,"torrents":{"db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"dlspeed":5}}})"));
        Torrent expected = before;
        expected.dlspeed = 5;
        QCOMPARE(*find(*m_repository, h2), expected);
    }

    void unknownHashWithFullRecordIsAdded()
    {
        QByteArray full = fixture(QStringLiteral("maindata-full.json"));
        // The same record under a new hash, without the full-update flag.
        full.replace("\"full_update\":true", "\"full_update\":false");
        full.replace(h1.toLatin1(), QByteArrayLiteral("1111111111111111111111111111111111111111"));
        m_repository->apply(SyncData::fromJson(full));
        QCOMPARE(m_repository->torrents().size(), 3);
    }

    void categoriesAreReplacedByThePayloadsOwn()
    {
        m_repository->apply(sync(R"({"rid":2,"categories":{"zeta":{"name":"zeta","savePath":"/z"}}})"));
        QCOMPARE(m_repository->categories(),
                 QList<Category>({Category{QStringLiteral("zeta"), QStringLiteral("/z")}}));
        m_repository->apply(sync(
            R"({"rid":3,"categories":{"b":{"name":"b","savePath":""},"B":{"name":"B","savePath":""},"a":{"name":"a","savePath":""}}})"));
        QStringList names;
        for (const Category &category : m_repository->categories())
            names.append(category.name);
        // Plain code-point order: upper case before lower case.
        QCOMPARE(names, QStringList({QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("b")}));
    }

    void tagsAreSortedAndRemovalsIgnored()
    {
        m_repository->apply(sync(R"({"rid":2,"tags":["z","m","a"],"tags_removed":["m"]})"));
        QCOMPARE(m_repository->tags(),
                 QStringList({QStringLiteral("a"), QStringLiteral("m"), QStringLiteral("z")}));
    }

    void duplicateHashesStayOneEntry()
    {
        m_repository->apply(sync(
            R"({"rid":2,"torrents":{"db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"dlspeed":5},"db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"dlspeed":7}}})"));
        QCOMPARE(m_repository->torrents().size(), 2);
        QCOMPARE(find(*m_repository, h2)->dlspeed, 7);
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

    void autoRefreshTimerFollowsTheIntervalAtStart()
    {
        m_settings->setRefreshInterval(10);
        m_repository->startAutoRefresh();
        QVERIFY(m_repository->hasRefreshTimer());
        QCOMPARE(m_repository->refreshTimerInterval(), 10'000);
        m_settings->setRefreshInterval(5);
        QCOMPARE(m_repository->refreshTimerInterval(), 10'000);
        m_repository->startAutoRefresh();
        QCOMPARE(m_repository->refreshTimerInterval(), 5'000);
        m_repository->stopAutoRefresh();
        QVERIFY(!m_repository->hasRefreshTimer());
        // A stored interval that makes no sense never turns into a busy loop.
        m_settings->setRefreshInterval(std::numeric_limits<double>::quiet_NaN());
        m_repository->startAutoRefresh();
        QCOMPARE(m_repository->refreshTimerInterval(), 3'000);
        m_settings->setRefreshInterval(0);
        m_repository->startAutoRefresh();
        QVERIFY(m_repository->refreshTimerInterval() >= 100);
    }
};

QTEST_GUILESS_MAIN(TestTorrentMerge)
#include "tst_TorrentMerge.moc"
