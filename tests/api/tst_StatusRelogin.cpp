// How answers are judged: the status mapping of fetches, form actions and uploads, the login
// check, the single re-login with the provider's password, and the disconnected client.
#include "ApiHarness.h"

#include "api/SessionCookieJar.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkCookie>

namespace {

const QByteArray tagsPath = "/api/v2/torrents/tags";
const QByteArray forcePath = "/api/v2/torrents/setForceStart";
const QString reloginStarted = QStringLiteral("🔄 检测到会话过期，正在重新登录...");
const QString reloginDone = QStringLiteral("✅ 重新登录成功");

using Kind = NetworkError::Kind;
using Operation = std::function<QCoro::Task<void>()>;

// What an outcome is expected to be: success, or a NetworkError of a kind (and status).
struct Expect
{
    bool ok = false;
    Kind kind = Kind::serverError;
    int status = 0;
};

bool matches(const ErrorPtr &error, bool finished, const Expect &expect)
{
    if (!finished || expect.ok != !error)
        return false;
    if (expect.ok)
        return true;
    return isNetworkError(error, expect.kind) &&
           (expect.kind != Kind::serverError ||
            static_cast<const NetworkError &>(*error).statusCode() == expect.status);
}

#define VERIFY_EXPECT(outcome, expect, what)                                                                 \
    do {                                                                                                     \
        const auto &o_ = (outcome);                                                                          \
        QVERIFY2(matches(o_.error, o_.finished, expect),                                                     \
                 qPrintable(QStringLiteral("%1: %2").arg(what, describe(o_.error))));                        \
    } while (false)

} // namespace

Q_DECLARE_METATYPE(Expect)
Q_DECLARE_METATYPE(TestResponse)

class StatusReloginTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ApiHarness> h;
    std::unique_ptr<LogCapture> log;

    Operation fetchTags()
    {
        return [this] { return discard(h->client.fetch(APIEndpoint::tags(), h->profile, true)); };
    }

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

    void statusMapping_data()
    {
        QTest::addColumn<TestResponse>("answer");
        QTest::addColumn<Expect>("expect");       // fetches and form actions
        QTest::addColumn<Expect>("uploadExpect"); // uploads
        const Expect ok{true};
        const auto server = [](int status) { return Expect{false, Kind::serverError, status}; };
        QTest::newRow("200") << TestResponse::text("body") << ok << ok;
        QTest::newRow("204") << TestResponse::noContent() << ok << ok;
        QTest::newRow("299") << TestResponse::withStatus(299, "x") << ok << ok;
        // Servers before 5.x say that an add added nothing with 200 and "Fails.".
        QTest::newRow("200 Fails.") << TestResponse::text("Fails.\n") << ok
                                    << Expect{false, Kind::torrentRejected};
        QTest::newRow("400") << TestResponse::withStatus(400) << server(400) << server(400);
        QTest::newRow("404") << TestResponse::withStatus(404) << Expect{false, Kind::notFound} << server(404);
        QTest::newRow("409") << TestResponse::withStatus(409) << server(409) << server(409);
        QTest::newRow("415") << TestResponse::withStatus(415, "Fails.") << server(415) << server(415);
        QTest::newRow("500") << TestResponse::withStatus(500, "oops") << server(500) << server(500);
    }

    // Actions, limits and uploads are checked like fetches, never reported as success whatever
    // happens.
    void statusMapping()
    {
        QFETCH(TestResponse, answer);
        QFETCH(Expect, expect);
        QFETCH(Expect, uploadExpect);
        const std::tuple<QByteArray, Operation, Expect> operations[] = {
            {tagsPath, fetchTags(), expect},
            {"/api/v2/torrents/delete",
             [this] { return h->client.performAction(APIEndpoint::deleteTorrents("a", true)); }, expect},
            {"/api/v2/transfer/setDownloadLimit", [this] { return h->client.setDownloadLimit(1); }, expect},
            {"/api/v2/torrents/add", [this] { return h->client.addTorrent(QStringLiteral("magnet:?a")); },
             uploadExpect},
            {"/api/v2/torrents/add",
             [this] { return h->client.addTorrentFile(QStringLiteral("a"), "d4:infoe"); }, uploadExpect},
        };
        for (const auto &[path, operation, wanted] : operations) {
            h->server.enqueue(path, answer);
            VERIFY_EXPECT(runTask(operation()), wanted, QString::fromLatin1(path));
        }
        QCOMPARE(h->loginCount(), 0);
        QCOMPARE(h->server.requestCount(), qsizetype(std::size(operations)));
    }

    void relogin_data()
    {
        QTest::addColumn<bool>("form");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second"); // the repeated request's status; 0: not repeated
        QTest::addColumn<Expect>("expect");
        const Expect ok{true};
        const Expect gone{false, Kind::unauthorized};
        QTest::newRow("fetch 401, then 200") << false << 401 << 200 << ok;
        QTest::newRow("fetch 403, then 200") << false << 403 << 200 << ok;
        QTest::newRow("fetch 401 twice") << false << 401 << 401 << gone;
        QTest::newRow("fetch 403, then 403") << false << 403 << 403 << gone;
        // Whatever the repetition answers, the caller learns that the session is gone.
        QTest::newRow("fetch 401, then 404") << false << 401 << 404 << gone;
        QTest::newRow("fetch 401, then 500") << false << 401 << 500 << gone;
        QTest::newRow("form 403, then 200") << true << 403 << 200 << ok;
        QTest::newRow("form 403, then 500") << true << 403 << 500 << gone;
        QTest::newRow("re-login refused") << false << 403 << 0 << gone;
    }

    // One re-login with the provider's password, then the same request once more.
    void relogin()
    {
        QFETCH(bool, form);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(Expect, expect);
        const QByteArray path = form ? forcePath : tagsPath;
        h->server.enqueue(path, TestResponse::withStatus(first));
        if (second)
            h->server.enqueue(path, TestResponse::withStatus(second, second == 200 ? R"(["a"])" : ""));
        else
            h->server.enqueue(ApiHarness::loginPath, TestResponse::loginFails());
        const auto outcome =
            runTask(form ? h->client.performAction(APIEndpoint::setForceStart("a|b", true)) : fetchTags()());
        VERIFY_EXPECT(outcome, expect, QStringLiteral("outcome"));
        QCOMPARE(h->loginCount(), 1);
        QCOMPARE(h->readAccounts, QStringList{h->profile.accountName()});
        const auto requests = h->server.requestsTo(path);
        QCOMPARE(requests.size(), second ? 2 : 1);
        if (form) {
            QCOMPARE(requests[1].body, QByteArray("hashes=a|b&value=true"));
            QCOMPARE(requests[1].header("Content-Type").value_or(""),
                     QByteArray("application/x-www-form-urlencoded"));
        }
        QVERIFY(log->lines().contains(reloginStarted));
        QCOMPARE(log->lines().contains(reloginDone), second != 0);
        QVERIFY(h->client.isAuthenticated());
    }

    // The server forgot its sessions (a restart): the old cookie is refused, every host's
    // cookies go, and the new login's cookie is the one sent from then on.
    void forgottenSessionIsRenewed()
    {
        h->client.cookieJar().setCookiesFromUrl({QNetworkCookie("tracker", "x")},
                                                QUrl("http://example.org/"));
        h->server.setSessionId("renewedSid");
        VERIFY_OK(runTask(h->client.getTags()));
        const auto tags = h->server.requestsTo(tagsPath);
        QCOMPARE(tags.size(), 2);
        QCOMPARE(tags[1].header("Cookie").value_or(""), QByteArray("SID=renewedSid"));
        const auto remaining = h->client.cookieJar().cookies();
        QCOMPARE(remaining.size(), 1);
        QCOMPARE(remaining[0].value(), QByteArray("renewedSid"));
    }

    // A server that takes the login but refuses everything after it (its cookie never
    // works): one re-login per operation, never a loop.
    void serverThatRefusesEverythingAfterLogin()
    {
        h->server.on(ApiHarness::loginPath, TestResponse::loginOk("neverAccepted"));
        h->server.setFallback([](const RecordedRequest &) { return TestResponse::withStatus(403); });
        h->server.clearRequests();
        // The login itself: its version request re-logs in once, then gives up on the version.
        VERIFY_OK(runTask(h->client.login(h->profile, ApiHarness::password)));
        QCOMPARE(h->loginCount(), 2);
        QCOMPARE(log->startingWith(QStringLiteral("⚠️ 获取服务器版本失败: ")).size(), 2);

        const std::pair<const char *, Operation> operations[] = {
            {"fetch", fetchTags()},
            {"action", [this] { return h->client.performAction(APIEndpoint::recheck("abc")); }},
            {"limit", [this] { return h->client.setUploadLimit(10); }},
            {"version", [this] { return discard(h->client.getVersion()); }},
        };
        for (const auto &[name, operation] : operations) {
            h->server.clearRequests();
            QVERIFY2(isNetworkError(runTask(operation()).error, Kind::unauthorized), name);
            QVERIFY2(h->loginCount() == 1, name);
        }
    }

    void reloginWithoutPassword_data()
    {
        QTest::addColumn<int>("setup");
        QTest::newRow("no password") << 0;
        QTest::newRow("no provider") << 1;
        QTest::newRow("failing provider") << 2;
    }

    // Without a password the client forgets its server: no log line, no cookie deleted, and
    // every later operation fails at once.
    void reloginWithoutPassword()
    {
        QFETCH(int, setup);
        h->passwords.clear();
        if (setup == 1)
            h->client.setPasswordProvider({});
        if (setup == 2)
            h->client.setPasswordProvider([](QString account) -> QCoro::Task<std::optional<QString>> {
                if (!account.isEmpty())
                    throw NetworkError::noData();
                co_return std::nullopt;
            });
        const auto cookiesBefore = h->client.cookieJar().cookies();
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

    void login_data()
    {
        QTest::addColumn<TestResponse>("answer");
        QTest::addColumn<Expect>("expect");
        const Expect refused{false, Kind::unauthorized};
        QTest::newRow("200 Ok.") << TestResponse::text("Ok.") << Expect{true};
        QTest::newRow("200 empty") << TestResponse::withStatus(200) << Expect{true};
        QTest::newRow("204 empty") << TestResponse::noContent() << Expect{true};
        QTest::newRow("201") << TestResponse::text("Created", 201) << Expect{true};
        QTest::newRow("200 not UTF-8") << TestResponse::text("\xff\xfe\xfd") << Expect{true};
        QTest::newRow("200 FAIL upper") << TestResponse::text("FAIL") << Expect{true};
        QTest::newRow("200 Fails.") << TestResponse::loginFails() << refused;
        QTest::newRow("200 failed") << TestResponse::text("login failed, sorry") << refused;
        QTest::newRow("401") << TestResponse::withStatus(401) << refused;
        QTest::newRow("403") << TestResponse::withStatus(403, "Banned") << refused;
        QTest::newRow("404") << TestResponse::withStatus(404) << Expect{false, Kind::serverError, 404};
        QTest::newRow("500") << TestResponse::withStatus(500) << Expect{false, Kind::serverError, 500};
    }

    // Every 2xx is an accepted answer; the text test applies only to a body. A refused login
    // to another server leaves the client connected to the one it had.
    void login()
    {
        QFETCH(TestResponse, answer);
        QFETCH(Expect, expect);
        TestHttpServer other;
        other.enqueue(ApiHarness::loginPath, answer);
        other.on(ApiHarness::versionPath, TestResponse::text("v5.2.0"));
        const ServerConfig profile = other.serverConfig();

        VERIFY_EXPECT(runTask(h->client.login(profile, ApiHarness::password)), expect,
                      QStringLiteral("login"));
        QVERIFY(h->client.isAuthenticated());
        QCOMPARE(h->client.currentServer()->id, expect.ok ? profile.id : h->profile.id);
        QCOMPARE(other.requestsTo(ApiHarness::versionPath).size(), expect.ok ? 1 : 0);
        // The connection test judges the same answer the same way.
        other.enqueue(ApiHarness::loginPath, answer);
        VERIFY_EXPECT(runTask(h->client.testConnection(profile, "x")), expect, QStringLiteral("test"));
    }

    // An upload is never repeated: its 401 and 403 are plain server errors.
    void uploadIsNotRepeated()
    {
        for (const int status : {401, 403}) {
            h->server.enqueue("/api/v2/torrents/add", TestResponse::withStatus(status));
            VERIFY_EXPECT(runTask(h->client.addTorrent(QStringLiteral("magnet:?a"))),
                          (Expect{false, Kind::serverError, status}), QString::number(status));
        }
        QCOMPARE(h->loginCount(), 0);
    }

    // A client that never logged in asks for no password (every other operation is checked in
    // the framing test).
    void reloginNeedsAServer()
    {
        QBittorrentAPIClient offline(h->versions);
        offline.setPasswordProvider(h->provider());
        VERIFY_NETWORK_ERROR(runTask(offline.reauthenticate()), Kind::unauthorized);
        QVERIFY(h->readAccounts.isEmpty());
    }

    // The texts a person reads (a typo is a visible fault), kept in a snapshot file.
    void errorTexts()
    {
        QFile file(QFINDTESTDATA("network-error-texts.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject expected = QJsonDocument::fromJson(file.readAll()).object();
        const std::pair<const char *, NetworkError> errors[] = {
            {"serverError", NetworkError::serverError(503)},
            {"decodingError", NetworkError::decodingError(nullptr)},
            {"invalidURL", NetworkError::invalidURL()},
            {"unauthorized", NetworkError::unauthorized()},
            {"forbidden", NetworkError::forbidden()},
            {"notFound", NetworkError::notFound()},
            {"noData", NetworkError::noData()},
            {"invalidResponse", NetworkError::invalidResponse()},
            {"timeout", NetworkError::timeout()},
            {"connectionFailed", NetworkError::connectionFailed()},
            {"responseTooLarge", NetworkError::responseTooLarge(1)},
            {"torrentRejected", NetworkError::torrentRejected()},
            {"networkError",
             NetworkError::networkError(TransportError(QNetworkReply::ConnectionRefusedError).clone())},
        };
        QCOMPARE(expected.size(), qsizetype(std::size(errors)));
        for (const auto &[name, error] : errors) {
            const QJsonObject texts = expected[QLatin1String(name)].toObject();
            QCOMPARE(error.errorDescription(), texts[QStringLiteral("description")].toString());
            QCOMPARE(error.localizedDescription(), error.errorDescription());
            QCOMPARE(error.recoverySuggestion().value_or(QStringLiteral("(none)")),
                     texts[QStringLiteral("suggestion")].toString(QStringLiteral("(none)")));
        }
    }
};

QTEST_GUILESS_MAIN(StatusReloginTest)
#include "tst_StatusRelogin.moc"
