// How answers are judged: the status mapping of fetches, form actions and uploads, the login
// check, the single re-login with the stored password, and the disconnected client.
#include "ApiHarness.h"

#include "api/SessionCookieJar.h"

#include <QNetworkCookie>

namespace {

const QByteArray tagsPath = "/api/v2/torrents/tags";
const QString reloginStarted = QStringLiteral("🔄 检测到会话过期，正在重新登录...");
const QString reloginDone = QStringLiteral("✅ 重新登录成功");

using Kind = NetworkError::Kind;

// What an outcome is expected to be: success, or a NetworkError of a kind (and status).
struct Expect
{
    bool ok = false;
    Kind kind = Kind::serverError;
    int status = 0;
};

void verifyOutcome(const ErrorPtr &error, bool finished, const Expect &expect)
{
    QVERIFY(finished);
    if (expect.ok) {
        QVERIFY2(!error, qPrintable(describe(error)));
        return;
    }
    QVERIFY2(isNetworkError(error, expect.kind), qPrintable(describe(error)));
    if (expect.kind == Kind::serverError)
        QCOMPARE(static_cast<const NetworkError &>(*error).statusCode(), expect.status);
}

} // namespace

Q_DECLARE_METATYPE(Expect)
Q_DECLARE_METATYPE(TestResponse)

class StatusReloginTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ApiHarness> h;
    std::unique_ptr<LogCapture> log;

private Q_SLOTS:
    void init()
    {
        log = std::make_unique<LogCapture>();
        h = std::make_unique<ApiHarness>();
        h->server.on(tagsPath, TestResponse::json(R"(["a","b"])"));
        h->server.setFallback([](const RecordedRequest &) { return TestResponse::text("Ok."); });
        QVERIFY(h->storePassword());
        QVERIFY(h->connect(log.get()));
    }

    void cleanup()
    {
        verifyNoSecretsIn(
            *log, {ApiHarness::password, QString::fromLatin1(ApiHarness::sid), QStringLiteral("SID=")});
        h.reset();
        log.reset();
    }

    void fetchStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Expect>("expect");
        QTest::newRow("200") << 200 << QByteArray("body") << Expect{true};
        QTest::newRow("204 empty") << 204 << QByteArray() << Expect{true};
        QTest::newRow("299") << 299 << QByteArray("x") << Expect{true};
        QTest::newRow("400") << 400 << QByteArray() << Expect{false, Kind::serverError, 400};
        QTest::newRow("404") << 404 << QByteArray("Not Found") << Expect{false, Kind::notFound};
        QTest::newRow("405") << 405 << QByteArray() << Expect{false, Kind::serverError, 405};
        QTest::newRow("409") << 409 << QByteArray() << Expect{false, Kind::serverError, 409};
        QTest::newRow("500") << 500 << QByteArray("oops") << Expect{false, Kind::serverError, 500};
        QTest::newRow("503") << 503 << QByteArray() << Expect{false, Kind::serverError, 503};
    }

    void fetchStatus()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(Expect, expect);
        h->server.enqueue(tagsPath, TestResponse::withStatus(status, body));
        const auto outcome = runTask(h->client.fetch(APIEndpoint::tags(), h->profile, true));
        verifyOutcome(outcome.error, outcome.finished, expect);
        if (expect.ok)
            QCOMPARE(*outcome.value, body);
        QCOMPARE(h->loginCount(), 0);
        QCOMPARE(h->server.requestCount(), 1);
    }

    void serverErrorText()
    {
        h->server.enqueue(tagsPath, TestResponse::withStatus(500));
        const auto outcome = runTask(h->client.getTags());
        QVERIFY(outcome.error);
        QCOMPARE(outcome.error->localizedDescription(), QStringLiteral("服务器错误 (500)"));
    }

    void rejectedSessionLogsInAgainOnce_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("401") << 401;
        QTest::newRow("403") << 403;
    }

    // The second answer is returned; the password comes from the credential store.
    void rejectedSessionLogsInAgainOnce()
    {
        QFETCH(int, status);
        h->server.enqueue(tagsPath, TestResponse::withStatus(status));
        const auto outcome = runTask(h->client.getTags());
        VERIFY_OK(outcome);
        QCOMPARE(*outcome.value, QStringList({"a", "b"}));
        QCOMPARE(h->loginCount(), 1);
        QCOMPARE(h->server.requestsTo(tagsPath).size(), 2);
        QCOMPARE(h->keychain.readAccounts, QStringList{h->profile.accountName()});
        QCOMPARE(log->lines(),
                 QStringList({reloginStarted, QStringLiteral("🔄 使用 qBittorrent 4.x API 适配器"),
                              QStringLiteral("✅ qBittorrent 版本: v4.5.2"), reloginDone}));
        QVERIFY(h->client.isAuthenticated());
    }

    // The server forgot its sessions (a restart): the old cookie is refused and the new
    // login's cookie is the one sent from then on.
    void forgottenSessionIsRenewed()
    {
        h->server.setSessionId("renewedSid");
        const auto outcome = runTask(h->client.getTags());
        VERIFY_OK(outcome);
        const auto tags = h->server.requestsTo(tagsPath);
        QCOMPARE(tags.size(), 2);
        QCOMPARE(tags[1].header("Cookie").value_or(""), QByteArray("SID=renewedSid"));
        QCOMPARE(h->loginCount(), 1);
    }

    void repeatedRequestFailing_data()
    {
        QTest::addColumn<int>("secondStatus");
        QTest::newRow("401 again") << 401;
        QTest::newRow("403 again") << 403;
        QTest::newRow("404 after re-login") << 404;
        QTest::newRow("500 after re-login") << 500;
    }

    // Whatever the repetition answers, the caller learns that the session is gone.
    void repeatedRequestFailing()
    {
        QFETCH(int, secondStatus);
        h->server.enqueue(tagsPath, TestResponse::withStatus(401));
        h->server.enqueue(tagsPath, TestResponse::withStatus(secondStatus));
        VERIFY_NETWORK_ERROR(runTask(h->client.getTags()), Kind::unauthorized);
        QCOMPARE(h->loginCount(), 1);
        QCOMPARE(h->server.requestsTo(tagsPath).size(), 2);
    }

    void refusedReloginGivesUnauthorized()
    {
        h->server.enqueue(tagsPath, TestResponse::withStatus(403));
        h->server.enqueue(ApiHarness::loginPath, TestResponse::loginFails());
        VERIFY_NETWORK_ERROR(runTask(h->client.getTags()), Kind::unauthorized);
        QCOMPARE(h->loginCount(), 1);
        QCOMPARE(h->server.requestsTo(tagsPath).size(), 1);
        QVERIFY(!log->contains(reloginDone));
    }

    // A server that takes the login but refuses everything after it (its cookie never
    // works): one re-login per operation, never a loop.
    void serverThatRefusesEverythingAfterLogin()
    {
        TestHttpServer server;
        server.on(ApiHarness::loginPath, TestResponse::loginOk("neverAccepted"));
        server.setFallback([](const RecordedRequest &) { return TestResponse::withStatus(403); });
        APIVersionManager versions;
        RecordingKeychain keychain;
        QBittorrentAPIClient client(keychain, versions);
        const ServerConfig profile = server.serverConfig();
        QVERIFY(runTask(keychain.savePassword(ApiHarness::password, profile.accountName())).ok());
        const auto logins = [&] { return server.requestsTo(ApiHarness::loginPath).size(); };

        // The login itself: its version request re-logs in once, then gives up on the version.
        VERIFY_OK(runTask(client.login(profile, ApiHarness::password)));
        QCOMPARE(logins(), 2);
        QVERIFY(client.isAuthenticated());
        QCOMPARE(log->startingWith(QStringLiteral("⚠️ 获取服务器版本失败: ")).size(), 2);

        const std::pair<const char *, std::function<QCoro::Task<void>()>> operations[] = {
            {"fetch", [&]() -> QCoro::Task<void> { co_await client.getTags(); }},
            {"action", [&] { return client.performAction(APIEndpoint::recheck("abc")); }},
            {"limit", [&] { return client.setUploadLimit(10); }},
            {"version", [&]() -> QCoro::Task<void> { co_await client.getVersion(); }},
        };
        for (const auto &[name, operation] : operations) {
            server.clearRequests();
            const auto outcome = runTask(operation());
            QVERIFY2(isNetworkError(outcome.error, Kind::unauthorized), name);
            QVERIFY2(logins() == 1, name);
        }
        runTask(keychain.deletePassword(profile.accountName()));
    }

    // Without a stored password the client forgets its server: no log line, no cookie
    // deleted, and every later operation fails at once.
    void reloginWithoutPasswordDisconnects()
    {
        QVERIFY(runTask(h->keychain.deletePassword(h->profile.accountName())).ok());
        const auto cookiesBefore = h->client.cookieJar().cookies();
        QVERIFY(!cookiesBefore.isEmpty());
        h->server.enqueue(tagsPath, TestResponse::withStatus(401));

        VERIFY_NETWORK_ERROR(runTask(h->client.getTags()), Kind::unauthorized);
        QVERIFY(!h->client.isAuthenticated());
        QVERIFY(!h->client.currentServer());
        QVERIFY(log->lines().isEmpty());
        QCOMPARE(h->client.cookieJar().cookies(), cookiesBefore);
        QCOMPARE(h->loginCount(), 0);

        h->server.clearRequests();
        VERIFY_NETWORK_ERROR(runTask(h->client.getTags()), Kind::unauthorized);
        QCOMPARE(h->server.requestCount(), 0);
    }

    void reloginClearsCookiesOfEveryHost()
    {
        QNetworkCookie other("tracker", "keep-me-not");
        h->client.cookieJar().setCookiesFromUrl({other}, QUrl("http://example.org/"));
        QVERIFY(!h->client.cookieJar().cookiesForUrl(QUrl("http://example.org/")).isEmpty());
        h->server.enqueue(tagsPath, TestResponse::withStatus(403));
        VERIFY_OK(runTask(h->client.getTags()));
        QVERIFY(h->client.cookieJar().cookiesForUrl(QUrl("http://example.org/")).isEmpty());
        const auto remaining = h->client.cookieJar().cookies();
        QCOMPARE(remaining.size(), 1);
        QCOMPARE(remaining[0].value(), ApiHarness::sid);
    }

    void login_data()
    {
        QTest::addColumn<TestResponse>("answer");
        QTest::addColumn<Expect>("expect");
        QTest::newRow("200 Ok.") << TestResponse::text("Ok.") << Expect{true};
        QTest::newRow("200 empty") << TestResponse::withStatus(200) << Expect{true};
        QTest::newRow("204 empty") << TestResponse::noContent() << Expect{true};
        QTest::newRow("201") << TestResponse::text("Created", 201) << Expect{true};
        QTest::newRow("200 not UTF-8") << TestResponse::text("\xff\xfe\xfd") << Expect{true};
        QTest::newRow("200 Fails.") << TestResponse::loginFails() << Expect{false, Kind::unauthorized};
        QTest::newRow("200 failed") << TestResponse::text("login failed, sorry")
                                    << Expect{false, Kind::unauthorized};
        QTest::newRow("200 FAIL upper") << TestResponse::text("FAIL") << Expect{true};
        QTest::newRow("401") << TestResponse::withStatus(401) << Expect{false, Kind::unauthorized};
        QTest::newRow("403") << TestResponse::withStatus(403, "Banned") << Expect{false, Kind::unauthorized};
        QTest::newRow("404") << TestResponse::withStatus(404) << Expect{false, Kind::serverError, 404};
        QTest::newRow("500") << TestResponse::withStatus(500) << Expect{false, Kind::serverError, 500};
    }

    // Every 2xx is an accepted answer; the text test applies only to a body.
    void login()
    {
        QFETCH(TestResponse, answer);
        QFETCH(Expect, expect);
        TestHttpServer server;
        server.enqueue(ApiHarness::loginPath, answer);
        server.on(ApiHarness::versionPath, TestResponse::text("v5.2.0"));
        APIVersionManager versions;
        RecordingKeychain keychain;
        QBittorrentAPIClient client(keychain, versions);
        const ServerConfig profile = server.serverConfig();

        const auto outcome = runTask(client.login(profile, ApiHarness::password));
        verifyOutcome(outcome.error, outcome.finished, expect);
        QCOMPARE(client.isAuthenticated(), expect.ok);
        QCOMPARE(client.currentServer().has_value(), expect.ok);
        QCOMPARE(server.requestsTo(ApiHarness::versionPath).size(), expect.ok ? 1 : 0);
        // The connection test judges the same answer the same way.
        server.enqueue(ApiHarness::loginPath, answer);
        const auto test = runTask(client.testConnection(profile, "x"));
        verifyOutcome(test.error, test.finished, expect);
    }

    // A refused login to B leaves the client connected to A.
    void failedLoginKeepsPreviousServer()
    {
        TestHttpServer other;
        other.on(ApiHarness::loginPath, TestResponse::loginFails());
        VERIFY_NETWORK_ERROR(runTask(h->client.login(other.serverConfig(), "wrong")), Kind::unauthorized);
        QVERIFY(h->client.isAuthenticated());
        QCOMPARE(h->client.currentServer()->id, h->profile.id);
        QCOMPARE(other.requestsTo(ApiHarness::versionPath).size(), 0);
    }

    void formActionStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<Expect>("expect");
        QTest::newRow("200") << 200 << Expect{true};
        QTest::newRow("204") << 204 << Expect{true};
        QTest::newRow("404") << 404 << Expect{false, Kind::notFound};
        QTest::newRow("409") << 409 << Expect{false, Kind::serverError, 409};
        QTest::newRow("500") << 500 << Expect{false, Kind::serverError, 500};
    }

    // Actions and limits are checked like fetches, not reported as success whatever happens.
    void formActionStatus()
    {
        QFETCH(int, status);
        QFETCH(Expect, expect);
        const std::pair<QByteArray, std::function<QCoro::Task<void>()>> operations[] = {
            {"/api/v2/torrents/pause", [this] { return h->client.performAction(APIEndpoint::pause("a")); }},
            {"/api/v2/torrents/delete",
             [this] { return h->client.performAction(APIEndpoint::deleteTorrents("a", true)); }},
            {"/api/v2/transfer/setDownloadLimit", [this] { return h->client.setDownloadLimit(1); }},
            {"/api/v2/transfer/setUploadLimit", [this] { return h->client.setUploadLimit(1); }},
        };
        for (const auto &[path, operation] : operations) {
            h->server.enqueue(path, TestResponse::withStatus(status));
            const auto outcome = runTask(operation());
            verifyOutcome(outcome.error, outcome.finished, expect);
            if (QTest::currentTestFailed())
                qWarning("while posting to %s", path.constData());
        }
        QCOMPARE(h->loginCount(), 0);
    }

    void formActionRelogin_data()
    {
        QTest::addColumn<int>("secondStatus");
        QTest::addColumn<Expect>("expect");
        QTest::newRow("then 200") << 200 << Expect{true};
        QTest::newRow("then 403") << 403 << Expect{false, Kind::unauthorized};
        QTest::newRow("then 500") << 500 << Expect{false, Kind::unauthorized};
    }

    // A rejected action logs in once and is posted again with the same body.
    void formActionRelogin()
    {
        QFETCH(int, secondStatus);
        QFETCH(Expect, expect);
        const QByteArray path = "/api/v2/torrents/setForceStart";
        h->server.enqueue(path, TestResponse::withStatus(403));
        h->server.enqueue(path, TestResponse::withStatus(secondStatus));
        const auto outcome = runTask(h->client.performAction(APIEndpoint::setForceStart("a|b", true)));
        verifyOutcome(outcome.error, outcome.finished, expect);
        QCOMPARE(h->loginCount(), 1);
        const auto posts = h->server.requestsTo(path);
        QCOMPARE(posts.size(), 2);
        QCOMPARE(posts[1].body, QByteArray("hashes=a|b&value=true"));
        QCOMPARE(posts[1].header("Content-Type").value_or(""),
                 QByteArray("application/x-www-form-urlencoded"));
    }

    void uploadStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<Expect>("expect");
        QTest::newRow("200") << 200 << Expect{true};
        QTest::newRow("202") << 202 << Expect{true};
        QTest::newRow("401 no re-login") << 401 << Expect{false, Kind::serverError, 401};
        QTest::newRow("403 no re-login") << 403 << Expect{false, Kind::serverError, 403};
        QTest::newRow("404") << 404 << Expect{false, Kind::serverError, 404};
        QTest::newRow("415 bad torrent") << 415 << Expect{false, Kind::serverError, 415};
    }

    void uploadStatus()
    {
        QFETCH(int, status);
        QFETCH(Expect, expect);
        const QByteArray path = "/api/v2/torrents/add";
        h->server.enqueue(path, TestResponse::withStatus(status, status < 300 ? "Ok." : "Fails."));
        const auto byLink = runTask(h->client.addTorrent(QStringLiteral("magnet:?xt=urn:btih:abc")));
        verifyOutcome(byLink.error, byLink.finished, expect);
        h->server.enqueue(path, TestResponse::withStatus(status));
        const auto byFile = runTask(h->client.addTorrentFile(QStringLiteral("a.torrent"), "d4:infoe"));
        verifyOutcome(byFile.error, byFile.finished, expect);
        QCOMPARE(h->loginCount(), 0);
        QCOMPARE(h->server.requestsTo(path).size(), 2);
    }

    // "Fails." with 200 is how servers before 5.x say that nothing was added.
    void uploadAnsweredFailsAddedNothing()
    {
        const QByteArray path = "/api/v2/torrents/add";
        h->server.enqueue(path, TestResponse::text("Fails."));
        const auto byLink = runTask(h->client.addTorrent(QStringLiteral("not a link")));
        VERIFY_NETWORK_ERROR(byLink, NetworkError::Kind::torrentRejected);
        QVERIFY(byLink.error->localizedDescription().startsWith(QStringLiteral("服务器未添加种子")));
        h->server.enqueue(path, TestResponse::text("Fails.\n"));
        VERIFY_NETWORK_ERROR(runTask(h->client.addTorrentFile(QStringLiteral("a.torrent"), "junk")),
                             NetworkError::Kind::torrentRejected);
    }

    // A client that never logged in sends nothing and reports that it is not connected.
    void everyOperationNeedsAServer()
    {
        TestHttpServer server;
        APIVersionManager versions;
        RecordingKeychain keychain;
        QBittorrentAPIClient client(keychain, versions);
        const auto none = [](auto task) -> QCoro::Task<void> { co_await std::move(task); };
        const std::pair<const char *, std::function<QCoro::Task<void>()>> operations[] = {
            {"getVersion", [&] { return none(client.getVersion()); }},
            {"pause", [&] { return client.performAction(APIEndpoint::pause("a")); }},
            {"resume", [&] { return client.performAction(APIEndpoint::resume("a")); }},
            {"setForceStart", [&] { return client.performAction(APIEndpoint::setForceStart("a", true)); }},
            {"recheck", [&] { return client.performAction(APIEndpoint::recheck("a")); }},
            {"reannounce", [&] { return client.performAction(APIEndpoint::reannounce("a")); }},
            {"delete", [&] { return client.performAction(APIEndpoint::deleteTorrents("a", false)); }},
            {"files", [&] { return none(client.getTorrentFiles("a")); }},
            {"trackers", [&] { return none(client.getTorrentTrackers("a")); }},
            {"peers", [&] { return none(client.getTorrentPeers("a")); }},
            {"addTorrent", [&] { return client.addTorrent("magnet:?a", "/x", "c", "t"); }},
            {"addTorrentFile", [&] { return client.addTorrentFile("a.torrent", "d4:infoe"); }},
            {"transferInfo", [&] { return none(client.getTransferInfo()); }},
            {"syncData", [&] { return none(client.getSyncData(std::nullopt)); }},
            {"syncData rid", [&] { return none(client.getSyncData(3)); }},
            {"mainData", [&] { return none(client.getMainData()); }},
            {"categories", [&] { return none(client.getCategories()); }},
            {"tags", [&] { return none(client.getTags()); }},
            {"downloadLimit", [&] { return client.setDownloadLimit(0); }},
            {"uploadLimit", [&] { return client.setUploadLimit(0); }},
            {"reauthenticate", [&] { return client.reauthenticate(); }},
        };
        for (const auto &[name, operation] : operations) {
            const auto outcome = runTask(operation());
            QVERIFY2(outcome.finished, name);
            QVERIFY2(isNetworkError(outcome.error, Kind::unauthorized), name);
        }
        QCOMPARE(server.requestCount(), 0);
        QCOMPARE(server.connectionCount(), 0);
        QVERIFY(keychain.readAccounts.isEmpty());
    }

    void errorTexts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("suggestion");
        const QString restart = QStringLiteral("尝试重新连接服务器或重启 qBittorrent");
        QTest::newRow("serverError") << 0 << QStringLiteral("服务器错误 (503)") << QString();
        QTest::newRow("decodingError")
            << 1
            << QStringLiteral("数据解析失败\n\n可能原因：\n• 服务器返回了空数据\n• qBittorrent 版本不兼容\n• "
                              "服务器未正确响应\n\n请检查 qBittorrent 是否正常运行")
            << restart;
        QTest::newRow("invalidURL") << 2 << QStringLiteral("无效的 URL") << QString();
        QTest::newRow("unauthorized") << 3
                                      << QStringLiteral("未连接到服务器\n\n请先在「设置」页面中添加并连接 "
                                                        "qBittorrent 服务器")
                                      << QStringLiteral("前往「设置」页面，添加并连接到 qBittorrent 服务器");
        QTest::newRow("forbidden") << 4 << QStringLiteral("访问被拒绝") << QString();
        QTest::newRow("notFound") << 5 << QStringLiteral("资源未找到") << QString();
        QTest::newRow("noData") << 6
                                << QStringLiteral(
                                       "服务器没有返回数据\n\n请检查 qBittorrent 服务器是否正常运行")
                                << restart;
        QTest::newRow("invalidResponse")
            << 7 << QStringLiteral("服务器响应无效\n\n请检查服务器地址和端口是否正确") << QString();
        QTest::newRow("timeout") << 8
                                 << QStringLiteral("连接超时\n\n请检查：\n• 服务器地址和端口是否正确\n• "
                                                   "服务器是否在线\n• 网络连接是否正常")
                                 << QString();
        QTest::newRow("connectionFailed")
            << 9
            << QStringLiteral("无法连接到服务器\n\n请检查：\n• 服务器地址和端口\n• "
                              "qBittorrent Web UI 是否已启用\n• 网络连接是否正常")
            << QStringLiteral("检查服务器设置并重新连接");
        QTest::newRow("networkError")
            << 10
            << QStringLiteral("网络连接失败\n\n请检查：\n• 服务器是否在线\n• "
                              "网络连接是否正常\n• 防火墙设置\n\n详细信息：连接被拒绝")
            << QStringLiteral("检查服务器设置并重新连接");
    }

    // The texts a person reads; a typo here is a visible fault.
    void errorTexts()
    {
        QFETCH(int, row);
        QFETCH(QString, description);
        QFETCH(QString, suggestion);
        const NetworkError errors[] = {
            NetworkError::serverError(503),
            NetworkError::decodingError(nullptr),
            NetworkError::invalidURL(),
            NetworkError::unauthorized(),
            NetworkError::forbidden(),
            NetworkError::notFound(),
            NetworkError::noData(),
            NetworkError::invalidResponse(),
            NetworkError::timeout(),
            NetworkError::connectionFailed(),
            NetworkError::networkError(TransportError(QNetworkReply::ConnectionRefusedError).clone()),
        };
        QCOMPARE(errors[row].errorDescription(), description);
        QCOMPARE(errors[row].localizedDescription(), description);
        QCOMPARE(errors[row].recoverySuggestion().value_or(QString()), suggestion);
        QCOMPARE(errors[row].recoverySuggestion().has_value(), !suggestion.isEmpty());
    }
};

QTEST_GUILESS_MAIN(StatusReloginTest)
#include "tst_StatusRelogin.moc"
