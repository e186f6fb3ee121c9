// The saved profiles on a real SQLite file with passwords in the real credential store (the
// Secret Service of a private session, under a service name of its own), that store itself,
// and a process killed in the middle of a loop of profile saves.
#include "support/TaskRunner.h"

#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <QtDBus>

#include <qt6keychain/keychain.h>

#include <cstdio>

namespace {

using Password = std::optional<QString>;
const QString testService = QStringLiteral("app.seedwhirl.tests.profiles");
const char *const loopVariable = "SEEDWHIRL_SAVE_LOOP_FILE";

bool callSecrets(const QString &interface, const QString &method, const QVariantList &arguments,
                 QDBusMessage *reply = nullptr)
{
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.secrets", "/org/freedesktop/secrets",
                                                       interface, method);
    call.setArguments(arguments);
    const QDBusMessage answer = QDBusConnection::sessionBus().call(call);
    if (reply)
        *reply = answer;
    return answer.type() == QDBusMessage::ReplyMessage;
}

// Locks or unlocks the keyring of the private test session (its password is set by
// tests/support/with-private-session.sh), as a locked screen does.
bool setKeyringLocked(bool locked)
{
    const QDBusObjectPath login(QStringLiteral("/org/freedesktop/secrets/collection/login"));
    const QString service = QStringLiteral("org.freedesktop.Secret.Service");
    if (locked)
        return callSecrets(service, "Lock", {QVariant::fromValue(QList{login})});
    QDBusMessage session;
    if (!callSecrets(service, "OpenSession", {"plain", QVariant::fromValue(QDBusVariant(""))}, &session))
        return false;
    QDBusArgument secret;
    secret.beginStructure();
    secret << session.arguments().at(1).value<QDBusObjectPath>() << QByteArray() << QByteArray("seedwhirl")
           << QStringLiteral("text/plain");
    secret.endStructure();
    return callSecrets("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface",
                       "UnlockWithMasterPassword", {QVariant::fromValue(login), QVariant::fromValue(secret)});
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
    ServerConfig server = ServerConfig::create(name, "nas.local", 8080, "admin", false);
    server.createdAt = server.createdAt.addMSecs(createdOffsetMs);
    server.isActive = active;
    return server;
}

// Writes raw bytes as a secret, bypassing the helper (to plant what it would never write).
bool writeRaw(const QString &account, const QByteArray &bytes)
{
    QKeychain::WritePasswordJob job(testService);
    job.setAutoDelete(false);
    job.setKey(account);
    job.setBinaryData(bytes);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// The child: saves profiles until it is killed, printing each id once its save returned.
int saveForever(const QString &path)
{
    PersistenceController store(path);
    if (const auto failure = store.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*failure));
        return 2;
    }
    RefusingKeychain keychain;
    ServerRepository repository(store, keychain);
    for (int i = 0;; ++i) {
        const ServerConfig server = profile(QString::number(i), i);
        if (!runTask(repository.addServer(server, "pw")).ok())
            return 3;
        if (i % 5 == 0)
            repository.setActiveServer(server.id);
        std::printf("%s\n", qPrintable(server.accountName()));
        std::fflush(stdout);
    }
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

    QString m_account; // of the credential store's own cases

    // A failed read is told apart from a missing password.
    Password read(const QString &account, KeychainHelper *from = nullptr)
    {
        const auto outcome = runTask((from ? *from : m_keychain).getPassword(account));
        return outcome.ok() ? *outcome.value : Password("<read failed>");
    }
    Password password(const ServerConfig &server) { return read(server.accountName()); }
    bool save(const QString &secret) { return runTask(m_keychain.savePassword(secret, m_account)).ok(); }
    bool remove(const QString &a) { return runTask(m_keychain.deletePassword(a)).value.value_or(false); }

    // The profiles in their order, by name, the active one marked with a star.
    QStringList names() const
    {
        QStringList list;
        for (const ServerConfig &server : m_repository->servers())
            list.append(server.name + (server.isActive ? "*" : ""));
        return list;
    }

    // What an operation failed with, by its text; empty when it succeeded.
    template <typename T> QString failure(const Outcome<T> &outcome)
    {
        return !outcome.finished ? "timed out"
               : outcome.error   ? outcome.error->localizedDescription()
                                 : QString();
    }

    void add(const ServerConfig &server, const QString &secret)
    {
        QCOMPARE(failure(runTask(m_repository->addServer(server, secret))), QString());
    }

    bool exec(const QString &sql) { return QSqlQuery(m_store->database()).exec(sql); }

private Q_SLOTS:
    void init()
    {
        m_keychain.refuseWrites = m_keychain.lockAfterDelete = false;
        m_account = QUuid::createUuid().toString(QUuid::WithoutBraces);
        m_dir = std::make_unique<QTemporaryDir>();
        reopen();
    }

    void cleanup()
    {
        setKeyringLocked(false);
        remove(m_account);
        if (m_repository)
            for (const ServerConfig &server : m_repository->servers())
                remove(server.accountName());
        m_repository.reset();
        m_store.reset();
    }

    // Newest first, passwords alongside, a single active profile, and the same after a restart.
    void savedProfiles()
    {
        QVERIFY(m_repository->servers().isEmpty() && !m_repository->activeServer());
        const ServerConfig older = profile("older", -1000), newer = profile("newer", 0, true);
        add(older, "pw-old");
        add(newer, "密码✓");
        QCOMPARE(names(), QStringList({"newer*", "older"}));
        QCOMPARE(password(newer), "密码✓");
        QCOMPARE(password(older), "pw-old");
        add(profile("third", 1000, true), QString());
        QCOMPARE(names(), QStringList({"third*", "newer", "older"}));
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        m_repository->setActiveServer(older.id);
        QCOMPARE(names(), QStringList({"third", "newer", "older*"}));
        QVERIFY(*m_repository->activeServer()->lastConnectedAt >= before);
        const QList<ServerConfig> saved = m_repository->servers();
        reopen();
        QCOMPARE(m_repository->servers(), saved);
    }

    // Rows another release or a hand edit left: two active ones show the newer; a row without
    // an id gets a fresh one on every load.
    void rowsWrittenElsewhere()
    {
        const ServerConfig newer = profile("newer");
        add(profile("older", -1000), {});
        add(newer, {});
        QVERIFY(exec("UPDATE ServerConfigEntity SET isActive = 1"));
        QVERIFY(exec("INSERT INTO ServerConfigEntity (port, useHTTPS, isActive) VALUES (80, 0, 0)"));
        m_repository->loadServers();
        QCOMPARE(m_repository->activeServer()->id, newer.id);
        const ServerConfig bare = m_repository->servers().last();
        QVERIFY(!bare.id.isNull() && bare.name.isEmpty() && bare.createdAt.isValid() &&
                !bare.lastConnectedAt);
        m_repository->loadServers();
        QVERIFY(m_repository->servers().last().id != bare.id);
    }

    // No new password keeps the old one, an empty one replaces it; createdAt and
    // lastConnectedAt are not the form's to change.
    void updateKeepsOrReplacesThePassword()
    {
        ServerConfig server = profile("box");
        add(server, "first");
        ServerConfig expected = m_repository->servers().first();
        expected.name = server.name = QStringLiteral("renamed");
        expected.port = server.port = 9090;
        server.createdAt = server.createdAt.addDays(-3);
        server.lastConnectedAt = QDateTime::currentDateTime();
        QCOMPARE(failure(runTask(m_repository->updateServer(server, std::nullopt))), QString());
        QCOMPARE(m_repository->servers().first(), expected);
        QCOMPARE(password(server), "first");
        QCOMPARE(failure(runTask(m_repository->updateServer(server, QString()))), QString());
        QCOMPARE(password(server), QString());
    }

    // The row and the password go; a profile whose password was never stored deletes as well.
    void deleteRemovesRowAndPassword()
    {
        const ServerConfig server = profile("gone"), bare = profile("bare");
        add(server, "secret");
        add(bare, {});
        QCOMPARE(failure(runTask(m_repository->deleteServer(server.id))), QString());
        QCOMPARE(names(), QStringList{"bare"});
        QCOMPARE(password(server), std::nullopt);
        remove(bare.accountName());
        QCOMPARE(failure(runTask(m_repository->deleteServer(bare.id))), QString());
    }

    // A failed activation leaves the active profile as it was, also for the next save; a
    // failed update writes no password.
    void missingProfile()
    {
        const ServerConfig ghost = profile("ghost"), active = profile("active", 0, true);
        for (const auto &outcome : {runTask(m_repository->updateServer(ghost, QStringLiteral("x"))),
                                    runTask(m_repository->deleteServer(ghost.id))}) {
            QVERIFY(outcome.errorAs<RepositoryError>());
            QCOMPARE(failure(outcome), "服务器未找到");
        }
        QCOMPARE(password(ghost), std::nullopt);
        add(active, {});
        QVERIFY_THROWS_EXCEPTION(RepositoryError, m_repository->setActiveServer(ghost.id));
        add(profile("later", 1000), {});
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
        const ServerConfig kept = profile("kept");
        add(kept, "old");
        m_keychain.refuseWrites = refusal == 0;
        m_keychain.lockAfterDelete = refusal == 2;
        QVERIFY(refusal != 1 || setKeyringLocked(true));
        const auto outcome = refusal == 0 ? runTask(m_repository->addServer(profile("new"), "new"))
                                          : runTask(m_repository->updateServer(kept, QStringLiteral("new")));
        m_keychain.refuseWrites = m_keychain.lockAfterDelete = false;
        QVERIFY(setKeyringLocked(false));
        QVERIFY2(refusal == 2 || outcome.errorAs<KeychainError>(), qPrintable(failure(outcome)));
        if (refusal == 0)
            QCOMPARE(failure(outcome), "保存密码失败: 5");
        QCOMPARE(names(), QStringList{"kept"});
        QCOMPARE(password(kept), outcome.ok() && refusal ? "new" : "old");
    }

    // Every write of the profile table fails inside SQLite itself: neither the added
    // profile's password nor the edited one's new password stays, nor the deactivation that
    // an active new profile brings.
    void failedDatabaseWriteUndoesThePassword()
    {
        ServerConfig kept = profile("kept", -1000, true);
        const ServerConfig added = profile("added", 0, true);
        add(kept, "old secret");
        const QList<ServerConfig> before = m_repository->servers();
        for (const char *event : {"INSERT", "UPDATE OF name"})
            QVERIFY(exec(QStringLiteral("CREATE TRIGGER \"%1\" BEFORE %1 ON ServerConfigEntity "
                                        "BEGIN SELECT RAISE(ABORT, 'disk is full'); END")
                             .arg(event)));
        const auto addOutcome = runTask(m_repository->addServer(added, "pw"));
        QVERIFY(addOutcome.errorAs<StoreError>() && failure(addOutcome).contains("disk is full"));
        QCOMPARE(password(added), std::nullopt);
        kept.name = QStringLiteral("edited");
        QVERIFY(runTask(m_repository->updateServer(kept, "new secret")).errorAs<StoreError>());
        QCOMPARE(password(kept), "old secret");
        QCOMPARE(m_repository->servers(), before);
        reopen();
        QCOMPARE(m_repository->servers(), before);
    }

    void unusableFilesAreReportedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("contents"); // none: a database of a newer release
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a database") << QByteArray(4096, 'x') << "not a database";
        const QByteArray truncated = QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\0');
        QTest::newRow("truncated database") << truncated << "";
        QTest::newRow("of a newer release") << QByteArray() << "newer release";
    }

    // The failure names the file and the reason; the file stays exactly as it was.
    void unusableFilesAreReportedAndLeftAlone()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        QVERIFY(!contents.isEmpty() || exec("PRAGMA user_version = 99"));
        m_repository.reset();
        m_store.reset();
        if (!contents.isEmpty()) {
            QFile::remove(path() + "-wal");
            QFile out(path());
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(contents) == contents.size());
        }
        const QByteArray before = fileBytes(path());
        PersistenceController store(path());
        const auto failure = store.open();
        QVERIFY(failure && !store.isOpen());
        QVERIFY2(failure->contains(path()) && failure->contains(reason), qPrintable(*failure));
        QCOMPARE(fileBytes(path()), before);
        QCOMPARE(QFileInfo(path() + "-wal").size(), 0);
    }

    void keychainRoundTrip_data()
    {
        QTest::addColumn<QString>("secret");
        QTest::newRow("empty is present") << QString();
        QTest::newRow("chinese and umlauts") << QStringLiteral("密码 pässwörd");
        QTest::newRow("emoji") << QStringLiteral("🔑🗝️");
        QTest::newRow("reserved characters") << QStringLiteral("a&b=c+d%e f\"g'h\\i");
        QTest::newRow("line breaks and tab") << QStringLiteral("line1\nline2\r\n\t");
        QTest::newRow("leading byte order mark") << QStringLiteral("\uFEFFbom");
        QTest::newRow("long") << QString(10'000, u'x');
    }

    // Saved over an older password, read back exactly; one entry, so one delete leaves none,
    // and deleting what is not there succeeds.
    void keychainRoundTrip()
    {
        QFETCH(QString, secret);
        QCOMPARE(read(m_account), std::nullopt);
        QVERIFY(save("older") && save(secret));
        QCOMPARE(read(m_account), secret);
        QVERIFY(remove(m_account));
        QCOMPARE(read(m_account), std::nullopt);
        QVERIFY(remove(m_account));
    }

    // Another service neither sees nor deletes the password.
    void keychainServicesAreSeparate()
    {
        QVERIFY(save("mine"));
        KeychainHelper elsewhere(testService + ".other");
        QCOMPARE(read(m_account, &elsewhere), std::nullopt);
        QVERIFY(runTask(elsewhere.deletePassword(m_account)).value.value_or(false));
        QCOMPARE(read(m_account), "mine");
        QCOMPARE(KeychainError(KeychainError::Kind::deleteFailed, 5).localizedDescription(),
                 "删除密码失败: 5");
    }

    // A secret that is not UTF-8 is no password at all, and a save replaces it.
    void keychainUndecodableSecretIsAbsent()
    {
        QVERIFY(writeRaw(m_account, QByteArray("\xff\xfe\x00\x80", 4)));
        QCOMPARE(read(m_account), std::nullopt);
        QVERIFY(save("fixed"));
        QCOMPARE(read(m_account), "fixed");
    }

    // The database opens and holds every profile whose save had returned, with one active at
    // most; again after every further killed loop.
    void killedMidSaveKeepsEverySavedProfile()
    {
        for (const int wanted : {15, 25, 35}) {
            m_repository.reset();
            m_store.reset();
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(loopVariable, path());
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationFilePath(), {});
            QStringList saved; // every id printed before the kill
            const auto readSaved = [&] {
                while (child.canReadLine())
                    saved.append(QString::fromLatin1(child.readLine()).trimmed());
            };
            while (saved.size() < wanted && child.waitForReadyRead(10'000))
                readSaved();
            QVERIFY2(saved.size() >= wanted, child.readAllStandardError().constData());
            child.kill(); // SIGKILL: no clean-up of any kind
            QVERIFY(child.waitForFinished());
            readSaved();
            reopen();
            QSqlQuery query(m_store->database());
            QVERIFY(query.exec("SELECT id, isActive FROM ServerConfigEntity"));
            QStringList stored;
            int active = 0;
            while (query.next()) {
                stored.append(query.value(0).toString());
                active += query.value(1).toInt();
            }
            for (const QString &id : saved)
                QVERIFY2(stored.contains(id), qPrintable("lost profile " + id));
            QVERIFY(active <= 1);
        }
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(loopVariable))
        return saveForever(qEnvironmentVariable(loopVariable));
    TestServerRepository test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ServerRepository.moc"
