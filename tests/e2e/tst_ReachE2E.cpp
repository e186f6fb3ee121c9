// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The ways a user reaches a server, for real (the reach fixture, partly in front of the e2e
// server): HTTPS with a pinned certificate or a CA of the profile's own, nginx under a path with
// HTTP Basic or a secret header, a port forwarder, a server that bans after failed logins. The
// profiles with secrets are saved in a real profile database and the credential store and
// connect with what those hand back. The cases run in order; the last looks for every secret
// the run used in what it wrote.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/LogCapture.h"

#include "api/APIVersionManager.h"
#include "api/CertificateError.h"
#include "api/SessionCookieJar.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"
#include "viewmodels/SettingsViewModel.h"

#include <QFile>
#include <QNetworkCookie>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int waitMs = 15'000;
constexpr int toolMs = 40'000;
const QString apiKey = QStringLiteral("qbt_e2eReachKey0123456789abcdef");

// "ok", the kind of a certificate refusal, or the error's debug text.
QString result(const ErrorPtr &error)
{
    static const char *const kinds[] = {"untrusted",   "changed",          "expired",
                                        "notYetValid", "hostNameMismatch", "invalid"};
    if (const auto *certificate = dynamic_cast<const CertificateError *>(error.get()))
        return QLatin1String(kinds[int(certificate->kind())]);
    return QString::fromUtf8(describe(error));
}
template <typename T> QString result(const Outcome<T> &outcome)
{
    return outcome.finished ? result(outcome.error) : QStringLiteral("did not finish");
}

} // namespace

class ReachE2ETest : public QObject
{
    Q_OBJECT

    LogCapture m_log; // the first member, so that it sees every line of the run
    E2EServer m_server;
    QHash<QByteArray, QString> m_reach;
    QString m_workDir;
    QTemporaryDir m_tempDir;
    QString m_databasePath = m_tempDir.filePath(QStringLiteral("store/") + PersistenceController::fileName);

    KeychainHelper m_keychain{QStringLiteral("app.seedwhirl.Seedwhirl.e2e-reach")};
    APIVersionManager m_versions;
    QBittorrentAPIClient m_client{m_versions};
    QString m_storedPassword; // what the password provider hands a re-login
    std::unique_ptr<PersistenceController> m_persistence;
    std::unique_ptr<ServerRepository> m_repository;

    ServerConfig m_https;
    QString m_certificate = QStringLiteral("self"); // the one the HTTPS server presents
    QSslCertificate m_approved;                     // what the user approves for pinning
    QList<Secret> m_secrets;                        // each one this run sent somewhere

    QString reach(const char *key) const { return m_reach.value(QByteArray("SEEDWHIRL_REACH_") + key); }
    quint16 port(const QString &key) const { return reach(qPrintable(key)).toUShort(); }
    QString password() const { return reach("PASSWORD"); }

    QString useCertificate(const QString &name)
    {
        m_certificate = name;
        return runTool(reach("PYTHON"), {reach("TOOL"), QStringLiteral("use-cert"), reach("STATE_DIR"), name},
                       toolMs);
    }

    // The HTTPS server's own log lines that contain `text` (it notes each login there).
    qsizetype serverLogLines(const QString &text) const
    {
        QFile file(reach("HTTPS_LOG"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).count(text) : -1;
    }

    void rememberSessionCookie()
    {
        for (const QNetworkCookie &cookie : m_client.cookieJar().cookies())
            m_secrets.append({QStringLiteral("a session cookie"), QString::fromLatin1(cookie.value())});
    }

private Q_SLOTS:
    void initTestCase()
    {
        qtMessages();
        QStandardPaths::setTestModeEnabled(true);
        E2E_TRY(m_server = E2EServer::fromEnvironment(); m_reach = readEnvironmentFile("SEEDWHIRL_REACH_ENV");
                m_workDir = m_server.freshDirectory(QStringLiteral("reach")));
        QVERIFY(m_tempDir.isValid() && !reach("HTTPS_PORT").isEmpty());
        m_client.setPasswordProvider(
            [this](QString) -> QCoro::Task<std::optional<QString>> { co_return m_storedPassword; });
        m_storedPassword = password();
        m_persistence = std::make_unique<PersistenceController>(m_databasePath);
        const std::optional<QString> openError = m_persistence->open();
        QVERIFY2(!openError, qPrintable(openError.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_persistence, m_keychain);
        m_https = ServerConfig::create(QStringLiteral("https"), QStringLiteral("127.0.0.1"),
                                       port("HTTPS_PORT"), reach("USERNAME"), true);
        m_secrets = {{QStringLiteral("the password"), password()},
                     {QStringLiteral("the proxy password"), reach("PROXY_PASSWORD")},
                     {QStringLiteral("the header value"), reach("HEADER_VALUE")},
                     {QStringLiteral("the API key"), apiKey}};
    }

    void cleanupTestCase()
    {
        const QList<ServerConfig> saved = m_repository ? m_repository->servers() : QList<ServerConfig>();
        for (const ServerConfig &server : saved)
            runTask(m_repository->deleteServer(server.id));
    }

    // The certificate the HTTPS server presents against what the profile trusts. A session
    // that lives on meets a new certificate at its next request, not at a login.
    void certificates_data()
    {
        QTest::addColumn<QString>("certificate");
        QTest::addColumn<CertificateTrust>("trust");
        QTest::addColumn<QString>("expected");
        using enum CertificateTrust;
        QTest::newRow("self-signed, system trust") << "self" << system << "untrusted";
        QTest::newRow("self-signed, pinned") << "self" << pinned << "ok";
        QTest::newRow("another self-signed, pinned") << "other" << pinned << "changed";
        QTest::newRow("from the CA, system trust") << "signed" << system << "untrusted";
        QTest::newRow("from the CA, profile's CA") << "signed" << customCA << "ok";
        QTest::newRow("from the CA for another name") << "wrong" << customCA << "hostNameMismatch";
    }
    void certificates()
    {
        QFETCH(QString, certificate);
        QFETCH(CertificateTrust, trust);
        QFETCH(QString, expected);
        if (m_certificate != certificate)
            QCOMPARE(useCertificate(certificate), QString());

        ServerConfig config = m_https;
        config.certificateTrust = trust;
        if (trust == CertificateTrust::pinned) {
            config.pinnedCertificate = m_approved.toDer();
            config.pinnedFingerprint = CertificateError::fingerprint(m_approved);
        }
        if (QFile ca(reach("CA")); trust == CertificateTrust::customCA && ca.open(QIODevice::ReadOnly))
            config.caCertificate = ca.readAll();

        QStringList signalled;
        const auto connection =
            connect(&m_client, &QBittorrentAPIClient::certificateRejected, this,
                    [&](const ServerConfig &, std::shared_ptr<const CertificateError> error) {
                        signalled.append(error->presentedFingerprint());
                    });
        ErrorPtr failure;
        const auto run = [&](auto task) {
            const auto outcome = runTask(std::move(task));
            failure = outcome.error;
            return result(outcome);
        };
        const bool session =
            m_client.isAuthenticated() && m_client.currentServer()->certificateTrust == trust;
        QCOMPARE(session ? run(m_client.getSyncData(std::nullopt)) : run(m_client.login(config, password())),
                 expected);
        disconnect(connection);

        const QString presented = reach(qPrintable(QStringLiteral("FINGERPRINT_") + certificate.toUpper()));
        const auto *error = dynamic_cast<const CertificateError *>(failure.get());
        QCOMPARE(signalled, error ? QStringList{presented} : QStringList());
        if (error) {
            QCOMPARE(error->presentedFingerprint(), presented);
            if (expected == QLatin1String("changed"))
                QCOMPARE(error->pinnedFingerprint(), reach("FINGERPRINT_SELF"));
            if (trust == CertificateTrust::system && certificate == QLatin1String("self"))
                m_approved = error->certificate();
            return;
        }
        AWAIT(mainData, m_client.getMainData());
        AWAIT_OK(runTask(m_client.setDownloadLimit(2'048'000)));
        AWAIT(transfer, m_client.getTransferInfo());
        QCOMPARE(transfer.value->dlRateLimit, qint64(2'048'000));
        AWAIT_OK(runTask(m_client.setDownloadLimit(0)));
        rememberSessionCookie();
    }

    // nginx in front of the e2e server under a path, with HTTP Basic or a header, socat on
    // another port, and an API key the server (4.5.2) does not know. Each profile is saved
    // and connects with the secrets the credential store gives back.
    // The user's path: connecting meets an unknown certificate, the prompt shows what openssl
    // says of it, and trusting it pins it in the saved profile and connects.
    void trustOnFirstUse()
    {
        QCOMPARE(useCertificate(QStringLiteral("self")), QString());
        SettingsViewModel settings(*m_repository, m_client);
        ServerConfig profile = m_https;
        profile.id = QUuid::createUuid();
        AWAIT(added, settings.addServer(profile, ServerSecrets{password(), {}, {}, {}}));
        settings.connectTo(profile.accountName());
        QVERIFY(pollUntil([&] { return settings.certificatePrompt().valid; }, waitMs));
        QCOMPARE(settings.certificatePrompt().fingerprint, reach("FINGERPRINT_SELF"));
        QVERIFY(!m_client.currentServer() || m_client.currentServer()->id != profile.id);

        settings.trustCertificate();
        QVERIFY(pollUntil([&] { return m_client.currentServer() && m_client.currentServer()->id == profile.id; },
                          waitMs));
        const ServerConfig *saved = settings.savedServer(profile.accountName());
        QVERIFY(saved && saved->certificateTrust == CertificateTrust::pinned);
        QCOMPARE(saved->pinnedFingerprint, reach("FINGERPRINT_SELF"));
        AWAIT(synced, m_client.getMainData());
        rememberSessionCookie();
    }

    void proxies_data()
    {
        QTest::addColumn<QString>("portKey");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<ProxyAuthentication>("authentication");
        QTest::addColumn<QString>("secret"); // the proxy password or header value, "$KEY" from the fixture
        QTest::addColumn<bool>("useApiKey");
        QTest::addColumn<QString>("expected");
        using enum ProxyAuthentication;
        // clang-format off
        QTest::newRow("path prefix")              << "NGINX_PORT"   << "/qbt"    << none    << ""                       << false << "ok";
        QTest::newRow("Basic")                    << "NGINX_PORT"   << "/basic"  << basic   << "$PROXY_PASSWORD"        << false << "ok";
        QTest::newRow("header")                   << "NGINX_PORT"   << "/header" << headers << "$HEADER_VALUE"          << false << "ok";
        QTest::newRow("Basic, wrong password")    << "NGINX_PORT"   << "/basic"  << basic   << "not-the-proxy-password" << false << "proxyAuthenticationFailed";
        QTest::newRow("header missing")           << "NGINX_PORT"   << "/header" << none    << ""                       << false << "htmlPage";
        QTest::newRow("nothing behind the proxy") << "NGINX_PORT"   << "/dead"   << none    << ""                       << false << "proxyUnreachable(502)";
        QTest::newRow("forwarded port")           << "SOCAT_PORT"   << ""        << none    << ""                       << false << "requestRejected";
        QTest::newRow("API key")                  << "BACKEND_PORT" << ""        << none    << ""                       << true  << "apiKeyRejected";
        // clang-format on
    }
    void proxies()
    {
        QFETCH(QString, portKey);
        QFETCH(QString, prefix);
        QFETCH(ProxyAuthentication, authentication);
        QFETCH(QString, secret);
        QFETCH(bool, useApiKey);
        QFETCH(QString, expected);
        if (secret.startsWith(u'$'))
            secret = reach(qPrintable(secret.mid(1)));

        ServerConfig config =
            ServerConfig::create(QString::fromUtf8(QTest::currentDataTag()), QStringLiteral("127.0.0.1"),
                                 port(portKey), reach("USERNAME"), false);
        config.pathPrefix = prefix;
        config.proxyAuthentication = authentication;
        config.useApiKey = useApiKey;
        // A key replaces the login, so a profile with one keeps no password.
        ServerSecrets secrets{useApiKey ? QString() : password(), {}, {}, useApiKey ? apiKey : QString()};
        if (authentication == ProxyAuthentication::basic) {
            config.proxyUsername = reach("PROXY_USER");
            secrets.proxyPassword = secret;
        } else if (authentication == ProxyAuthentication::headers) {
            config.proxyHeaderNames = {reach("HEADER_NAME")};
            secrets.headerValues = {secret};
        }
        AWAIT_OK(runTask(m_repository->addServer(config, secrets)));
        const auto loaded = runTask(m_repository->loadSecrets(config));
        QVERIFY(loaded.ok() && *loaded.value == secrets);

        const auto login = runTask(m_client.login(config, **loaded.value));
        QCOMPARE(result(login), expected);
        if (!login.ok())
            return;
        rememberSessionCookie();
        AWAIT(mainData, m_client.getMainData());
        const QString data = m_workDir + QLatin1Char('/') + prefix.mid(1) + QStringLiteral(".bin");
        QString hash;
        E2E_TRY(writeDataFile(data, 30'000, quint32(prefix.size())); hash = addTorrentOf(m_client, data));
        QVERIFY(pollUntil([&] { return !torrentInfo(m_client, hash).isEmpty(); }, waitMs));
        AWAIT_OK(runTask(m_client.performAction(APIEndpoint::deleteTorrents(hash, true))));
        QVERIFY(pollUntil([&] { return torrentInfo(m_client, hash).isEmpty(); }, waitMs));
    }

    // Two wrong passwords, then the right one: the server bans the address.
    void loginBan()
    {
        const ServerConfig config =
            ServerConfig::create(QStringLiteral("ban"), QStringLiteral("127.0.0.1"),
                                 port(QStringLiteral("BAN_PORT")), reach("USERNAME"), false);
        for (const QString &expected : {QStringLiteral("unauthorized"), QStringLiteral("unauthorized")})
            QCOMPARE(result(runTask(m_client.login(config, QStringLiteral("wrong")))), expected);
        QCOMPARE(result(runTask(m_client.login(config, password()))), QStringLiteral("loginBanned"));
    }

    // The stored password became wrong under a live session: however many requests follow, the
    // server sees one failed login, and one more when the user logs in again.
    void oneFailedLoginPerUserAction()
    {
        QCOMPARE(useCertificate(QStringLiteral("self")), QString());
        ServerConfig config = m_https;
        config.certificateTrust = CertificateTrust::pinned;
        config.pinnedCertificate = m_approved.toDer();
        config.pinnedFingerprint = CertificateError::fingerprint(m_approved);
        AWAIT_OK(runTask(m_client.login(config, password())));

        const QString failure = QStringLiteral("WebAPI login failure");
        const QString success = QStringLiteral("WebAPI login success");
        // A second client's login is noted after everything before it: once its line is there,
        // so are the failures before it.
        const auto failuresSoFar = [&] {
            QBittorrentAPIClient witness(m_versions);
            const qsizetype before = serverLogLines(success);
            runTask(witness.testConnection(config, password()));
            return pollUntil([&] { return serverLogLines(success) > before; }, waitMs)
                       ? serverLogLines(failure)
                       : -1;
        };
        m_storedPassword = QStringLiteral("changed-on-the-server");
        QCOMPARE(useCertificate(QStringLiteral("self")), QString()); // a restart: the session is gone
        const qsizetype before = failuresSoFar();
        QVERIFY(before >= 0);
        for (int tick = 0; tick < 5; ++tick)
            QCOMPARE(result(runTask(m_client.getMainData())), QStringLiteral("unauthorized"));
        QVERIFY(m_client.credentialFailure());
        QCOMPARE(failuresSoFar(), before + 1);

        QCOMPARE(result(runTask(m_client.login(config, m_storedPassword))), QStringLiteral("unauthorized"));
        QCOMPARE(failuresSoFar(), before + 2);
        m_storedPassword = password();
    }

    // Last: no secret of the run went into a log line or a file: the profile database with its
    // journal files, or anything under the locations Qt hands out.
    void secretsStayInside()
    {
        QVERIFY(m_secrets.size() > 4); // session cookies were seen
        QStringList leaks = leaksIn({}, m_secrets, m_log.lines() + qtMessages());
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join('\n')));
        const QStringList roots{m_tempDir.path(),
                                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)};
        QVERIFY(filesUnder(roots).contains(m_databasePath));
        leaks = leaksIn(filesUnder(roots), m_secrets);
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join('\n')));
        cleanupTestCase();
        m_repository.reset();
        m_persistence.reset();
        leaks = leaksIn(filesUnder(roots), m_secrets);
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join('\n')));
    }
};

QTEST_GUILESS_MAIN(ReachE2ETest)
#include "tst_ReachE2E.moc"
