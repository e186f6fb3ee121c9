// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Exchanges that go wrong below the status line: refused, unreachable, cut off, stalled,
// oversized, not HTTP at all; and the connection test, which must share nothing with the client.
#include "ApiHarness.h"

#include "api/CertificateError.h"
#include "api/HttpExchange.h"
#include "api/SessionCookieJar.h"

#include <QMetaEnum>
#include <QProcess>

namespace {

const QByteArray tagsPath = "/api/v2/torrents/tags";
using E = QNetworkReply::NetworkError;

// A throw-away certificate for "seedwhirl.test" made by openssl, and openssl's SHA-256 line.
std::pair<QSslCertificate, QByteArray> makeCertificate()
{
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                              "-nodes", "-keyout", "/dev/null", "-days", "2", "-subj", "/CN=seedwhirl.test"});
    openssl.waitForFinished();
    const QByteArray pem = openssl.readAllStandardOutput();
    openssl.start("openssl", {"x509", "-noout", "-fingerprint", "-sha256"});
    openssl.write(pem);
    openssl.closeWriteChannel();
    openssl.waitForFinished();
    const QByteArray line = openssl.readAllStandardOutput().trimmed();
    return {QSslCertificate(pem), line.mid(line.indexOf('=') + 1)};
}

// The enumerator that a row names.
template <typename Enum> Enum keyOf(const QJsonValue &name)
{
    return Enum(QMetaEnum::fromType<Enum>().keyToValue(qPrintable(name.toString())));
}

} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ApiHarness> h;

    QCoro::Task<QByteArray> fetchTags() { return h->client.fetch(APIEndpoint::tags(), h->profile, true); }

    // After any fault the client goes on working on a fresh connection.
    void verifyStillWorks()
    {
        h->client.setTimeouts({300, 10'000, 300});
        h->server.enqueue(tagsPath, TestResponse::json(R"(["after"])"));
        QCOMPARE(runTask(h->client.getTags()).value.value_or(QStringList{"(failed)"}), QStringList{"after"});
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<ApiHarness>();
        QVERIFY(h->connect());
        h->client.setTimeouts({/*idleMs*/ 300, /*totalMs*/ 10'000, /*connectionTestMs*/ 300});
    }

    void cleanup() { h.reset(); }

    void transportFaults_data() { rowsFrom("transportFaults"); }

    // A login that fails this way changes nothing: the client stays on its server. The
    // whole-request limit holds even while the idle limit is generous; the connection test has
    // its own idle limit, however generous the client's are.
    void transportFaults()
    {
        QFETCH(QJsonObject, row);
        const QString fault = row["answer"].toString();
        const QJsonArray limits = row["timeouts"].toArray();
        h->client.setTimeouts({limits[0].toInt(), limits[1].toInt(), limits[2].toInt()});
        auto &c = h->client;
        const ServerConfig elsewhere = h->server.serverConfig(); // another profile of the same server
        const QByteArray list = R"(["a","b","c","d"])";
        // clang-format off
        const QHash<QString, TestResponse> answers = {{"cut", TestResponse::closeMidBody(list)}, {"closed", TestResponse::withStatus(200, {}, TestResponse::Fault::closeWithoutAnswer)},
                                                      {"stall", TestResponse::stall()}, {"stallMidBody", TestResponse::json(list, TestResponse::Fault::stallMidBody)}};
        const QHash<QString, std::pair<QByteArray, std::function<QCoro::Task<void>()>>> operations = {
            {"fetch", {tagsPath, [&] { return discard(fetchTags()); }}},
            {"action", {"/api/v2/torrents/recheck", [&] { return c.performAction(APIEndpoint::recheck("a")); }}},
            {"upload", {"/api/v2/torrents/add", [&] { return c.addTorrent("magnet:?a"); }}},
            {"login", {ApiHarness::loginPath, [&] { return c.login(elsewhere, ApiHarness::password); }}},
            {"connectionTest", {ApiHarness::loginPath, [&] { return c.testConnection(h->profile, ApiHarness::password); }}}};
        // clang-format on
        const auto &[path, operation] = operations[row["op"].toString()];
        h->server.enqueue(path, answers.value(fault));
        // Qt may send a request once more on a new connection after a close; both are closed.
        if (fault == QLatin1String("closed"))
            h->server.enqueue(path, answers.value(fault));
        if (fault == QLatin1String("refuse"))
            h->server.refuse();
        const auto outcome = runTask(operation(), 20'000);
        const auto *transport = outcome.errorAs<TransportError>();
        QVERIFY2(transport && transport->code() == keyOf<E>(row["code"]), qPrintable(verdict(outcome)));
        QVERIFY(h->client.isAuthenticated());
        QCOMPARE(h->client.currentServer()->id, h->profile.id);
        if (fault != QLatin1String("refuse"))
            verifyStillWorks();
    }

    void unreachable_data() { rowsFrom("unreachable"); }

    // Qt says "unreachable" only in its text; the connection test shows such a failure as a
    // server it cannot connect to.
    void unreachable()
    {
        QFETCH(QJsonObject, row);
        const TransportError error(keyOf<E>(row["code"]), row["text"].toString());
        QCOMPARE(error.isUnreachable(), row["unreachable"].toBool());
    }

    // A real address without a route (the documentation prefix), where this machine has none.
    void unreachableForReal()
    {
        ServerConfig nowhere = h->profile;
        nowhere.host = QStringLiteral("2001:db8::1");
        h->client.setTimeouts({300, 10'000, 10'000}); // the answer of a router takes seconds
        const auto outcome = runTask(h->client.testConnection(nowhere, ApiHarness::password), 20'000);
        const auto *transport = outcome.errorAs<TransportError>();
        QVERIFY2(transport, qPrintable(verdict(outcome)));
        if (transport->isTimeout())
            QSKIP("this machine has a route to the documentation prefix");
        QVERIFY2(transport->isUnreachable(), qPrintable(verdict(outcome)));
    }

    // The server dropped the idle kept-alive connection: the next action goes out once, on
    // a new connection, and succeeds.
    void serverClosedIdleConnection()
    {
        h->server.setFallback([](const RecordedRequest &) { return TestResponse::text("Ok."); });
        VERIFY_OK(runTask(fetchTags()));
        const int connectionsBefore = h->server.connectionCount();
        h->server.closeAllConnections();
        h->server.clearRequests();
        VERIFY_OK(runTask(h->client.performAction(APIEndpoint::deleteTorrents("a", true))));
        QCOMPARE(h->server.requestsTo("/api/v2/torrents/delete").size(), 1);
        QVERIFY(h->server.connectionCount() > connectionsBefore);
    }

    void versionText_data() { rowsFrom("versionText"); }

    // The version text as sent, or "Unknown" when it is not UTF-8.
    void versionText()
    {
        QFETCH(QJsonObject, row);
        h->server.enqueue(ApiHarness::versionPath, TestResponse::text(bytesOf(row)));
        QCOMPARE(runTask(h->client.getVersion()).value.value_or("(failed)"), row["text"].toString());
    }

    // Beyond the bound reading is given up, with or without a declared length; exactly at it
    // is still fine.
    void oversizedAnswer()
    {
        const qint64 limit = 64 * 1024;
        h->client.setResponseSizeLimit(limit);
        for (const bool chunked : {false, true}) {
            h->server.enqueue(tagsPath, TestResponse::huge(8 * 1024 * 1024, chunked));
            QCOMPARE(verdict(runTask(fetchTags())), "responseTooLarge(limit 65536 bytes)");
            h->server.enqueue(tagsPath, TestResponse::huge(limit, chunked));
            const auto atLimit = runTask(fetchTags());
            VERIFY_OK(atLimit);
            QCOMPARE(atLimit.value->size(), limit);
            verifyStillWorks();
        }
    }

    void notHttp_data() { rowsFrom("notHttp"); }

    // Something that is not an HTTP server answers: a clear failure, never a success.
    void notHttp()
    {
        QFETCH(QJsonObject, row);
        h->server.on(tagsPath, TestResponse::notHttp(bytesOf(row)));
        const auto outcome = runTask(fetchTags());
        // Qt sends the request again a few times on a fresh connection, then gives up.
        QVERIFY(h->server.requestCount() <= 4);
        QVERIFY2(outcome.errorAs<TransportError>() || verdict(outcome) == QLatin1String("invalidResponse"),
                 qPrintable(verdict(outcome)));
        QVERIFY(!outcome.error->localizedDescription().isEmpty());
    }

    void certificateErrors_data()
    {
        using S = QSslError;
        QTest::addColumn<QList<S::SslError>>("errors");
        QTest::addColumn<int>("pin"); // 0: none, 1: the presented certificate, 2: another one
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("pinAccepts");
        QTest::addColumn<bool>("canBeTrusted");
        // clang-format off
        QTest::newRow("self-signed") << QList{S::SelfSignedCertificate, S::HostNameMismatch} << 0 << "untrusted" << false << true;
        QTest::newRow("pinned self-signed") << QList{S::SelfSignedCertificate, S::HostNameMismatch} << 1 << "untrusted" << true << true;
        QTest::newRow("unknown issuer") << QList{S::UnableToGetLocalIssuerCertificate, S::UnableToVerifyFirstCertificate} << 1 << "untrusted" << true << true;
        QTest::newRow("host name only") << QList{S::HostNameMismatch} << 0 << "hostNameMismatch" << false << true;
        QTest::newRow("changed") << QList{S::SelfSignedCertificate} << 2 << "changed" << false << true;
        QTest::newRow("changed and expired") << QList{S::SelfSignedCertificate, S::CertificateExpired} << 2 << "changed" << false << false;
        QTest::newRow("pinned but expired") << QList{S::SelfSignedCertificate, S::CertificateExpired} << 1 << "expired" << false << false;
        QTest::newRow("not yet valid") << QList{S::CertificateNotYetValid} << 0 << "notYetValid" << false << false;
        QTest::newRow("pinned but revoked") << QList{S::SelfSignedCertificate, S::CertificateRevoked} << 1 << "invalid" << false << false;
        QTest::newRow("wrong purpose") << QList{S::InvalidPurpose} << 0 << "invalid" << false << false;
        // clang-format on
    }

    // How a failed handshake is told to the user, and which errors a pin overlooks: only
    // those of issuer and name, only for exactly the pinned certificate.
    void certificateErrors()
    {
        QFETCH(QList<QSslError::SslError>, errors);
        QFETCH(int, pin);
        QFETCH(QString, kind);
        QFETCH(bool, pinAccepts);
        QFETCH(bool, canBeTrusted);
        static const auto [presented, fingerprint] = makeCertificate();
        static const QSslCertificate other = makeCertificate().first;
        QVERIFY(!presented.isNull() && !other.isNull());
        QCOMPARE(CertificateError::fingerprint(presented), QString::fromLatin1(fingerprint));
        QList<QSslError> sslErrors;
        for (const QSslError::SslError error : errors)
            sslErrors.append(QSslError(error, presented));
        const QSslCertificate pinned = pin == 1 ? presented : pin == 2 ? other : QSslCertificate();
        const QList<QSslError> accepted = errorsAcceptedByPin(sslErrors, presented, {presented}, pinned);
        QCOMPARE(accepted, pinAccepts ? sslErrors : QList<QSslError>());
        // Errors about a certificate the server did not present are never overlooked.
        QVERIFY(
            errorsAcceptedByPin({QSslError(errors[0], other)}, presented, {presented}, presented).isEmpty());

        const auto error = CertificateError::fromSslErrors(
            sslErrors, presented, "nas.lan:8080", pin ? CertificateError::fingerprint(pinned) : QString());
        QVERIFY2(error.debugDescription().startsWith("CertificateError(" + kind + ", nas.lan:8080"),
                 qPrintable(error.debugDescription()));
        QCOMPARE(error.canBeTrusted(), canBeTrusted);
        const QString text = error.localizedDescription();
        QVERIFY(text.startsWith(u"服务器证书") && text.contains(u"\n\n"));
        if (kind != QLatin1String("invalid") && kind != QLatin1String("expired") &&
            kind != QLatin1String("notYetValid"))
            QVERIFY(text.contains(QString::fromLatin1(fingerprint)));
        if (pin == 2)
            QVERIFY(text.contains(CertificateError::fingerprint(other)));
        if (kind == QLatin1String("untrusted"))
            QCOMPARE(text.contains(u"自签名"), errors.contains(QSslError::SelfSignedCertificate));
    }

    // A connection test, good or refused, leaves the client as it was: not one cookie of the
    // test reaches it.
    void connectionTestSharesNothing()
    {
        QBittorrentAPIClient fresh(h->versions);
        h->server.clearRequests();
        VERIFY_OK(runTask(fresh.testConnection(h->profile, ApiHarness::password)));
        QCOMPARE(h->server.requestCount(), 1);
        QVERIFY(fresh.cookieJar().cookies().isEmpty());
        QVERIFY(!fresh.isAuthenticated() && !fresh.currentServer() && !fresh.serverVersion());
        // Whoever hears of the login (the screens that appear with it) finds its server set.
        bool serverKnown = false;
        connect(&fresh, &QBittorrentAPIClient::isAuthenticatedChanged, this,
                [&] { serverKnown = fresh.currentServer().has_value(); });
        VERIFY_OK(runTask(fresh.login(h->profile, ApiHarness::password)));
        QVERIFY(serverKnown);

        const auto before = h->client.cookieJar().cookies();
        h->server.setSessionId("testOnlySid");
        VERIFY_OK(runTask(h->client.testConnection(h->profile, ApiHarness::password)));
        QCOMPARE(verdict(runTask(h->client.testConnection(h->profile, "wrong"))), "unauthorized");
        QCOMPARE(h->client.cookieJar().cookies(), before);
        QVERIFY(h->client.isAuthenticated());
        QCOMPARE(h->client.currentServer()->id, h->profile.id);
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_Faults.moc"
