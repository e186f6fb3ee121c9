// The saved profiles on a real SQLite file with passwords in the real credential store.
#include "support/TaskRunner.h"

#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QCryptographicHash>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString testService = QStringLiteral("app.seedwhirl.tests.profiles");

QDBusMessage callSecrets(const QString &interface, const QString &method, const QVariantList &arguments)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.secrets"),
                                       QStringLiteral("/org/freedesktop/secrets"), interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call);
}

// Locks or unlocks the keyring of the private test session (its password is set by
// tests/support/with-private-session.sh), as a locked screen does.
bool setKeyringLocked(bool locked)
{
    const QDBusObjectPath login(QStringLiteral("/org/freedesktop/secrets/collection/login"));
    const QString secretService = QStringLiteral("org.freedesktop.Secret.Service");
    if (locked)
        return callSecrets(secretService, QStringLiteral("Lock"), {QVariant::fromValue(QList{login})})
                   .type() == QDBusMessage::ReplyMessage;
    const QDBusMessage session =
        callSecrets(secretService, QStringLiteral("OpenSession"),
                    {QStringLiteral("plain"), QVariant::fromValue(QDBusVariant(QString()))});
    if (session.type() != QDBusMessage::ReplyMessage)
        return false;
    QDBusArgument secret;
    secret.beginStructure();
    secret << session.arguments().at(1).value<QDBusObjectPath>() << QByteArray() << QByteArray("seedwhirl")
           << QStringLiteral("text/plain");
    secret.endStructure();
    return callSecrets(QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
                       QStringLiteral("UnlockWithMasterPassword"),
                       {QVariant::fromValue(login), QVariant::fromValue(secret)})
               .type() == QDBusMessage::ReplyMessage;
}

// The real credential store, made to refuse writes on demand, or to lock its keyring right
// after a delete.
class RefusingKeychain : public KeychainHelper
{
public:
    RefusingKeychain() : KeychainHelper(testService) {}
    bool refuseWrites = false;
    bool lockAfterDelete = false;

    QCoro::Task<void> savePassword(QString password, QString account) override
    {
        if (refuseWrites)
            throw KeychainError(KeychainError::Kind::saveFailed, 5);
        co_await KeychainHelper::savePassword(password, account);
    }
    QCoro::Task<bool> deletePassword(QString account) override
    {
        const bool deleted = co_await KeychainHelper::deletePassword(account);
        if (lockAfterDelete)
            setKeyringLocked(true);
        co_return deleted;
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
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

QStringList names(const QList<ServerConfig> &servers)
{
    QStringList list;
    for (const ServerConfig &server : servers)
        list.append(server.name + (server.isActive ? QStringLiteral("*") : QString()));
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

    bool exec(const QString &sql) { return QSqlQuery(m_store->database()).exec(sql); }

private Q_SLOTS:
    void init()
    {
        m_keychain.refuseWrites = m_keychain.lockAfterDelete = false;
        m_dir = std::make_unique<QTemporaryDir>();
        reopen();
    }

    void cleanup()
    {
        setKeyringLocked(false);
        if (m_repository)
            for (const ServerConfig &server : m_repository->servers())
                runTask(m_keychain.deletePassword(server.accountName()));
        m_repository.reset();
        m_store.reset();
        m_dir.reset();
    }

    // Newest first, passwords alongside, a single active profile, and the same after a restart.
    void savedProfiles()
    {
        QVERIFY(m_repository->servers().isEmpty());
        QVERIFY(!m_repository->activeServer());
        const ServerConfig older = profile(QStringLiteral("older"), -1000);
        const ServerConfig newer = profile(QStringLiteral("newer"), 0, true);
        add(older, QStringLiteral("pw-old"));
        add(newer, QStringLiteral("密码✓"));
        QCOMPARE(names(m_repository->servers()), QStringList({"newer*", "older"}));
        QCOMPARE(password(newer), std::optional<QString>(QStringLiteral("密码✓")));
        QCOMPARE(password(older), std::optional<QString>(QStringLiteral("pw-old")));

        add(profile(QStringLiteral("third"), 1000, true), QString());
        QCOMPARE(names(m_repository->servers()), QStringList({"third*", "newer", "older"}));
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        m_repository->setActiveServer(older.id);
        QCOMPARE(names(m_repository->servers()), QStringList({"third", "newer", "older*"}));
        QVERIFY(*m_repository->activeServer()->lastConnectedAt >= before);

        const QList<ServerConfig> saved = m_repository->servers();
        reopen();
        QCOMPARE(m_repository->servers(), saved);
    }

    // Rows another release or a hand edit left: two active ones show the newer; a row without
    // an id gets a fresh one on every load.
    void rowsWrittenElsewhere()
    {
        const ServerConfig older = profile(QStringLiteral("older"), -1000);
        const ServerConfig newer = profile(QStringLiteral("newer"));
        add(older, {});
        add(newer, {});
        QVERIFY(exec(QStringLiteral("UPDATE ServerConfigEntity SET isActive = 1")));
        QVERIFY(exec(
            QStringLiteral("INSERT INTO ServerConfigEntity (port, useHTTPS, isActive) VALUES (80, 0, 0)")));
        m_repository->loadServers();
        QCOMPARE(m_repository->activeServer()->id, newer.id);
        const ServerConfig bare = m_repository->servers().last();
        QVERIFY(!bare.id.isNull());
        QCOMPARE(bare.name, QString());
        QVERIFY(bare.createdAt.isValid());
        QVERIFY(!bare.lastConnectedAt);
        m_repository->loadServers();
        QVERIFY(m_repository->servers().last().id != bare.id);
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
        QCOMPARE(m_repository->servers().first(), stored);
    }

    void deleteRemovesRowAndPassword()
    {
        const ServerConfig server = profile(QStringLiteral("gone"));
        const ServerConfig bare = profile(QStringLiteral("bare"));
        add(server, QStringLiteral("secret"));
        add(bare, {});
        QVERIFY(runTask(m_repository->deleteServer(server.id)).ok());
        QCOMPARE(names(m_repository->servers()), QStringList{"bare"});
        QCOMPARE(password(server), std::nullopt);
        // A profile whose password was never stored deletes as well.
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

    void unwritablePassword_data()
    {
        QTest::addColumn<int>("refusal");
        QTest::newRow("add refused") << 0;
        QTest::newRow("update, keyring locked") << 1;
        QTest::newRow("update, keyring locks after a delete") << 2;
    }

    // A password the store cannot write leaves no profile behind on an add, and the old
    // password on an update: a profile has the new password exactly when its save succeeded.
    void unwritablePassword()
    {
        QFETCH(int, refusal);
        const ServerConfig kept = profile(QStringLiteral("kept"));
        add(kept, QStringLiteral("old"));
        m_keychain.refuseWrites = refusal == 0;
        m_keychain.lockAfterDelete = refusal == 2;
        if (refusal == 1)
            QVERIFY(setKeyringLocked(true));
        const auto outcome = refusal == 0
                                 ? runTask(m_repository->addServer(profile(QStringLiteral("new")), "new"))
                                 : runTask(m_repository->updateServer(kept, QStringLiteral("new")));
        m_keychain.refuseWrites = m_keychain.lockAfterDelete = false;
        QVERIFY(setKeyringLocked(false));
        if (refusal < 2)
            QVERIFY2(outcome.errorAs<KeychainError>(),
                     outcome.ok() ? "saved" : qPrintable(outcome.error->debugDescription()));
        if (refusal == 0)
            QCOMPARE(outcome.error->localizedDescription(), QStringLiteral("保存密码失败: 5"));
        QCOMPARE(names(m_repository->servers()), QStringList{"kept"});
        QCOMPARE(password(kept), std::optional<QString>(outcome.ok() && refusal ? "new" : "old"));
    }

    void failedDatabaseWriteUndoesThePassword()
    {
        ServerConfig kept = profile(QStringLiteral("kept"), -1000, true);
        add(kept, QStringLiteral("old secret"));
        const QList<ServerConfig> before = m_repository->servers();
        // Every later write of the profile table fails inside SQLite itself.
        QVERIFY(exec(QStringLiteral("CREATE TRIGGER refuse_insert BEFORE INSERT ON ServerConfigEntity "
                                    "BEGIN SELECT RAISE(ABORT, 'disk is full'); END")));
        QVERIFY(
            exec(QStringLiteral("CREATE TRIGGER refuse_update BEFORE UPDATE OF name ON ServerConfigEntity "
                                "BEGIN SELECT RAISE(ABORT, 'disk is full'); END")));

        const ServerConfig added = profile(QStringLiteral("added"), 0, true);
        const auto addOutcome = runTask(m_repository->addServer(added, QStringLiteral("pw")));
        QVERIFY(addOutcome.errorAs<StoreError>());
        QVERIFY(addOutcome.error->localizedDescription().contains(QStringLiteral("disk is full")));
        QCOMPARE(password(added), std::nullopt);

        kept.name = QStringLiteral("edited");
        QVERIFY(
            runTask(m_repository->updateServer(kept, QStringLiteral("new secret"))).errorAs<StoreError>());
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
        QTest::newRow("truncated database")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\0') << QString();
        QTest::newRow("of a newer release") << QByteArray() << QStringLiteral("newer release");
    }

    void unusableFilesAreReportedAndLeftAlone()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        if (contents.isEmpty())
            QVERIFY(exec(QStringLiteral("PRAGMA user_version = 99")));
        m_repository.reset();
        m_store.reset();
        if (!contents.isEmpty()) {
            QFile::remove(path() + QStringLiteral("-wal"));
            QFile out(path());
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(contents);
        }
        const QByteArray before = digest(path());

        PersistenceController store(path());
        const auto failure = store.open();
        QVERIFY(failure);
        QVERIFY2(failure->contains(path()) && failure->contains(reason), qPrintable(*failure));
        QVERIFY(!store.isOpen());
        QCOMPARE(digest(path()), before);
        QVERIFY(QFileInfo(path() + QStringLiteral("-wal")).size() == 0);
    }
};

QTEST_GUILESS_MAIN(TestServerRepository)
#include "tst_ServerRepository.moc"
