// Exchanges that go wrong below the status line: refused, cut off, stalled, oversized,
// not HTTP at all; and the connection test, which must share nothing with the client.
#include "ApiHarness.h"

#include "api/SessionCookieJar.h"
#include "model/DecodingError.h"

namespace {

const QByteArray tagsPath = "/api/v2/torrents/tags";
using Kind = NetworkError::Kind;

bool isTransport(const ErrorPtr &error, QNetworkReply::NetworkError code)
{
    const auto *transport = dynamic_cast<const TransportError *>(error.get());
    return transport && transport->code() == code;
}

#define VERIFY_TRANSPORT(outcome, code)                                                                      \
    do {                                                                                                     \
        const auto &o_ = (outcome);                                                                          \
        QVERIFY2(o_.finished, "the operation did not finish");                                               \
        QVERIFY2(isTransport(o_.error, code), qPrintable(describe(o_.error)));                               \
        QVERIFY(!o_.error->localizedDescription().isEmpty());                                                \
    } while (false)

} // namespace

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

    void defaultTimeouts()
    {
        const QBittorrentAPIClient::Timeouts defaults;
        QCOMPARE(defaults.idleMs, 30'000);
        QCOMPARE(defaults.totalMs, 60'000);
        QCOMPARE(defaults.connectionTestMs, 3'000);
    }

    void connectionRefused()
    {
        h->server.refuse();
        const auto outcome = runTask(fetchTags());
        VERIFY_TRANSPORT(outcome, QNetworkReply::ConnectionRefusedError);
        QVERIFY(static_cast<const TransportError &>(*outcome.error).isCannotConnect());
        QCOMPARE(outcome.error->localizedDescription(), QStringLiteral("连接被拒绝"));

        // A login to a closed port changes nothing.
        QBittorrentAPIClient fresh(h->keychain, h->versions);
        VERIFY_TRANSPORT(runTask(fresh.login(h->profile, ApiHarness::password)),
                         QNetworkReply::ConnectionRefusedError);
        QVERIFY(!fresh.isAuthenticated());
        QVERIFY(!fresh.currentServer());
    }

    void closedMidBody()
    {
        h->server.enqueue(tagsPath, TestResponse::closeMidBody(R"(["a","b","c","d"])"));
        VERIFY_TRANSPORT(runTask(h->client.getTags()), QNetworkReply::RemoteHostClosedError);
        verifyStillWorks();
    }

    void closedWithoutAnswer()
    {
        TestResponse close;
        close.fault = TestResponse::Fault::closeWithoutAnswer;
        // Qt may send an idempotent request once more on a new connection; both are closed.
        h->server.enqueue(tagsPath, close);
        h->server.enqueue(tagsPath, close);
        VERIFY_TRANSPORT(runTask(fetchTags()), QNetworkReply::RemoteHostClosedError);
        h->server.clearRequests();
        verifyStillWorks();
    }

    void stallBeyondIdleLimit()
    {
        h->server.enqueue(tagsPath, TestResponse::stall());
        const auto outcome = runTask(fetchTags());
        VERIFY_TRANSPORT(outcome, QNetworkReply::TimeoutError);
        QVERIFY(static_cast<const TransportError &>(*outcome.error).isTimeout());
        verifyStillWorks();
    }

    void stallInTheMiddleOfTheBody()
    {
        TestResponse half = TestResponse::json(R"(["a","b","c","d"])");
        half.fault = TestResponse::Fault::stallMidBody;
        h->server.enqueue(tagsPath, half);
        VERIFY_TRANSPORT(runTask(fetchTags()), QNetworkReply::TimeoutError);
        verifyStillWorks();
    }

    // The whole-request limit holds even while the idle limit is generous.
    void stallBeyondTotalLimit()
    {
        h->client.setTimeouts({/*idleMs*/ 60'000, /*totalMs*/ 300, /*connectionTestMs*/ 60'000});
        h->server.enqueue(tagsPath, TestResponse::stall());
        VERIFY_TRANSPORT(runTask(fetchTags()), QNetworkReply::TimeoutError);
    }

    void stallOnPostAndLogin()
    {
        h->server.enqueue("/api/v2/torrents/recheck", TestResponse::stall());
        VERIFY_TRANSPORT(runTask(h->client.performAction(APIEndpoint::recheck("a"))),
                         QNetworkReply::TimeoutError);
        h->server.enqueue("/api/v2/torrents/add", TestResponse::stall());
        VERIFY_TRANSPORT(runTask(h->client.addTorrent("magnet:?a")), QNetworkReply::TimeoutError);

        QBittorrentAPIClient fresh(h->keychain, h->versions);
        fresh.setTimeouts(h->client.timeouts());
        h->server.enqueue(ApiHarness::loginPath, TestResponse::stall());
        VERIFY_TRANSPORT(runTask(fresh.login(h->profile, ApiHarness::password)), QNetworkReply::TimeoutError);
        QVERIFY(!fresh.isAuthenticated());
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

    void noContent()
    {
        h->server.enqueue(tagsPath, TestResponse::noContent());
        const auto bytes = runTask(fetchTags());
        VERIFY_OK(bytes);
        QVERIFY(bytes.value->isEmpty());

        // An empty answer where a list is expected is a decoding failure, not an empty list.
        h->server.enqueue(tagsPath, TestResponse::noContent());
        const auto tags = runTask(h->client.getTags());
        QVERIFY(tags.finished && tags.errorAs<DecodingError>());

        h->server.enqueue(ApiHarness::versionPath, TestResponse::noContent());
        const auto version = runTask(h->client.getVersion());
        VERIFY_OK(version);
        QCOMPARE(*version.value, QString());
    }

    void statusFaults()
    {
        h->server.enqueue(tagsPath, TestResponse::withStatus(404));
        VERIFY_NETWORK_ERROR(runTask(h->client.getTags()), Kind::notFound);
        h->server.enqueue("/api/v2/sync/maindata", TestResponse::withStatus(500, "<html>boom</html>"));
        VERIFY_NETWORK_ERROR(runTask(h->client.getSyncData(7)), Kind::serverError);
    }

    void versionText_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QByteArray("v4.5.2") << QStringLiteral("v4.5.2");
        QTest::newRow("line feed kept") << QByteArray("v4.6.2\n") << QStringLiteral("v4.6.2\n");
        QTest::newRow("spaces kept") << QByteArray(" 5.0 ") << QStringLiteral(" 5.0 ");
        QTest::newRow("latin-1 byte") << QByteArray("v4.5\xe9") << QStringLiteral("Unknown");
        QTest::newRow("lone continuation") << QByteArray("\x80") << QStringLiteral("Unknown");
        QTest::newRow("truncated sequence") << QByteArray("v5\xe2\x82") << QStringLiteral("Unknown");
        QTest::newRow("surrogate encoded") << QByteArray("\xed\xa0\x80") << QStringLiteral("Unknown");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << QStringLiteral("Unknown");
        QTest::newRow("valid non-ascii") << QByteArray("v5.0 测试") << QStringLiteral("v5.0 测试");
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

    // A version that is not UTF-8 still completes the login; the adapter stays as it was.
    void loginWithUnreadableVersion()
    {
        h->versions.updateVersion("v5.0.1");
        LogCapture log;
        h->server.on(ApiHarness::versionPath, TestResponse::text("\xff\xfe"));
        VERIFY_OK(runTask(h->client.login(h->profile, ApiHarness::password)));
        QCOMPARE(log.lines(), QStringList{QStringLiteral("✅ qBittorrent 版本: Unknown")});
        QCOMPARE(h->client.serverVersion().value_or(""), QStringLiteral("Unknown"));
        QVERIFY(dynamic_cast<const QBittorrent5Adapter *>(&h->versions.currentAdapter()));
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
        QVERIFY(!outcome.error->localizedDescription().isEmpty());

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
        QVERIFY(outcome.finished);
        QVERIFY(outcome.error);
        const bool clear = dynamic_cast<const TransportError *>(outcome.error.get()) ||
                           isNetworkError(outcome.error, Kind::invalidResponse);
        QVERIFY2(clear, qPrintable(describe(outcome.error)));
        QVERIFY(!outcome.error->localizedDescription().isEmpty());
    }

    // ---- connection test ----

    // Good credentials: success, and not one cookie reaches the client.
    void connectionTestSharesNoCookie()
    {
        QBittorrentAPIClient fresh(h->keychain, h->versions);
        h->server.clearRequests();
        VERIFY_OK(runTask(fresh.testConnection(h->profile, ApiHarness::password)));
        QCOMPARE(h->server.requestCount(), 1);
        QCOMPARE(h->server.lastRequest().path(), ApiHarness::loginPath);
        QVERIFY(fresh.cookieJar().cookies().isEmpty());
        QVERIFY(!fresh.isAuthenticated());
        QVERIFY(!fresh.currentServer());
        QVERIFY(!fresh.serverVersion());

        // A connected client keeps its own cookie, unchanged by a test with another session id.
        const auto before = h->client.cookieJar().cookies();
        h->server.setSessionId("testOnlySid");
        VERIFY_OK(runTask(h->client.testConnection(h->profile, ApiHarness::password)));
        QCOMPARE(h->client.cookieJar().cookies(), before);
        h->server.clearRequests();
        runTask(h->client.fetch(APIEndpoint::tags(), h->profile, false));
        QVERIFY(!h->server.lastRequest().header("Cookie").value_or("").contains("testOnlySid"));
    }

    void connectionTestWrongPassword()
    {
        VERIFY_NETWORK_ERROR(runTask(h->client.testConnection(h->profile, "wrong")), Kind::unauthorized);
        QVERIFY(h->client.isAuthenticated()); // the client's own session is untouched
    }

    // The test has its own idle limit, however generous the client's are.
    void connectionTestTimesOut()
    {
        h->client.setTimeouts({/*idleMs*/ 60'000, /*totalMs*/ 60'000, /*connectionTestMs*/ 300});
        h->server.enqueue(ApiHarness::loginPath, TestResponse::stall());
        VERIFY_TRANSPORT(runTask(h->client.testConnection(h->profile, ApiHarness::password), 20'000),
                         QNetworkReply::TimeoutError);
    }

    void connectionTestRefused()
    {
        h->server.refuse();
        VERIFY_TRANSPORT(runTask(h->client.testConnection(h->profile, ApiHarness::password)),
                         QNetworkReply::ConnectionRefusedError);
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_Faults.moc"
