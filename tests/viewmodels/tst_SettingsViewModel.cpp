// The server management model on a real SQLite file and the real credential store, talking to
// a local server: mirrored profiles, the connect flow, the connection test's errors, version
// loading, changes from the forms and a model closed mid-request.
#include "ModelSnapshot.h"
#include "support/LogCapture.h"
#include "support/TaskRunner.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionManager.h"
#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "api/TransportError.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"
#include "viewmodels/SettingsViewModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QString password = QStringLiteral("adminadmin");
const QByteArray loginPath = "/api/v2/auth/login";
const QByteArray versionPath = "/api/v2/app/version";

// The real credential store under a service of these tests, made to refuse writes on demand.
class TestKeychain : public KeychainHelper
{
public:
    TestKeychain() : KeychainHelper(QStringLiteral("app.seedwhirl.tests.settingsmodel")) {}
    bool refuseWrites = false;

    QCoro::Task<void> savePassword(QString secret, QString account) override
    {
        if (refuseWrites)
            throw KeychainError(KeychainError::Kind::saveFailed, 5);
        co_await KeychainHelper::savePassword(std::move(secret), std::move(account));
    }
};

// Prepares one connection test: the server's behaviour, the profile and the password.
using ConnectionSetup = std::function<void(TestHttpServer &, ServerConfig &, QString &)>;

bool isNetworkError(const ErrorPtr &error, NetworkError::Kind kind)
{
    const auto *network = dynamic_cast<const NetworkError *>(error.get());
    return network && network->kind() == kind;
}

QString describe(const ErrorPtr &error)
{
    return error ? error->debugDescription() : QStringLiteral("(no error)");
}

} // namespace

Q_DECLARE_METATYPE(ConnectionSetup)

class TestSettingsViewModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    TestKeychain m_keychain;
    std::unique_ptr<PersistenceController> m_store;
    std::unique_ptr<ServerRepository> m_repository;
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<APIVersionManager> m_versions;
    std::unique_ptr<QBittorrentAPIClient> m_client;
    std::unique_ptr<SettingsViewModel> m_model;
    QStringList m_accounts; // passwords written outside the repository

    // A saved profile pointing at the local server, with its password stored.
    ServerConfig save(const QString &name, const QString &secret = password, bool active = false)
    {
        ServerConfig server = m_server->serverConfig();
        server.name = name;
        server.isActive = active;
        const auto outcome = runTask(m_repository->addServer(server, secret));
        if (!outcome.ok())
            qWarning("saving a profile failed: %s", qPrintable(describe(outcome.error)));
        return server;
    }

    std::optional<QString> storedPassword(const ServerConfig &server)
    {
        return runTask(m_keychain.getPassword(server.accountName())).value.value_or(std::nullopt);
    }

    int activeCount() const
    {
        int count = 0;
        for (const ServerConfig &server : m_repository->servers())
            count += server.isActive ? 1 : 0;
        return count;
    }

private Q_SLOTS:
    void init()
    {
        m_keychain.refuseWrites = false;
        m_dir = std::make_unique<QTemporaryDir>();
        m_store =
            std::make_unique<PersistenceController>(m_dir->filePath(QStringLiteral("Seedwhirl.sqlite")));
        const auto failure = m_store->open();
        QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_store, m_keychain);
        m_server = std::make_unique<TestHttpServer>();
        m_server->emulateLogin(QStringLiteral("admin"), password, "settingsSid");
        m_server->on(versionPath, TestResponse::text("v4.5.2"));
        m_versions = std::make_unique<APIVersionManager>();
        m_client = std::make_unique<QBittorrentAPIClient>(*m_versions);
        m_client->setPasswordProvider(
            [this](QString account) { return m_keychain.getPassword(std::move(account)); });
        auto timeouts = m_client->timeouts();
        timeouts.connectionTestMs = 1000;
        m_client->setTimeouts(timeouts);
        m_model = std::make_unique<SettingsViewModel>(*m_repository, *m_client);
    }

    void cleanup()
    {
        m_model.reset();
        for (const ServerConfig &server : m_repository->servers())
            runTask(m_keychain.deletePassword(server.accountName()));
        for (const QString &account : std::as_const(m_accounts))
            runTask(m_keychain.deletePassword(account));
        m_accounts.clear();
        m_client.reset();
        m_versions.reset();
        m_server.reset();
        m_repository.reset();
        m_store.reset();
        m_dir.reset();
    }

    void mirrorsTheRepository()
    {
        QAbstractItemModelTester tester(m_model->serversModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(!m_model->property("activeServer").value<ServerProfile>().valid);
        QSignalSpy active(m_model.get(), &SettingsViewModel::activeServerChanged);
        const ServerConfig first = save(QStringLiteral("first"), password, true);
        save(QStringLiteral("second"));
        QCOMPARE(active.count(), 1);
        QCOMPARE(m_model->servers(), m_repository->servers());
        // The rows and the active profile as the screens read them (the port is the test server's).
        COMPARE_SNAPSHOT(*m_model->serversModel(), QStringLiteral("settings-servers"), {"serverId", "port"});
        const auto shown = m_model->property("activeServer").value<ServerProfile>();
        QCOMPARE(shown, ServerProfile::of(*m_repository->activeServer()));
        QCOMPARE(shown.serverId, first.accountName());
        QCOMPARE(m_model->profile(first.accountName()), shown);
        QVERIFY(!m_model->profile(QStringLiteral("6B1C9F0E-1111-4222-8333-944455556666")).valid);

        // A model made later starts from the repository's current values.
        SettingsViewModel later(*m_repository, *m_client);
        QCOMPARE(later.servers(), m_repository->servers());
        QCOMPARE(later.activeServer(), m_repository->activeServer());
    }

    // Connecting activates the profile with the time of the connection and loads the version;
    // connecting again while the version fails keeps the version already shown.
    void connectActivatesAndLoadsTheVersion()
    {
        save(QStringLiteral("other"), password, true);
        const ServerConfig nas = save(QStringLiteral("NAS"));
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        LogCapture log;
        QSignalSpy connecting(m_model.get(), &SettingsViewModel::isConnectingChanged);
        QVERIFY(runTask(m_model->connectToServer(nas)).ok());
        QVERIFY2(!m_model->error(), qPrintable(describe(m_model->error())));
        QCOMPARE(connecting.count(), 2);
        QVERIFY(!m_model->isConnecting());
        QCOMPARE(m_model->activeServer()->id, nas.id);
        QCOMPARE(activeCount(), 1);
        QVERIFY(m_model->activeServer()->lastConnectedAt >= before);
        QCOMPARE(m_model->property("serverVersion").toString(), QStringLiteral("v4.5.2"));
        QCOMPARE(log.lines().last(), QStringLiteral("✅ 成功连接到服务器: NAS"));
        QCOMPARE(m_client->currentServer()->id, nas.id);
        // The client's login asks for the version once, the model once more.
        QCOMPARE(m_server->requestsTo(versionPath).size(), 2);

        m_server->on(versionPath, TestResponse::withStatus(500));
        QSignalSpy version(m_model.get(), &SettingsViewModel::serverVersionChanged);
        QVERIFY(runTask(m_model->connectToServer(nas)).ok());
        QVERIFY(!m_model->error() && !m_model->isConnecting());
        QCOMPARE(version.count(), 0);
        QCOMPARE(m_model->property("serverVersion").toString(), QStringLiteral("v4.5.2"));
        QVERIFY(log.contains(QStringLiteral("❌ 加载服务器版本失败: 服务器错误 (500)")));
        QCOMPARE(log.lines().last(), QStringLiteral("✅ 成功连接到服务器: NAS"));
    }

    // A failed connection leaves the active profile as it was; without a stored password it
    // fails before anything is sent or logged.
    void connectFailures_data()
    {
        QTest::addColumn<QString>("storedPassword"); // empty: none stored
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("description");
        const QString unauthorized = NetworkError::unauthorized().localizedDescription();
        QTest::newRow("no password stored") << QString() << true << false << unauthorized;
        QTest::newRow("wrong password") << QStringLiteral("wrong") << true << false << unauthorized;
        QTest::newRow("server gone")
            << password << true << true
            << TransportError(QNetworkReply::ConnectionRefusedError).localizedDescription();
        QTest::newRow("profile not saved") << password << false << false << QStringLiteral("服务器未找到");
    }
    void connectFailures()
    {
        QFETCH(QString, storedPassword);
        QFETCH(bool, saved);
        QFETCH(bool, refused);
        QFETCH(QString, description);
        const ServerConfig active = save(QStringLiteral("active"), password, true);
        ServerConfig target = m_server->serverConfig();
        target.name = QStringLiteral("target");
        if (saved) {
            target = save(target.name, storedPassword.isEmpty() ? password : storedPassword);
            if (storedPassword.isEmpty())
                QVERIFY(runTask(m_keychain.deletePassword(target.accountName())).ok());
        } else {
            QVERIFY(runTask(m_keychain.savePassword(storedPassword, target.accountName())).ok());
            m_accounts.append(target.accountName());
        }
        if (refused)
            m_server->refuse();

        m_server->clearRequests();
        LogCapture log;
        QSignalSpy connecting(m_model.get(), &SettingsViewModel::isConnectingChanged);
        QSignalSpy errors(m_model.get(), &SettingsViewModel::errorChanged);
        QVERIFY(runTask(m_model->connectToServer(target)).ok());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(m_model->property("errorMessage").toString(), description);
        const bool tried = !storedPassword.isEmpty();
        QCOMPARE(log.startingWith(QStringLiteral("❌")),
                 tried ? QStringList{QStringLiteral("❌ 连接服务器失败: ") + description} : QStringList());
        QVERIFY(log.startingWith(QStringLiteral("✅ 成功连接到服务器")).isEmpty());
        QCOMPARE(connecting.count(), tried ? 2 : 0);
        QVERIFY(!m_model->isConnecting());
        if (!tried)
            QCOMPARE(m_server->requestCount(), 0);
        QCOMPARE(m_model->activeServer()->id, active.id);
        QVERIFY(!m_model->activeServer()->lastConnectedAt);
    }

    void connectionTestErrors_data()
    {
        using Setup = ConnectionSetup;
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<bool>("success");
        QTest::addColumn<int>("kind");

        const auto kind = [](NetworkError::Kind k) { return int(k); };
        QTest::newRow("accepted") << Setup([](auto &, auto &, auto &) {}) << true << -1;
        QTest::newRow("wrong password")
            << Setup([](auto &, auto &, QString &pw) { pw = QStringLiteral("nope"); }) << false
            << kind(NetworkError::Kind::unauthorized);
        QTest::newRow("not a qBittorrent port") << Setup([](TestHttpServer &s, auto &, auto &) {
            s.on(loginPath, TestResponse::withStatus(404));
        }) << false << kind(NetworkError::Kind::serverError);
        QTest::newRow("refused") << Setup([](TestHttpServer &s, auto &, auto &) { s.refuse(); }) << false
                                 << kind(NetworkError::Kind::connectionFailed);
        QTest::newRow("unknown host")
            << Setup([](auto &, ServerConfig &c, auto &) { c.host = QStringLiteral("nowhere.invalid"); })
            << false << kind(NetworkError::Kind::connectionFailed);
        QTest::newRow("no answer") << Setup([](TestHttpServer &s, auto &, auto &) {
            s.on(loginPath, TestResponse::stall());
        }) << false << kind(NetworkError::Kind::timeout);
        QTest::newRow("cut off") << Setup([](TestHttpServer &s, auto &, auto &) {
            TestResponse cut;
            cut.fault = TestResponse::Fault::closeWithoutAnswer;
            s.on(loginPath, cut);
        }) << false << kind(NetworkError::Kind::networkError);
    }
    void connectionTestErrors()
    {
        QFETCH(ConnectionSetup, setup);
        QFETCH(bool, success);
        QFETCH(int, kind);
        ServerConfig server = m_server->serverConfig();
        QString secret = password;
        setup(*m_server, server, secret);

        QSignalSpy connecting(m_model.get(), &SettingsViewModel::isConnectingChanged);
        QSignalSpy errors(m_model.get(), &SettingsViewModel::errorChanged);
        QSignalSpy version(m_model.get(), &SettingsViewModel::serverVersionChanged);
        const auto outcome = runTask(m_model->testConnection(server, secret));
        QVERIFY(outcome.ok());
        const SettingsViewModel::TestResult result = *outcome.value;
        QCOMPARE(result.success, success);
        if (success) {
            QVERIFY(!result.error);
        } else {
            QVERIFY2(isNetworkError(result.error, NetworkError::Kind(kind)),
                     qPrintable(describe(result.error)));
        }
        if (kind == int(NetworkError::Kind::networkError)) {
            const auto &wrapped = static_cast<const NetworkError &>(*result.error).underlying();
            QVERIFY(dynamic_cast<const TransportError *>(wrapped.get()));
            QVERIFY(result.error->localizedDescription().endsWith(wrapped->localizedDescription()));
        }
        // A test changes nothing that is observed.
        QCOMPARE(connecting.count() + errors.count() + version.count(), 0);
        QVERIFY(!m_client->isAuthenticated());
    }

    // An edit or a removal of a profile that is gone is logged and held for the screen.
    void changesFromTheFormsLogTheirFailures_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("line");
        QTest::newRow("update") << true << QStringLiteral("❌ 更新服务器失败: 服务器未找到");
        QTest::newRow("delete") << false << QStringLiteral("❌ 删除服务器失败: 服务器未找到");
    }
    void changesFromTheFormsLogTheirFailures()
    {
        QFETCH(bool, update);
        QFETCH(QString, line);
        save(QStringLiteral("kept"));
        const QList<ServerConfig> before = m_model->servers();
        const ServerConfig gone = m_server->serverConfig();
        LogCapture log;
        QVERIFY(runTask(update ? m_model->updateServer(gone, QStringLiteral("new"))
                               : m_model->deleteServer(gone.id))
                    .ok());
        QCOMPARE(log.lines(), QStringList{line});
        QCOMPARE(m_model->property("errorMessage").toString(), line.section(QStringLiteral(": "), 1));
        QCOMPARE(m_model->servers(), before);
        m_model->clearError();
        QVERIFY(!m_model->property("hasError").toBool());
    }

    void changesFromTheForms()
    {
        // The first profile saved becomes the active one; later ones are saved inactive.
        m_model->addServer(QStringLiteral("first"), m_server->host(), m_server->port(),
                           QStringLiteral("admin"), password, false);
        QTRY_COMPARE(m_model->servers().size(), 1);
        m_model->addServer(QStringLiteral("second"), m_server->host(), m_server->port(),
                           QStringLiteral("admin"), QStringLiteral("pw2"), true);
        QTRY_COMPARE(m_model->servers().size(), 2);
        QCOMPARE(m_model->activeServer()->name, QStringLiteral("first"));
        QCOMPARE(activeCount(), 1);
        const ServerConfig second = m_model->servers().first();
        QCOMPARE(storedPassword(second), std::optional<QString>(QStringLiteral("pw2")));

        // A refused password write is logged and nothing is saved.
        m_keychain.refuseWrites = true;
        LogCapture log;
        m_model->addServer(QStringLiteral("third"), m_server->host(), 1, QStringLiteral("admin"), password,
                           false);
        QTRY_VERIFY(!log.lines().isEmpty());
        QCOMPARE(log.lines(),
                 QStringList{QStringLiteral("❌ 添加服务器失败: ") +
                             KeychainError(KeychainError::Kind::saveFailed, 5).localizedDescription()});
        QCOMPARE(m_model->servers().size(), 2);
        QVERIFY(!m_model->error());
        m_keychain.refuseWrites = false;

        // An edit without a new password keeps the stored one and the profile's identity.
        m_model->update(second.accountName(), QStringLiteral("Seedbox"), QStringLiteral("seed.example.org"),
                        443, QStringLiteral("me"), true, QVariant());
        QTRY_COMPARE(m_model->servers().first().name, QStringLiteral("Seedbox"));
        const ServerConfig edited = m_model->servers().first();
        QCOMPARE(edited.id, second.id);
        QCOMPARE(edited.createdAt, second.createdAt);
        QCOMPARE(edited.port, qint64(443));
        QVERIFY(edited.useHTTPS);
        QVERIFY(!edited.isActive);
        QCOMPARE(storedPassword(edited), std::optional<QString>(QStringLiteral("pw2")));
        m_model->update(second.accountName(), QStringLiteral("Seedbox 2"), edited.host, 443, edited.username,
                        true, QStringLiteral("pw3"));
        QTRY_COMPARE(m_model->servers().first().name, QStringLiteral("Seedbox 2"));
        QCOMPARE(storedPassword(edited), std::optional<QString>(QStringLiteral("pw3")));

        // Deleting the active profile leaves none active.
        m_model->remove(m_model->activeServer()->accountName());
        QTRY_COMPARE(m_model->servers().size(), 1);
        QVERIFY(!m_model->activeServer());
        QVERIFY(!m_model->property("activeServer").value<ServerProfile>().valid);
        QVERIFY(log.lines().size() == 1 && !m_model->error());

        // A row that is no longer there.
        m_model->connectTo(QStringLiteral("6B1C9F0E-1111-4222-8333-944455556666"));
        QCOMPARE(m_model->property("errorMessage").toString(), QStringLiteral("服务器未找到"));
        QCOMPARE(log.lines().last(), QStringLiteral("❌ 连接服务器失败: 服务器未找到"));
    }

    void portRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        for (const char *text : {"1", "65535", "+8080", "0000008080"})
            QTest::newRow(text) << QString::fromLatin1(text) << true;
        for (const char *text : {"0", "-0", "65536", "-1", "80a", "", "+", " 80", "18446744073709559000"})
            QTest::newRow(text) << QString::fromLatin1(text) << false;
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("٨٠") << false;
    }
    void portRule()
    {
        QFETCH(QString, text);
        QTEST(SettingsViewModel::isValidPort(text), "valid");
    }

    // The screen goes away while its requests are in flight: the answers arrive and leave the
    // model alone.
    void destroyedWhileConnecting()
    {
        const ServerConfig nas = save(QStringLiteral("NAS"));
        TestResponse late = TestResponse::loginOk("settingsSid");
        late.delayMs = 50;
        m_server->enqueue(loginPath, late);
        LogCapture log;
        m_model->connectTo(nas.accountName());
        QVERIFY(m_server->waitForRequests(1));
        m_model.reset();
        QTRY_VERIFY(m_client->isAuthenticated());
        QTRY_VERIFY(log.contains(QStringLiteral("✅ qBittorrent 版本: v4.5.2")));
        QVERIFY(!m_repository->activeServer() ||
                m_repository->activeServer()->lastConnectedAt == std::nullopt);
        QVERIFY(log.startingWith(QStringLiteral("✅ 成功连接到服务器")).isEmpty());

        // The same while the version is being loaded.
        TestResponse lateFailure = TestResponse::withStatus(500);
        lateFailure.delayMs = 50;
        m_server->enqueue(versionPath, lateFailure);
        m_model = std::make_unique<SettingsViewModel>(*m_repository, *m_client);
        m_model->startLoadServerVersion();
        m_model.reset();
        QTRY_VERIFY(log.contains(QStringLiteral("❌ 加载服务器版本失败: 服务器错误 (500)")));
    }
};

QTEST_GUILESS_MAIN(TestSettingsViewModel)
#include "tst_SettingsViewModel.moc"
