// The saved profiles on a real SQLite file with passwords in the real credential store.
#include "support/TaskRunner.h"

#include "model/Log.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString testService = QStringLiteral("app.seedwhirl.tests.profiles");

// The real credential store, made to refuse writes on demand.
class RefusingKeychain : public KeychainHelper
{
public:
    RefusingKeychain() : KeychainHelper(testService) {}
    bool refuseWrites = false;

    QCoro::Task<void> savePassword(QString password, QString account) override
    {
        if (refuseWrites)
            throw KeychainError(KeychainError::Kind::saveFailed, 5);
        co_await KeychainHelper::savePassword(password, account);
    }
};

ServerConfig profile(const QString &name, qint64 createdOffsetMs = 0, bool active = false)
{
    ServerConfig server =
        ServerConfig::create(name, QStringLiteral("nas.local"), 8080, QStringLiteral("admin"), false);
    server.createdAt = server.createdAt.addMSecs(createdOffsetMs);
    server.isActive = active;
    return server;
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList names(const QList<ServerConfig> &servers)
{
    QStringList list;
    for (const ServerConfig &server : servers)
        list.append(server.name);
    return list;
}

} // namespace

class TestServerRepository : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    RefusingKeychain m_keychain;
    std::unique_ptr<PersistenceController> m_store;
    std::unique_ptr<ServerRepository> m_repository;

    QString path() const { return m_dir->filePath(QStringLiteral("Seedwhirl.sqlite")); }

    void reopen()
    {
        m_repository.reset();
        m_store = std::make_unique<PersistenceController>(path());
        const auto failure = m_store->open();
        QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_store, m_keychain);
    }

    std::optional<QString> password(const ServerConfig &server)
    {
        return runTask(m_keychain.getPassword(server.accountName())).value.value_or(std::nullopt);
    }

    void add(const ServerConfig &server, const QString &secret)
    {
        const auto outcome = runTask(m_repository->addServer(server, secret));
        QVERIFY2(outcome.ok(),
                 outcome.error ? qPrintable(outcome.error->localizedDescription()) : "timed out");
    }

    // Makes every later write of the profile table fail inside SQLite itself.
    void breakWrites()
    {
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER refuse_insert BEFORE INSERT ON ServerConfigEntity "
                                          "BEGIN SELECT RAISE(ABORT, 'disk is full'); END")));
        QVERIFY(
            query.exec(QStringLiteral("CREATE TRIGGER refuse_update BEFORE UPDATE OF name ON "
                                      "ServerConfigEntity BEGIN SELECT RAISE(ABORT, 'disk is full'); END")));
    }

private Q_SLOTS:
    void init()
    {
        m_keychain.refuseWrites = false;
        m_dir = std::make_unique<QTemporaryDir>();
        reopen();
    }

    void cleanup()
    {
        if (m_repository)
            for (const ServerConfig &server : m_repository->servers())
                runTask(m_keychain.deletePassword(server.accountName()));
        m_repository.reset();
        m_store.reset();
        m_dir.reset();
    }

    void emptyStore()
    {
        QVERIFY(m_repository->servers().isEmpty());
        QVERIFY(!m_repository->activeServer());
    }

    void newestFirstWithPasswordsAndActiveSingle()
    {
        const ServerConfig older = profile(QStringLiteral("older"), -1000);
        const ServerConfig newer = profile(QStringLiteral("newer"), 0, true);
        add(older, QStringLiteral("pw-old"));
        add(newer, QStringLiteral("密码✓"));
        QCOMPARE(names(m_repository->servers()),
                 QStringList({QStringLiteral("newer"), QStringLiteral("older")}));
        QCOMPARE(m_repository->activeServer()->id, newer.id);
        QCOMPARE(password(newer), std::optional<QString>(QStringLiteral("密码✓")));
        QCOMPARE(password(older), std::optional<QString>(QStringLiteral("pw-old")));

        // Adding another active profile leaves it the only active one.
        const ServerConfig third = profile(QStringLiteral("third"), 1000, true);
        add(third, QString());
        int active = 0;
        for (const ServerConfig &server : m_repository->servers())
            active += server.isActive ? 1 : 0;
        QCOMPARE(active, 1);
        QCOMPARE(m_repository->activeServer()->id, third.id);

        // The same rows come back after a restart, fields intact.
        const QList<ServerConfig> before = m_repository->servers();
        reopen();
        QCOMPARE(m_repository->servers(), before);
    }

    void twoStoredActiveProfilesShowTheNewer()
    {
        const ServerConfig older = profile(QStringLiteral("older"), -1000);
        const ServerConfig newer = profile(QStringLiteral("newer"));
        add(older, {});
        add(newer, {});
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(QStringLiteral("UPDATE ServerConfigEntity SET isActive = 1")));
        m_repository->loadServers();
        QCOMPARE(m_repository->activeServer()->id, newer.id);
    }

    void rowWithoutIdGetsAFreshIdEachLoad()
    {
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(
            QStringLiteral("INSERT INTO ServerConfigEntity (port, useHTTPS, isActive) VALUES (80, 0, 0)")));
        m_repository->loadServers();
        QCOMPARE(m_repository->servers().size(), 1);
        const ServerConfig first = m_repository->servers().first();
        QVERIFY(!first.id.isNull());
        QCOMPARE(first.name, QString());
        QVERIFY(first.createdAt.isValid());
        QVERIFY(!first.lastConnectedAt);
        m_repository->loadServers();
        QVERIFY(m_repository->servers().first().id != first.id);
    }

    void updateKeepsOrReplacesThePassword()
    {
        ServerConfig server = profile(QStringLiteral("box"));
        add(server, QStringLiteral("first"));
        server.name = QStringLiteral("renamed");
        server.port = 9090;
        QVERIFY(runTask(m_repository->updateServer(server, std::nullopt)).ok());
        QCOMPARE(m_repository->servers().first().name, QStringLiteral("renamed"));
        QCOMPARE(m_repository->servers().first().port, 9090);
        QCOMPARE(password(server), std::optional<QString>(QStringLiteral("first")));
        QVERIFY(runTask(m_repository->updateServer(server, QString())).ok());
        QCOMPARE(password(server), std::optional<QString>(QString()));

        // id, createdAt and lastConnectedAt are not the form's to change.
        const ServerConfig stored = m_repository->servers().first();
        ServerConfig edited = stored;
        edited.createdAt = stored.createdAt.addDays(-3);
        edited.lastConnectedAt = QDateTime::currentDateTime();
        QVERIFY(runTask(m_repository->updateServer(edited, std::nullopt)).ok());
        QCOMPARE(m_repository->servers().first().createdAt, stored.createdAt);
        QCOMPARE(m_repository->servers().first().lastConnectedAt, stored.lastConnectedAt);
    }

    void activationStampsAndClearsOthers()
    {
        const ServerConfig a = profile(QStringLiteral("a"), -1000, true);
        const ServerConfig b = profile(QStringLiteral("b"));
        add(a, {});
        add(b, {});
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        m_repository->setActiveServer(b.id);
        QCOMPARE(m_repository->activeServer()->id, b.id);
        QVERIFY(*m_repository->activeServer()->lastConnectedAt >= before);
        QVERIFY(!m_repository->servers().last().isActive);
    }

    void deleteRemovesRowAndPassword()
    {
        const ServerConfig server = profile(QStringLiteral("gone"));
        add(server, QStringLiteral("secret"));
        QVERIFY(runTask(m_repository->deleteServer(server.id)).ok());
        QVERIFY(m_repository->servers().isEmpty());
        QCOMPARE(password(server), std::nullopt);

        // A profile whose password was never stored deletes as well.
        const ServerConfig bare = profile(QStringLiteral("bare"));
        add(bare, {});
        runTask(m_keychain.deletePassword(bare.accountName()));
        QVERIFY(runTask(m_repository->deleteServer(bare.id)).ok());
    }

    void missingProfile()
    {
        const ServerConfig ghost = profile(QStringLiteral("ghost"));
        for (const auto &outcome : {runTask(m_repository->updateServer(ghost, QStringLiteral("x"))),
                                    runTask(m_repository->deleteServer(ghost.id))}) {
            QVERIFY(outcome.errorAs<RepositoryError>());
            QCOMPARE(outcome.error->localizedDescription(), QStringLiteral("服务器未找到"));
        }
        QCOMPARE(password(ghost), std::nullopt); // the failed update wrote nothing

        // A failed activation leaves the active profile as it was, also for the next save.
        const ServerConfig active = profile(QStringLiteral("active"), 0, true);
        add(active, {});
        QVERIFY_THROWS_EXCEPTION(RepositoryError, m_repository->setActiveServer(ghost.id));
        add(profile(QStringLiteral("later"), 1000), {});
        QCOMPARE(m_repository->activeServer()->id, active.id);
    }

    void refusedPasswordLeavesNothingBehind()
    {
        m_keychain.refuseWrites = true;
        const ServerConfig server = profile(QStringLiteral("refused"), 0, true);
        const auto outcome = runTask(m_repository->addServer(server, QStringLiteral("pw")));
        QVERIFY(outcome.errorAs<KeychainError>());
        QCOMPARE(outcome.error->localizedDescription(), QStringLiteral("保存密码失败: 5"));
        m_keychain.refuseWrites = false;
        add(profile(QStringLiteral("next")), {});
        QCOMPARE(names(m_repository->servers()), QStringList({QStringLiteral("next")}));
    }

    void failedDatabaseWriteUndoesThePassword()
    {
        ServerConfig kept = profile(QStringLiteral("kept"), -1000, true);
        add(kept, QStringLiteral("old secret"));
        const QList<ServerConfig> before = m_repository->servers();
        breakWrites();

        const ServerConfig added = profile(QStringLiteral("added"), 0, true);
        const auto addOutcome = runTask(m_repository->addServer(added, QStringLiteral("pw")));
        QVERIFY(addOutcome.errorAs<StoreError>());
        QVERIFY(addOutcome.error->localizedDescription().contains(QStringLiteral("disk is full")));
        QCOMPARE(password(added), std::nullopt);

        kept.name = QStringLiteral("edited");
        const auto updateOutcome = runTask(m_repository->updateServer(kept, QStringLiteral("new secret")));
        QVERIFY(updateOutcome.errorAs<StoreError>());
        QCOMPARE(password(kept), std::optional<QString>(QStringLiteral("old secret")));

        QCOMPARE(m_repository->servers(), before);
        reopen();
        QCOMPARE(m_repository->servers(), before); // the deactivation of the failed add was not kept
    }

    void unusableFilesAreReportedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a database") << QByteArray(4096, 'x') << QStringLiteral("not a database");
        QByteArray header("SQLite format 3\0", 16);
        QTest::newRow("truncated database") << header + QByteArray(200, '\0') << QString();
    }

    void unusableFilesAreReportedAndLeftAlone()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        m_repository.reset();
        m_store.reset();
        const QString file = m_dir->filePath(QStringLiteral("broken.sqlite"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(contents);
        out.close();
        const QByteArray before = digest(file);

        PersistenceController store(file);
        const auto failure = store.open();
        QVERIFY(failure);
        QVERIFY2(failure->contains(file), qPrintable(*failure));
        QVERIFY2(failure->contains(reason), qPrintable(*failure));
        QVERIFY(!store.isOpen());
        QCOMPARE(digest(file), before);
        QVERIFY(!QFile::exists(file + QStringLiteral("-wal")) ||
                QFileInfo(file + QStringLiteral("-wal")).size() == 0);
        reopen();
    }

    void storeOfANewerReleaseIsNotTouched()
    {
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = 99")));
        m_repository.reset();
        m_store.reset();
        PersistenceController store(path());
        const auto failure = store.open();
        QVERIFY(failure);
        QVERIFY2(failure->contains(QStringLiteral("newer release")), qPrintable(*failure));
        m_dir = std::make_unique<QTemporaryDir>();
        reopen();
    }
};

QTEST_GUILESS_MAIN(TestServerRepository)
#include "tst_ServerRepository.moc"
