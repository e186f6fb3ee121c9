// Exchanges that go wrong below the status line: refused, unreachable, cut off, stalled,
// oversized, not HTTP at all; and the connection test, which must share nothing with the client.
#include "ApiHarness.h"

#include "api/SessionCookieJar.h"
#include "model/DecodingError.h"

namespace {

const QByteArray tagsPath = "/api/v2/torrents/tags";
using Kind = NetworkError::Kind;

enum class Op { fetch, action, upload, login, connectionTest };

bool isTransport(const ErrorPtr &error, QNetworkReply::NetworkError code)
{
    const auto *transport = dynamic_cast<const TransportError *>(error.get());
    return transport && transport->code() == code && !transport->localizedDescription().isEmpty();
}

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(TestResponse)
Q_DECLARE_METATYPE(QBittorrentAPIClient::Timeouts)

class FaultsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ApiHarness> h;

    QCoro::Task<QByteArray> fetchTags() { return h->client.fetch(APIEndpoint::tags(), h->profile, true); }

    // After any fault the client goes on working on a fresh connection.
    void verifyStillWorks()
    {
        h->server.enqueue(tagsPath, TestResponse::json(R"(["after"])"));
        const auto outcome = runTask(h->client.getTags());
        VERIFY_OK(outcome);
        QCOMPARE(*outcome.value, QStringList{"after"});
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<ApiHarness>();
        QVERIFY(h->connect());
        h->client.setTimeouts({/*idleMs*/ 300, /*totalMs*/ 10'000, /*connectionTestMs*/ 300});
    }

    void cleanup() { h.reset(); }

    void transportFaults_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<TestResponse>("answer");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QBittorrentAPIClient::Timeouts>("timeouts");
        QTest::addColumn<QNetworkReply::NetworkError>("code");
        using E = QNetworkReply::NetworkError;
        const QBittorrentAPIClient::Timeouts idle{300, 10'000, 60'000};
        TestResponse closed;
        closed.fault = TestResponse::Fault::closeWithoutAnswer;
        TestResponse stallMidBody = TestResponse::json(R"(["a","b","c","d"])");
        stallMidBody.fault = TestResponse::Fault::stallMidBody;
        const auto row = [&](const char *name, Op op, const TestResponse &answer, E code) {
            QTest::newRow(name) << op << answer << false << idle << code;
        };
        row("cut mid body", Op::fetch, TestResponse::closeMidBody(R"(["a","b","c","d"])"),
            E::RemoteHostClosedError);
        row("closed without answer", Op::fetch, closed, E::RemoteHostClosedError);
        row("stalled", Op::fetch, TestResponse::stall(), E::TimeoutError);
        row("stalled mid body", Op::fetch, stallMidBody, E::TimeoutError);
        row("stalled action", Op::action, TestResponse::stall(), E::TimeoutError);
        row("stalled upload", Op::upload, TestResponse::stall(), E::TimeoutError);
        row("stalled login", Op::login, TestResponse::stall(), E::TimeoutError);
        // The whole-request limit holds even while the idle limit is generous; the connection
        // test has its own idle limit, however generous the client's are.
        QTest::newRow("past the total limit")
            << Op::fetch << TestResponse::stall() << false
            << QBittorrentAPIClient::Timeouts{60'000, 300, 60'000} << E::TimeoutError;
        QTest::newRow("stalled connection test")
            << Op::connectionTest << TestResponse::stall() << false
            << QBittorrentAPIClient::Timeouts{60'000, 60'000, 300} << E::TimeoutError;
        const std::pair<const char *, Op> refused[] = {
            {"refused fetch", Op::fetch}, {"refused login", Op::login}, {"refused test", Op::connectionTest}};
        for (const auto &[name, op] : refused)
            QTest::newRow(name) << op << TestResponse() << true << idle << E::ConnectionRefusedError;
    }

    // A login that fails this way changes nothing: the client stays on its server.
    void transportFaults()
    {
        QFETCH(Op, op);
        QFETCH(TestResponse, answer);
        QFETCH(bool, refuse);
        QFETCH(QBittorrentAPIClient::Timeouts, timeouts);
        QFETCH(QNetworkReply::NetworkError, code);
        h->client.setTimeouts(timeouts);
        const QByteArray paths[] = {tagsPath, "/api/v2/torrents/recheck", "/api/v2/torrents/add",
                                    ApiHarness::loginPath, ApiHarness::loginPath};
        h->server.enqueue(paths[int(op)], answer);
        // Qt may send a request once more on a new connection after a close; both are closed.
        if (answer.fault == TestResponse::Fault::closeWithoutAnswer)
            h->server.enqueue(paths[int(op)], answer);
        if (refuse)
            h->server.refuse();
        const ServerConfig elsewhere = h->server.serverConfig(); // another profile of the same server
        Outcome<std::monostate> outcome;
        switch (op) {
        case Op::fetch:
            outcome = runTask(discard(fetchTags()));
            break;
        case Op::action:
            outcome = runTask(h->client.performAction(APIEndpoint::recheck("a")));
            break;
        case Op::upload:
            outcome = runTask(h->client.addTorrent("magnet:?a"));
            break;
        case Op::login:
            outcome = runTask(h->client.login(elsewhere, ApiHarness::password));
            break;
        case Op::connectionTest:
            outcome = runTask(h->client.testConnection(h->profile, ApiHarness::password), 20'000);
            break;
        }
        QVERIFY2(outcome.finished && isTransport(outcome.error, code), qPrintable(describe(outcome.error)));
        QVERIFY(h->client.isAuthenticated());
        QCOMPARE(h->client.currentServer()->id, h->profile.id);
        if (!refuse) {
            h->server.clearRequests();
            h->client.setTimeouts({300, 10'000, 300});
            verifyStillWorks();
        }
    }

    void unreachable_data()
    {
        QTest::addColumn<QNetworkReply::NetworkError>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("unreachable");
        using E = QNetworkReply::NetworkError;
        QTest::newRow("host unreachable")
            << E::UnknownNetworkError << QStringLiteral("Host unreachable") << true;
        QTest::newRow("network unreachable")
            << E::UnknownNetworkError << QStringLiteral("Network unreachable") << true;
        QTest::newRow("session failed") << E::NetworkSessionFailedError << QString() << true;
        QTest::newRow("other unknown")
            << E::UnknownNetworkError << QStringLiteral("Error sending request") << false;
        QTest::newRow("refused") << E::ConnectionRefusedError << QStringLiteral("Connection refused")
                                 << false;
        QTest::newRow("timeout") << E::TimeoutError << QStringLiteral("unreachable") << false;
    }

    // Qt says "unreachable" only in its text; the connection test shows such a failure as a
    // server it cannot connect to.
    void unreachable()
    {
        QFETCH(QNetworkReply::NetworkError, code);
        QFETCH(QString, text);
        QFETCH(bool, unreachable);
        QCOMPARE(TransportError(code, text).isUnreachable(), unreachable);
    }

    // A real address without a route (the documentation prefix), where this machine has none.
    void unreachableForReal()
    {
        ServerConfig nowhere = h->profile;
        nowhere.host = QStringLiteral("2001:db8::1");
        h->client.setTimeouts({300, 10'000, 10'000}); // the answer of a router takes seconds
        const auto outcome = runTask(h->client.testConnection(nowhere, ApiHarness::password), 20'000);
        const auto *transport = outcome.errorAs<TransportError>();
        QVERIFY2(transport, qPrintable(describe(outcome.error)));
        if (transport->isTimeout())
            QSKIP("this machine has a route to the documentation prefix");
        QVERIFY2(transport->isUnreachable(), qPrintable(describe(outcome.error)));
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

    // An empty answer where a list is expected is a decoding failure, not an empty list.
    void noContent()
    {
        h->server.enqueue(tagsPath, TestResponse::noContent());
        const auto bytes = runTask(fetchTags());
        VERIFY_OK(bytes);
        QVERIFY(bytes.value->isEmpty());
        h->server.enqueue(tagsPath, TestResponse::noContent());
        QVERIFY(runTask(h->client.getTags()).errorAs<DecodingError>());
    }

    void versionText_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        const QString unknown = QStringLiteral("Unknown");
        QTest::newRow("plain") << QByteArray("v4.5.2") << QStringLiteral("v4.5.2");
        QTest::newRow("line feed kept") << QByteArray("v4.6.2\n") << QStringLiteral("v4.6.2\n");
        QTest::newRow("spaces kept") << QByteArray(" 5.0 ") << QStringLiteral(" 5.0 ");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("valid non-ascii") << QByteArray("v5.0 测试") << QStringLiteral("v5.0 测试");
        QTest::newRow("latin-1 byte") << QByteArray("v4.5\xe9") << unknown;
        QTest::newRow("lone continuation") << QByteArray("\x80") << unknown;
        QTest::newRow("truncated sequence") << QByteArray("v5\xe2\x82") << unknown;
        QTest::newRow("surrogate encoded") << QByteArray("\xed\xa0\x80") << unknown;
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << unknown;
    }

    void versionText()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        h->server.enqueue(ApiHarness::versionPath, TestResponse::text(body));
        const auto outcome = runTask(h->client.getVersion());
        VERIFY_OK(outcome);
        QCOMPARE(*outcome.value, text);
    }

    void oversizedAnswer_data()
    {
        QTest::addColumn<bool>("chunked");
        QTest::newRow("declared length") << false;
        QTest::newRow("chunked, no length") << true;
    }

    void oversizedAnswer()
    {
        QFETCH(bool, chunked);
        const qint64 limit = 64 * 1024;
        h->client.setResponseSizeLimit(limit);
        h->server.enqueue(tagsPath, TestResponse::huge(8 * 1024 * 1024, chunked));
        const auto outcome = runTask(fetchTags());
        VERIFY_NETWORK_ERROR(outcome, Kind::responseTooLarge);
        QCOMPARE(static_cast<const NetworkError &>(*outcome.error).limitBytes(), limit);

        // Exactly at the bound is still fine.
        h->server.enqueue(tagsPath, TestResponse::huge(limit, chunked));
        const auto atLimit = runTask(fetchTags());
        VERIFY_OK(atLimit);
        QCOMPARE(atLimit.value->size(), limit);
        verifyStillWorks();
    }

    void notHttp_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ssh banner") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n");
        QTest::newRow("binary") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11);
        QTest::newRow("bad status line") << QByteArray("HTTP/1.1 abc Nope\r\n\r\n");
    }

    // Something that is not an HTTP server answers: a clear failure, never a success.
    void notHttp()
    {
        QFETCH(QByteArray, bytes);
        h->server.on(tagsPath, TestResponse::notHttp(bytes));
        const auto outcome = runTask(fetchTags());
        // Qt sends the request again a few times on a fresh connection, then gives up.
        QVERIFY(h->server.requestCount() <= 4);
        QVERIFY(outcome.finished && outcome.error);
        QVERIFY2(dynamic_cast<const TransportError *>(outcome.error.get()) ||
                     isNetworkError(outcome.error, Kind::invalidResponse),
                 qPrintable(describe(outcome.error)));
        QVERIFY(!outcome.error->localizedDescription().isEmpty());
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
        QVERIFY(!fresh.isAuthenticated());
        QVERIFY(!fresh.currentServer());
        QVERIFY(!fresh.serverVersion());

        const auto before = h->client.cookieJar().cookies();
        h->server.setSessionId("testOnlySid");
        VERIFY_OK(runTask(h->client.testConnection(h->profile, ApiHarness::password)));
        VERIFY_NETWORK_ERROR(runTask(h->client.testConnection(h->profile, "wrong")), Kind::unauthorized);
        QCOMPARE(h->client.cookieJar().cookies(), before);
        QVERIFY(h->client.isAuthenticated());
        QCOMPARE(h->client.currentServer()->id, h->profile.id);
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_Faults.moc"
