// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The saved profiles on a real SQLite file with passwords in the real credential store (the
// Secret Service of a private session, under a service name of its own), that store itself,
// and a process killed in the middle of a loop of profile saves.
#include "support/TaskRunner.h"

#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QtDBus>

#include <qt6keychain/keychain.h>

#include <cstdio>

namespace {

using Password = std::optional<QString>;
const QString testService = QStringLiteral("app.seedwhirl.tests.profiles");
const char *const loopVariable = "SEEDWHIRL_SAVE_LOOP_FILE";

// Locks or unlocks the keyring of the private test session (its password is set by
// tests/support/with-private-session.sh), as a locked screen does.
bool setKeyringLocked(bool locked)
{
    QDBusMessage answer;
    const auto call = [&](const char *interface, const char *method, const QVariantList &arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall("org.freedesktop.secrets",
                                                              "/org/freedesktop/secrets", interface, method);
        message.setArguments(arguments);
        answer = QDBusConnection::sessionBus().call(message);
        return answer.type() == QDBusMessage::ReplyMessage;
    };
    const QDBusObjectPath login(QStringLiteral("/org/freedesktop/secrets/collection/login"));
    const char *const service = "org.freedesktop.Secret.Service";
    if (locked)
        return call(service, "Lock", {QVariant::fromValue(QList{login})});
    if (!call(service, "OpenSession", {"plain", QVariant::fromValue(QDBusVariant(""))}))
        return false;
    QDBusArgument secret;
    secret.beginStructure();
    secret << answer.arguments().at(1).value<QDBusObjectPath>() << QByteArray() << QByteArray("seedwhirl")
           << QStringLiteral("text/plain");
    secret.endStructure();
    return call("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface", "UnlockWithMasterPassword",
                {QVariant::fromValue(login), QVariant::fromValue(secret)});
}

// The real credential store, made to lock its keyring right after a delete, or to refuse the
// writes of accounts ending in refusedSuffix.
struct LockingKeychain : KeychainHelper
{
    LockingKeychain() : KeychainHelper(testService) {}
    bool lockAfterDelete = false;
    QString refusedSuffix;

    QCoro::Task<void> savePassword(QString password, QString account) override
    {
        if (!refusedSuffix.isEmpty() && account.endsWith(refusedSuffix))
            throw KeychainError(KeychainError::Kind::saveFailed, 0);
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

// Connection settings; a certificate, fingerprint and proxy user name come along where they apply.
struct Settings
{
    QString pathPrefix;
    CertificateTrust trust = CertificateTrust::system;
    ProxyAuthentication proxy = ProxyAuthentication::none;
    QStringList headerNames;
    bool useApiKey = false;

    ServerConfig applied(ServerConfig server) const
    {
        const QByteArray der("\x30\x82\x00\xff", 4);
        server.pathPrefix = pathPrefix;
        server.certificateTrust = trust;
        server.caCertificate = trust == CertificateTrust::customCA ? der : QByteArray();
        server.pinnedCertificate = trust == CertificateTrust::pinned ? der : QByteArray();
        server.pinnedFingerprint = trust == CertificateTrust::pinned ? "30:82:00:FF" : "";
        server.proxyAuthentication = proxy;
        server.proxyUsername = proxy == ProxyAuthentication::basic ? "代理用户" : "";
        server.proxyHeaderNames = headerNames;
        server.useApiKey = useApiKey;
        return server;
    }
};

// Every credential-store account a test profile may have.
QStringList accounts(const ServerConfig &server)
{
    using enum ServerConfig::Secret;
    return {server.accountName(),
            server.secretAccount(proxyPassword),
            server.secretAccount(apiKey),
            server.secretAccount(headerValue, 0),
            server.secretAccount(headerValue, 1),
            server.secretAccount(headerValue, 2)};
}

// Writes raw bytes as a secret, bypassing the helper (to plant what it would never write).
bool writeRaw(const QString &account, const QByteArray &bytes)
{
    QKeychain::WritePasswordJob job(testService);
    job.setAutoDelete(false);
    job.setKey(account);
    job.setBinaryData(bytes);
    QSignalSpy finished(&job, &QKeychain::Job::finished);
    job.start();
    return finished.wait() && job.error() == QKeychain::NoError;
}

// The child: saves profiles until it is killed, printing each id once its save returned.
int saveForever(const QString &path)
{
    PersistenceController store(path);
    if (const auto failure = store.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*failure));
        return 2;
    }
    LockingKeychain keychain;
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
    LockingKeychain m_keychain;
    std::unique_ptr<PersistenceController> m_store;
    std::unique_ptr<ServerRepository> m_repository;
    QString m_account; // of the credential store's own cases

    QString path() const { return m_dir->filePath(QStringLiteral("Seedwhirl.sqlite")); }

    void reopen()
    {
        m_repository.reset();
        m_store = std::make_unique<PersistenceController>(path());
        const auto failure = m_store->open();
        QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_store, m_keychain);
    }

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
    // The secrets the credential store holds for a profile ("<account suffix>=<value>"), then
    // what loadSecrets gives ("password|proxy password|header values|API key").
    QString secretsOf(const ServerConfig &server)
    {
        QStringList stored;
        for (const QString &account : accounts(server)) {
            if (const Password value = read(account))
                stored.append(account.mid(server.accountName().size()) + '=' + *value);
        }
        const auto s = runTask(m_repository->loadSecrets(server)).value.value_or(std::nullopt);
        stored.append(
            !s ? "absent"
               : QStringList{s->password, s->proxyPassword, s->headerValues.join(','), s->apiKey}.join('|'));
        return stored.join(' ');
    }

private Q_SLOTS:
    void init()
    {
        m_keychain.lockAfterDelete = false;
        m_keychain.refusedSuffix.clear();
        m_account = QUuid::createUuid().toString(QUuid::WithoutBraces);
        m_dir = std::make_unique<QTemporaryDir>();
        reopen();
    }

    void cleanup()
    {
        setKeyringLocked(false);
        remove(m_account);
        for (const ServerConfig &server : m_repository ? m_repository->servers() : QList<ServerConfig>()) {
            for (const QString &account : accounts(server))
                remove(account);
        }
        m_repository.reset();
        m_store.reset();
    }

    // Newest first, passwords alongside, a single active profile, the same after a restart.
    // createdAt and lastConnectedAt are not the form's to change. A profile whose password is
    // gone deletes as well. A profile that is not there is neither updated (nor its password
    // written) nor activated, and the active one stays.
    void savedProfiles()
    {
        const ServerConfig older = profile("older", -1000), newer = profile("newer", 0, true),
                           third = profile("third", 1000, true), ghost = profile("ghost");
        add(older, "pw-old");
        add(newer, "密码✓");
        add(third, QString());
        QCOMPARE(names(), QStringList({"third*", "newer", "older"}));
        QCOMPARE(password(newer), "密码✓");
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        m_repository->setActiveServer(older.id);
        QCOMPARE(names(), QStringList({"third", "newer", "older*"}));
        QVERIFY(*m_repository->activeServer()->lastConnectedAt >= before);
        const QList<ServerConfig> saved = m_repository->servers();
        reopen();
        QCOMPARE(m_repository->servers(), saved);

        ServerConfig expected = saved.last(), form = expected;
        expected.name = form.name = QStringLiteral("renamed");
        expected.port = form.port = 9090;
        form.createdAt = form.createdAt.addDays(-3);
        form.lastConnectedAt = form.lastConnectedAt->addDays(1);
        QCOMPARE(failure(runTask(m_repository->updateServer(form, std::nullopt))), QString());
        QCOMPARE(m_repository->servers().last(), expected);
        QCOMPARE(failure(runTask(m_repository->deleteServer(newer.id))), QString());
        remove(third.accountName());
        QCOMPARE(failure(runTask(m_repository->deleteServer(third.id))), QString());

        QCOMPARE(failure(runTask(m_repository->updateServer(ghost, QStringLiteral("x")))), "服务器未找到");
        QCOMPARE(password(ghost), std::nullopt);
        QVERIFY_THROWS_EXCEPTION(RepositoryError, m_repository->setActiveServer(ghost.id));
        add(profile("later", 2000), {});
        QCOMPARE(names(), QStringList({"later", "renamed*"}));

        // Rows another release or a hand edit left: of two active ones the newer shows; a row
        // without an id gets one.
        QVERIFY(exec("UPDATE ServerConfigEntity SET isActive = 1"));
        QVERIFY(exec("INSERT INTO ServerConfigEntity (port, useHTTPS, isActive) VALUES (80, 0, 0)"));
        m_repository->loadServers();
        QCOMPARE(m_repository->activeServer()->name, "later");
        const ServerConfig bare = m_repository->servers().last();
        QVERIFY(!bare.id.isNull() && bare.name.isEmpty() && bare.createdAt.isValid() &&
                !bare.lastConnectedAt);
    }

    // A store of the first release opens with every profile as it was, the later settings at
    // their defaults and the passwords where they were; opening it again changes nothing.
    void migratesFirstReleaseStore()
    {
        m_repository.reset();
        m_store.reset();
        QVERIFY(QFile::remove(path()));
        QVERIFY(QFile::copy(SEEDWHIRL_FIXTURES_DIR "/store/profiles-schema1.sqlite", path()));
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner));
        for (const char *account :
             {"0E6A4C1B-8D2F-4A57-9B3C-1F2E3D4C5B6A", "7C1D2E3F-4A5B-4C6D-8E7F-9A0B1C2D3E4F",
              "A1B2C3D4-E5F6-4789-8ABC-DEF012345678"})
            QVERIFY(runTask(m_keychain.savePassword("pw", account)).ok());
        reopen();
        QStringList rows;
        for (const ServerConfig &s : m_repository->servers()) {
            QCOMPARE(s, Settings{}.applied(s));
            rows.append(QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                            .arg(s.accountName(), s.name, s.host, QString::number(s.port), s.username)
                            .arg(s.useHTTPS)
                            .arg(s.isActive)
                            .arg(s.createdAt.toMSecsSinceEpoch())
                            .arg(s.lastConnectedAt ? s.lastConnectedAt->toMSecsSinceEpoch() : 0) +
                        ' ' + secretsOf(s));
        }
        // clang-format off
        QCOMPARE(rows, QStringList({
            "A1B2C3D4-E5F6-4789-8ABC-DEF012345678 IPv6 fd00::2 9090  0 0 1764000180000 0 =pw pw|||",
            "7C1D2E3F-4A5B-4C6D-8E7F-9A0B1C2D3E4F Seedbox seedbox.example.org 443 seeder 1 1 1764000120000 1796653627029 =pw pw|||",
            "0E6A4C1B-8D2F-4A57-9B3C-1F2E3D4C5B6A 家里的 NAS nas.local 8080 admin 0 0 1764000060000 0 =pw pw|||"}));
        // clang-format on
        const QList<ServerConfig> migrated = m_repository->servers();
        m_repository.reset();
        m_store.reset();
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        reopen();
        QCOMPARE(m_repository->servers(), migrated);
        QCOMPARE((file.seek(0), file.readAll()), before);
    }

    void connectionSettings_data()
    {
        using enum CertificateTrust;
        using enum ProxyAuthentication;
        QTest::addColumn<Settings>("added");
        QTest::addColumn<ServerSecrets>("secrets");
        QTest::addColumn<QString>("afterAdd"); // see secretsOf
        QTest::addColumn<Settings>("updated");
        QTest::addColumn<SecretChanges>("changes");
        QTest::addColumn<QString>("afterUpdate");
        // clang-format off
        QTest::newRow("every setting, then none")
            << Settings{"/qbt", pinned, headers, {"X-A", "X-B"}, true} << ServerSecrets{"pw", "pp", {"h0", "h1", "h2"}, "k"}
            << "=pw /api-key=k /header-0=h0 /header-1=h1 ||h0,h1|k"
            << Settings{" //a//b/ ", system, none, {}, false} << SecretChanges{} << "=pw pw|||";
        QTest::newRow("kept, replaced, emptied")
            << Settings{"", customCA, basic, {}, true} << ServerSecrets{"pw", "pp", {}, "k"}
            << "=pw /proxy-password=pp /api-key=k |pp||k"
            << Settings{"/", customCA, basic, {}, true} << SecretChanges{{}, "", {}, "k2"} << "=pw /api-key=k2 |||k2";
        QTest::newRow("header names dropped")
            << Settings{"/x", system, headers, {"A", "B", "C"}, false} << ServerSecrets{"pw", {}, {"a", "b", "c"}, {}}
            << "=pw /header-0=a /header-1=b /header-2=c pw||a,b,c|"
            << Settings{"x", system, headers, {"A", "X"}, false} << SecretChanges{} << "=pw /header-0=a /header-1=b pw||a,b|";
        QTest::newRow("switched on by an update")
            << Settings{} << ServerSecrets{"pw", "pp", {"h"}, "k"} << "=pw pw|||"
            << Settings{"", pinned, basic, {}, true} << SecretChanges{"", "new", {}, "key"}
            << "= /proxy-password=new /api-key=key |new||key";
        QTest::newRow("a needed API key missing")
            << Settings{"", system, headers, {"A", "B"}, false} << ServerSecrets{"pw", {}, {"a"}, {}}
            << "=pw /header-0=a pw||a,|"
            << Settings{"", system, headers, {"A", "B"}, true} << SecretChanges{{}, {}, QStringList{"", "b"}, {}}
            << "=pw /header-1=b absent";
        // clang-format on
    }

    // The settings of a profile through an add, an update and a restart; its secrets saved,
    // kept, replaced or removed by each change (none that the settings do not use), and all
    // of them gone with the profile.
    void connectionSettings()
    {
        QFETCH(Settings, added);
        QFETCH(ServerSecrets, secrets);
        QFETCH(QString, afterAdd);
        QFETCH(Settings, updated);
        QFETCH(SecretChanges, changes);
        QFETCH(QString, afterUpdate);
        const ServerConfig base = profile("p"), saved = added.applied(base);
        QCOMPARE(failure(runTask(m_repository->addServer(saved, secrets))), QString());
        QCOMPARE(m_repository->servers(), QList{saved});
        QCOMPARE(secretsOf(saved), afterAdd);
        ServerConfig changed = updated.applied(base);
        QCOMPARE(failure(runTask(m_repository->updateServer(changed, changes))), QString());
        reopen();
        changed.pathPrefix = ServerConfig::normalizedPathPrefix(changed.pathPrefix);
        QCOMPARE(m_repository->servers(), QList{changed});
        QCOMPARE(secretsOf(changed), afterUpdate);
        QCOMPARE(failure(runTask(m_repository->deleteServer(changed.id))), QString());
        QCOMPARE(secretsOf(changed), "absent");
    }

    void unsavablePassword_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("error"); // what the save fails with; none: it succeeds
        // clang-format off
        QTest::newRow("add, keyring locked") << false << "lock" << "保存密码失败";
        QTest::newRow("update, keyring locked") << true << "lock" << "保存密码失败";
        QTest::newRow("update, keyring locks after a delete") << true << "lock after delete" << "";
        QTest::newRow("add, the database write fails") << false << "database" << "disk is full";
        QTest::newRow("update, the database write fails") << true << "database" << "disk is full";
        QTest::newRow("update, the API key refused after the password") << true << "/api-key" << "保存密码失败";
        // clang-format on
    }

    // A secret the store cannot write, or a profile row SQLite cannot write, leaves neither the
    // new profile nor its secrets behind on an add, and the old ones on an update: a profile
    // has its new password and API key exactly when its save succeeded. The deactivation that
    // an active new profile brings is undone as well.
    void unsavablePassword()
    {
        QFETCH(bool, update);
        QFETCH(QString, refusal);
        QFETCH(QString, error);
        const ServerConfig kept = profile("kept", -1000, true);
        ServerConfig changed = update ? kept : profile("new", 0, true);
        changed.name = QStringLiteral("changed");
        changed.useApiKey = true;
        add(kept, "old");
        m_keychain.lockAfterDelete = refusal == "lock after delete";
        m_keychain.refusedSuffix = refusal.startsWith('/') ? refusal : QString();
        QVERIFY(refusal != "lock" || setKeyringLocked(true));
        const QString trigger =
            "CREATE TRIGGER \"%1\" BEFORE %1 ON ServerConfigEntity BEGIN SELECT RAISE(ABORT, "
            "'disk is full'); END";
        for (const char *event : {"INSERT", "UPDATE OF name"})
            QVERIFY(refusal != "database" || exec(trigger.arg(event)));
        const auto outcome =
            update ? runTask(m_repository->updateServer(changed, SecretChanges{"new", {}, {}, "key"}))
                   : runTask(m_repository->addServer(changed, ServerSecrets{"new", {}, {}, "key"}));
        m_keychain.lockAfterDelete = false;
        m_keychain.refusedSuffix.clear();
        QVERIFY(setKeyringLocked(false));
        QVERIFY2(error.isEmpty() ? outcome.ok() : failure(outcome).contains(error),
                 qPrintable(failure(outcome)));
        reopen();
        QCOMPARE(names(), QStringList{error.isEmpty() ? "changed*" : "kept*"});
        QCOMPARE(password(kept), error.isEmpty() ? "new" : "old");
        QCOMPARE(read(changed.secretAccount(ServerConfig::Secret::apiKey)),
                 error.isEmpty() ? Password("key") : std::nullopt);
        if (!update)
            QCOMPARE(password(changed), std::nullopt);
    }

    void unusableFilesAreReportedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("contents"); // none: the database, changed by the statements
        QTest::addColumn<QString>("statements");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("not a database") << QByteArray(4096, 'x') << "" << "not a database";
        QTest::newRow("truncated database") << QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\0') << "" << "";
        QTest::newRow("of a newer release") << QByteArray() << "PRAGMA user_version = 99" << "newer release";
        // clang-format on
        // The first new column is added before the second one fails.
        QTest::newRow("migration failing halfway")
            << QByteArray() << "ALTER TABLE ServerConfigEntity DROP COLUMN pathPrefix;PRAGMA user_version = 1"
            << "duplicate column name: certificateTrust";
    }

    // The failure names the file and the reason; the file stays exactly as it was.
    void unusableFilesAreReportedAndLeftAlone()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, statements);
        QFETCH(QString, reason);
        for (const QString &statement : statements.split(';', Qt::SkipEmptyParts))
            QVERIFY(exec(statement));
        m_repository.reset();
        m_store.reset();
        QFile file(path()); // the test's own access must not change it, so no buffering
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        if (!contents.isEmpty()) {
            QFile::remove(path() + "-wal");
            QVERIFY(file.resize(0) && file.write(contents) == contents.size());
        }
        QVERIFY(file.seek(0));
        const QByteArray before = file.readAll();
        PersistenceController store(path());
        const auto failure = store.open();
        QVERIFY(failure && !store.isOpen());
        QVERIFY2(failure->contains(path()) && failure->contains(reason), qPrintable(*failure));
        QVERIFY(file.seek(0));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QFileInfo(path() + "-wal").size(), 0);
    }

    // Each secret, saved over an older password, reads back exactly; one entry, so one delete
    // leaves none, and deleting what is not there succeeds. A secret that is not UTF-8 is no
    // password at all, and a save replaces it. Another service neither sees nor deletes it.
    void credentialStore()
    {
        const QString secrets[] = {QString(), QStringLiteral("密码 pässwörd 🔑🗝️"),
                                   QStringLiteral("a&b=c+d%e f\"g'h\\i\nj\r\n\t"),
                                   QStringLiteral("\uFEFFbom"), QString(10'000, u'x')};
        for (const QString &secret : secrets) {
            QVERIFY(save("older") && save(secret));
            QCOMPARE(read(m_account), secret);
            QVERIFY(remove(m_account));
            QCOMPARE(read(m_account), std::nullopt);
            QVERIFY(remove(m_account));
        }
        QVERIFY(writeRaw(m_account, QByteArray("\xff\xfe\x00\x80", 4)));
        QCOMPARE(read(m_account), std::nullopt);
        QVERIFY(save("mine"));
        KeychainHelper elsewhere(testService + ".other");
        QCOMPARE(read(m_account, &elsewhere), std::nullopt);
        QVERIFY(runTask(elsewhere.deletePassword(m_account)).value.value_or(false));
        QCOMPARE(read(m_account), "mine");
        QCOMPARE(KeychainError(KeychainError::Kind::deleteFailed, 5).localizedDescription(),
                 "删除密码失败: 5");
    }

    // The database opens and holds every profile whose save had returned, with one active at
    // most; again after every further killed loop.
    void killedMidSaveKeepsEverySavedProfile()
    {
        for (const int wanted : {15, 25, 35}) {
            m_repository.reset();
            m_store.reset();
            QProcess child;
            qputenv(loopVariable, path().toUtf8());
            child.start(QCoreApplication::applicationFilePath(), {});
            qunsetenv(loopVariable);
            while (child.peek(1 << 20).count('\n') < wanted && child.waitForReadyRead(10'000)) {
            }
            child.kill(); // SIGKILL: no clean-up of any kind
            QVERIFY(child.waitForFinished());
            QStringList saved = QString::fromLatin1(child.readAllStandardOutput()).split('\n');
            saved.removeLast(); // what follows the last line break: nothing, or a line cut short
            QVERIFY2(saved.size() >= wanted, child.readAllStandardError().constData());
            reopen();
            QStringList stored;
            for (const ServerConfig &server : m_repository->servers())
                stored.append(server.accountName() + (server.isActive ? "*" : ""));
            for (const QString &id : saved)
                QVERIFY2(stored.contains(id) || stored.contains(id + "*"), qPrintable("lost profile " + id));
            QVERIFY(stored.filter("*").size() <= 1);
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
