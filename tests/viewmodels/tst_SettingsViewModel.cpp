// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The server management model on a real SQLite file and the real credential store, talking to
// a local server: mirrored profiles, the connect flow, the connection test's errors, version
// loading, changes from the forms (and what an edit keeps of the saved secrets) and a model
// closed mid-request.
#include "ModelTesting.h"

#include "store/KeychainHelper.h"
#include "store/Persistence.h"
#include "viewmodels/ServerFormModel.h"
#include "viewmodels/SettingsViewModel.h"

#include <functional>

namespace {

const QString password = ApiHarness::password;
const QByteArray loginPath = ApiHarness::loginPath;
const QByteArray versionPath = ApiHarness::versionPath;
const QString goneId = QStringLiteral("6B1C9F0E-1111-4222-8333-944455556666");

// The real credential store under a service of these tests, made to refuse writes or reads on
// demand.
class TestKeychain : public KeychainHelper
{
public:
    TestKeychain() : KeychainHelper(QStringLiteral("app.seedwhirl.tests.settingsmodel")) {}
    bool refuseWrites = false;
    bool refuseReads = false;

    QCoro::Task<std::optional<QString>> getPassword(QString account) override
    {
        if (refuseReads)
            co_return std::nullopt;
        co_return co_await KeychainHelper::getPassword(std::move(account));
    }

    QCoro::Task<void> savePassword(QString secret, QString account) override
    {
        if (refuseWrites)
            throw KeychainError(KeychainError::Kind::saveFailed, 5);
        co_await KeychainHelper::savePassword(std::move(secret), std::move(account));
    }
};

} // namespace

class TestSettingsViewModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    TestKeychain m_keychain;
    std::unique_ptr<PersistenceController> m_store;
    std::unique_ptr<ServerRepository> m_repository;
    std::unique_ptr<ApiHarness> m_api;
    std::unique_ptr<SettingsViewModel> m_model;
    QStringList m_accounts; // passwords written outside the repository

    // A saved profile pointing at the local server, with its password stored.
    ServerConfig save(const QString &name, const QString &secret = password, bool active = false)
    {
        ServerConfig server = m_api->server.serverConfig();
        server.name = name;
        server.isActive = active;
        if (const auto outcome = runTask(m_repository->addServer(server, secret)); !outcome.ok())
            qWarning("saving a profile failed: %s", qPrintable(describe(outcome.error)));
        return server;
    }

    // Fills a new form, or one editing the profile `id`, over the model and saves it. Fields are
    // "property=value"; "-N" removes header row N, "+Name:value" adds a row, "hN=value" types a
    // value into row N.
    bool saveForm(const QStringList &fields, const QString &id = {})
    {
        ServerFormModel form;
        form.setSettings(m_model.get());
        if (!id.isEmpty() && !form.load(id))
            return false;
        for (const QString &field : fields) {
            const QString name = field.section(u'=', 0, 0), value = field.section(u'=', 1);
            if (field.startsWith(u'-')) {
                form.removeHeader(field.mid(1).toInt());
            } else if (field.startsWith(u'+')) {
                form.addHeader();
                form.setHeaderName(form.headerNames().size() - 1, field.mid(1).section(u':', 0, 0));
                form.setHeaderValue(form.headerNames().size() - 1, field.section(u':', 1));
            } else if (QRegularExpression(QStringLiteral("^h\\d$")).match(name).hasMatch()) {
                form.setHeaderValue(name.mid(1).toInt(), value);
            } else if (!form.setProperty(name.toLatin1(), value)) {
                qWarning("no form field %s", qPrintable(name));
            }
        }
        return runTask(form.saveProfile()).value.value_or(false);
    }
    QStringList localServer(const QString &name, const QString &secret = password) const
    {
        return {u"name="_qs + name, u"host="_qs + m_api->server.host(),
                u"port="_qs + QString::number(m_api->server.port()), u"password="_qs + secret};
    }

    std::optional<QString> storedPassword(const ServerConfig &server)
    {
        return runTask(m_keychain.getPassword(server.accountName())).value.value_or(std::nullopt);
    }

    // What differs from run to run in the model's steps: the port, and how long ago "now" was.
    QMap<QString, QString> varying() const
    {
        return {{QStringLiteral("\\b%1\\b").arg(m_api->server.port()), QStringLiteral("<port>")},
                {QStringLiteral("现在|\\d+\\s?秒钟?前"), QStringLiteral("<now>")}};
    }

private Q_SLOTS:
    void init()
    {
        m_keychain.refuseWrites = false;
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<PersistenceController>(m_dir->filePath("Seedwhirl.sqlite"));
        const auto failure = m_store->open();
        QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_store, m_keychain);
        m_api = std::make_unique<ApiHarness>();
        m_api->client.setPasswordProvider(
            [this](QString account) { return m_keychain.getPassword(std::move(account)); });
        auto timeouts = m_api->client.timeouts();
        timeouts.connectionTestMs = 1000;
        m_api->client.setTimeouts(timeouts);
        m_model = std::make_unique<SettingsViewModel>(*m_repository, m_api->client);
    }

    void cleanup()
    {
        m_model.reset();
        for (const ServerConfig &server : m_repository->servers())
            m_accounts.append(server.accountName());
        for (const QString &account : std::as_const(m_accounts))
            runTask(m_keychain.deletePassword(account));
        m_accounts.clear();
        m_api.reset();
        m_repository.reset();
        m_store.reset();
        m_dir.reset();
    }

    // Connecting activates the profile with the time of the connection and loads the version;
    // connecting again while the version fails keeps the version already shown.
    void connectActivatesAndLoadsTheVersion()
    {
        save(QStringLiteral("other"), password, true);
        const ServerConfig nas = save(QStringLiteral("NAS"));
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        Steps steps(*m_model, varying());
        QVERIFY(runTask(m_model->connectToServer(nas)).ok());
        steps.step(QStringLiteral("connected to NAS"));
        QVERIFY(m_model->activeServer()->lastConnectedAt >= before);
        QCOMPARE(m_api->client.currentServer()->id, nas.id);
        // The client's login asks for the version once, the model once more.
        QCOMPARE(m_api->server.requestsTo(versionPath).size(), 2);

        m_api->server.on(versionPath, TestResponse::withStatus(500));
        QVERIFY(runTask(m_model->connectToServer(nas)).ok());
        steps.step(QStringLiteral("connected again while the version fails"));
        COMPARE_STEPS(steps);

        // Editing the profile the client is on logs in with the new settings at once, unless
        // only its name changed; deleting it disconnects.
        const qsizetype logins = m_api->loginCount();
        ServerConfig renamed = *m_model->savedServer(nas.accountName());
        renamed.name = QStringLiteral("NAS 2");
        QVERIFY(runTask(m_model->updateServer(renamed, SecretChanges{})).value.value_or(false));
        ServerConfig prefixed = renamed;
        prefixed.pathPrefix = QStringLiteral("/qbt");
        QVERIFY(runTask(m_model->updateServer(prefixed, SecretChanges{})).value.value_or(false));
        QTRY_COMPARE(m_api->server.requestsTo("/qbt" + loginPath).size(), 1);
        QCOMPARE(m_api->loginCount(), logins);
        QVERIFY(runTask(m_model->deleteServer(nas.id)).ok());
        QVERIFY(!m_api->client.isAuthenticated() && !m_api->client.currentServer());
    }

    // A failed connection leaves the active profile as it was; without a stored password it
    // fails before anything is sent or logged.
    void connectFailures_data()
    {
        QTest::addColumn<QString>("storedPassword"); // empty: none stored
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("refused");
        QTest::newRow("no password stored") << QString() << true << false;
        QTest::newRow("wrong password") << QStringLiteral("wrong") << true << false;
        QTest::newRow("server gone") << password << true << true;
        QTest::newRow("profile not saved") << password << false << false;
    }
    void connectFailures()
    {
        QFETCH(QString, storedPassword);
        QFETCH(bool, saved);
        save(QStringLiteral("active"), password, true);
        ServerConfig target = m_api->server.serverConfig();
        if (saved) {
            target = save(QStringLiteral("target"), storedPassword.isEmpty() ? password : storedPassword);
            if (storedPassword.isEmpty())
                QVERIFY(runTask(m_keychain.deletePassword(target.accountName())).ok());
        } else {
            QVERIFY(runTask(m_keychain.savePassword(storedPassword, target.accountName())).ok());
            m_accounts.append(target.accountName());
        }
        if (QFETCH(bool, refused); refused)
            m_api->server.refuse();

        m_api->server.clearRequests();
        Steps steps(*m_model, varying());
        steps.forgetStart();
        QVERIFY(runTask(m_model->connectToServer(target)).ok());
        steps.step(QStringLiteral("connect"));
        COMPARE_STEPS(steps);
        if (storedPassword.isEmpty())
            QCOMPARE(m_api->server.requestCount(), 0);
    }

    // Each case: what is wrong with the form or the server = the test's error (debug and shown
    // texts). A test changes nothing that is observed.
    void connectionTestErrors()
    {
        COMPARE_CASES(QStringLiteral("connection-test.cases"), [this](const QString &wrong) {
            cleanup();
            init();
            TestHttpServer &server = m_api->server;
            ServerConfig config = server.serverConfig();
            QString secret = password;
            const TestResponse cut = TestResponse::json({}, TestResponse::Fault::closeWithoutAnswer);
            const QMap<QString, std::function<void()>> setups{
                {"wrong password", [&] { secret = QStringLiteral("nope"); }},
                {"not a qBittorrent port", [&] { server.on(loginPath, TestResponse::withStatus(404)); }},
                {"refused", [&] { server.refuse(); }},
                {"unknown host", [&] { config.host = QStringLiteral("nowhere.invalid"); }},
                {"no answer", [&] { server.on(loginPath, TestResponse::stall()); }},
                {"cut off", [&] { server.on(loginPath, cut); }}};
            setups.value(wrong, [] {})();
            QSignalSpy connecting(m_model.get(), &SettingsViewModel::isConnectingChanged);
            QSignalSpy errors(m_model.get(), &SettingsViewModel::errorChanged);
            QSignalSpy version(m_model.get(), &SettingsViewModel::serverVersionChanged);
            const auto outcome = runTask(m_model->testConnection(config, ServerSecrets{secret, {}, {}, {}}));
            const auto result = outcome.value.value_or(SettingsViewModel::TestResult{false, outcome.error});
            QString seen = result.success ? verdict(outcome) : describe(result.error);
            if (result.error)
                seen +=
                    QStringLiteral(" \"%1\"").arg(result.error->localizedDescription().replace(u'\n', u'|'));
            if (result.success == bool(result.error) ||
                connecting.count() + errors.count() + version.count() > 0 || m_api->client.isAuthenticated())
                seen += QStringLiteral(" (a change was observed)");
            return seen;
        });
    }

    void changesFromTheForms()
    {
        // The first profile saved becomes the active one; later ones are saved inactive.
        QAbstractItemModelTester tester(m_model->serversModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Steps steps(*m_model, varying());
        const QString host = m_api->server.host();
        QVERIFY(saveForm(localServer(QStringLiteral("first"))));
        QVERIFY(
            saveForm(localServer(QStringLiteral("second"), QStringLiteral("pw2")) << u"useHTTPS=true"_qs));
        steps.step(QStringLiteral("two added"));
        const ServerConfig second = m_model->servers().first();
        QCOMPARE(storedPassword(second), std::optional<QString>(QStringLiteral("pw2")));
        QCOMPARE(m_model->servers(), m_repository->servers());
        QCOMPARE(m_model->profile(m_model->servers().last().accountName()),
                 m_model->property("activeServer").value<ServerProfile>());
        QVERIFY(!m_model->profile(goneId).valid);
        {
            // A model made later starts from the repository's current values.
            SettingsViewModel later(*m_repository, m_api->client);
            QCOMPARE(later.servers(), m_repository->servers());
            QCOMPARE(later.activeServer(), m_repository->activeServer());
        }

        m_keychain.refuseWrites = true;
        QVERIFY(!saveForm(localServer(QStringLiteral("third"))));
        steps.step(QStringLiteral("a third whose password cannot be written"));
        m_keychain.refuseWrites = false;

        // An edit without a new password keeps the stored one and the profile's identity.
        const QStringList seedbox{u"host=seed.example.org"_qs, u"port=443"_qs, u"username=me"_qs};
        QVERIFY(saveForm(QStringList{u"name=Seedbox"_qs} + seedbox, second.accountName()));
        steps.step(QStringLiteral("the second edited, no password given"));
        QCOMPARE(m_model->servers().first().createdAt, second.createdAt);
        QCOMPARE(storedPassword(second), std::optional<QString>(QStringLiteral("pw2")));
        QVERIFY(saveForm(QStringList{u"name=Seedbox 2"_qs, u"password=pw3"_qs}, second.accountName()));
        QCOMPARE(storedPassword(second), std::optional<QString>(QStringLiteral("pw3")));

        m_model->remove(m_model->activeServer()->accountName());
        QTRY_COMPARE(m_model->servers().size(), 1);
        steps.step(QStringLiteral("renamed with a new password, the active one removed"));

        // A profile that is gone: each change is logged and held for the screen.
        const ServerConfig gone = m_api->server.serverConfig();
        m_model->connectTo(goneId);
        QVERIFY(
            !runTask(m_model->updateServer(gone, SecretChanges{QStringLiteral("new"), {}, {}, {}})).value.value_or(true));
        QVERIFY(runTask(m_model->deleteServer(gone.id)).ok());
        steps.step(QStringLiteral("connect, update and delete of a profile that is gone"));
        m_model->clearError();
        steps.step(QStringLiteral("error cleared"));
        COMPARE_STEPS(steps);
    }

    // Each case: what an edit of a saved profile (password pw, proxy headers X-A: a, X-B: b)
    // changes = what is stored afterwards. Empty secret fields keep what is saved.
    void editFormSecrets()
    {
        COMPARE_CASES(QStringLiteral("edit-form-secrets.cases"), [this](const QString &edits) {
            const QStringList headers{u"proxyAuthentication=2"_qs, u"+X-A:a"_qs, u"+X-B:b"_qs};
            if (!saveForm(localServer(QStringLiteral("edited"), QStringLiteral("pw")) + headers))
                return QStringLiteral("not saved");
            const ServerConfig saved = m_model->servers().first();
            QStringList fields = edits.split(u' ', Qt::SkipEmptyParts);
            m_keychain.refuseReads = fields.removeAll(u"unreadable"_qs) > 0;
            const bool edited = saveForm(fields, saved.accountName());
            m_keychain.refuseReads = false;
            const ServerConfig now = m_model->servers().first();
            const auto secrets = runTask(m_repository->loadSecrets(now)).value.value_or(std::nullopt);
            runTask(m_repository->deleteServer(now.id));
            if (!secrets)
                return QStringLiteral("not edited");
            QStringList rows;
            for (qsizetype i = 0; i < now.proxyHeaderNames.size(); ++i)
                rows.append(now.proxyHeaderNames[i] + u':' + secrets->headerValues.value(i, u"<none>"_qs));
            return (edited ? QString() : u"refused: "_qs) +
                   QStringList{secrets->password, secrets->proxyPassword, u'[' + rows.join(u", ") + u']',
                               secrets->apiKey}
                       .join(QStringLiteral(" | "));
        });
    }

    void portRule()
    {
        COMPARE_CASES(QStringLiteral("port-rule.cases"), [](const QString &quoted) {
            return SettingsViewModel::isValidPort(quoted.mid(1, quoted.size() - 2))
                       ? QStringLiteral("valid")
                       : QStringLiteral("invalid");
        });
    }

    // The screen goes away while its requests are in flight: the answers arrive and leave the
    // model alone.
    void destroyedWhileConnecting()
    {
        const ServerConfig nas = save(QStringLiteral("NAS"));
        m_api->server.enqueue(loginPath, late(TestResponse::loginOk(ApiHarness::sid)));
        LogCapture log;
        m_model->connectTo(nas.accountName());
        QVERIFY(m_api->server.waitForRequests(1));
        m_model.reset();
        QTRY_VERIFY(m_api->client.isAuthenticated());
        QTRY_VERIFY(log.contains(QStringLiteral("✅ qBittorrent 版本: v4.5.2")));
        QVERIFY(!m_repository->activeServer() ||
                m_repository->activeServer()->lastConnectedAt == std::nullopt);
        QVERIFY(log.startingWith(QStringLiteral("✅ 成功连接到服务器")).isEmpty());

        // The same while the version is being loaded.
        m_api->server.enqueue(versionPath, late(TestResponse::withStatus(500)));
        m_model = std::make_unique<SettingsViewModel>(*m_repository, m_api->client);
        m_model->startLoadServerVersion();
        m_model.reset();
        QTRY_VERIFY(log.contains(QStringLiteral("❌ 加载服务器版本失败: 服务器错误 (500)")));
    }
};

QTEST_GUILESS_MAIN(TestSettingsViewModel)
#include "tst_SettingsViewModel.moc"
