// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How answers are judged: the status mapping of fetches, form actions and uploads, the login
// check, the single re-login with the provider's password, the disconnected client, and what
// the client makes of sync bodies (with the log lines of a failed decoding).
#include <QtEndian>
#include "ApiHarness.h"

#include "support/Fixtures.h"

#include "api/SessionCookieJar.h"
#include "model/DecodingError.h"

#include <QCryptographicHash>
#include <QNetworkCookie>
#include <QRegularExpression>

#include <zlib.h>

namespace {

// The bytes as one gzip member.
QByteArray gzip(const QByteArray &bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

const QByteArray tagsPath = "/api/v2/torrents/tags";
const QByteArray syncPath = "/api/v2/sync/maindata";
const QString unauthorized = QStringLiteral("unauthorized");
using Operation = std::function<QCoro::Task<void>()>;

} // namespace

class StatusReloginTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ApiHarness> h;
    std::unique_ptr<LogCapture> log;

    Operation fetchTags()
    {
        return [this] { return discard(h->client.fetch(APIEndpoint::tags(), h->profile, true)); };
    }

private Q_SLOTS:
    void init()
    {
        log.reset(); // one capture at a time
        h = std::make_unique<ApiHarness>();
        h->server.on(tagsPath, TestResponse::json(R"(["a","b"])"));
        h->server.setFallback([](const RecordedRequest &) { return TestResponse::text("Ok."); });
        h->storePassword();
        QVERIFY(h->connect());
        log = std::make_unique<LogCapture>();
    }

    // No log line of any case carries a credential or the session id.
    void cleanup()
    {
        const QString lines = log->lines().join(u'\n');
        h.reset();
        log.reset();
        for (const QString &secret : {ApiHarness::password, QString::fromLatin1(ApiHarness::sid), u"SID="_qs})
            QVERIFY2(!lines.contains(secret), qPrintable(lines));
    }

    void statusMapping_data() { rowsFrom("statusMapping"); }

    // Actions, limits and uploads are checked like fetches, never reported as success whatever
    // happens. Servers before 5.x say that an add added nothing with 200 and "Fails.", later
    // ones with their counts or 409. A 401 or 403 makes the others log in again and repeat; an
    // upload is never repeated. What a proxy or a sign-on gate answers is never taken for
    // qBittorrent's answer, nor for a lost session.
    void statusMapping()
    {
        QFETCH(QJsonObject, row);
        const QString expect = row["expect"].toString(), upload = row["upload"].toString();
        auto &c = h->client;
        // clang-format off
        const std::tuple<QByteArray, Operation, QString> operations[] = {
            {tagsPath, fetchTags(), expect},
            {"/api/v2/torrents/delete", [&] { return c.performAction(APIEndpoint::deleteTorrents("a", true)); }, expect},
            {"/api/v2/transfer/setDownloadLimit", [&] { return c.setDownloadLimit(1); }, expect},
            {"/api/v2/torrents/add", [&] { return c.addTorrent(QStringLiteral("magnet:?a")); }, upload},
            {"/api/v2/torrents/add", [&] { return c.addTorrentFile(QStringLiteral("a"), "d4:infoe"); }, upload},
        };
        // clang-format on
        for (const auto &[path, operation, wanted] : operations) {
            h->server.enqueue(path, answerOf(row));
            QCOMPARE(verdict(runTask(operation())), wanted);
        }
        QCOMPARE(h->loginCount(), row["logins"].toInt());
        // Each re-login is a login, a version request and the one repetition.
        QCOMPARE(h->server.requestCount(), 5 + 3 * h->loginCount());
    }

    void relogin_data() { rowsFrom("relogin"); }

    // One re-login with the provider's password, then the same request once more: whatever
    // the repetition answers, the caller learns that the session is gone.
    void relogin()
    {
        QFETCH(QJsonObject, row);
        const bool form = row["form"].toBool();
        const int second = row["second"].toInt(); // 0: the re-login is refused
        const QByteArray path = form ? "/api/v2/torrents/setForceStart" : tagsPath;
        h->server.enqueue(path, TestResponse::withStatus(row["first"].toInt()));
        if (second)
            h->server.enqueue(path, TestResponse::withStatus(second, second == 200 ? R"(["a"])" : ""));
        else if (row.contains("login"))
            h->server.enqueue(ApiHarness::loginPath, TestResponse::withStatus(row["login"].toInt()));
        else
            h->server.enqueue(ApiHarness::loginPath, TestResponse::loginFails());
        if (row.contains("probe")) {
            h->server.emulateLogin(h->profile.username, ApiHarness::password, ApiHarness::sid, false);
            h->server.enqueue(ApiHarness::versionPath, TestResponse::withStatus(row["probe"].toInt()));
        }
        const auto action = [&] { return h->client.performAction(APIEndpoint::setForceStart("a|b", true)); };
        QCOMPARE(verdict(runTask(form ? action() : fetchTags()())), row["expect"].toString());
        QCOMPARE(h->loginCount(), 1);
        QCOMPARE(h->readAccounts, QStringList{h->profile.accountName()});
        const auto requests = h->server.requestsTo(path);
        QCOMPARE(requests.size(), second ? 2 : 1);
        if (form) {
            QCOMPARE(requests[1].body, QByteArray("hashes=a|b&value=true"));
            QCOMPARE(requests[1].header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        }
        QVERIFY(log->contains("🔄 检测到会话过期，正在重新登录..."));
        QCOMPARE(log->contains("✅ 重新登录成功"), second != 0);
        QVERIFY(h->client.isAuthenticated());
        if (second)
            return;
        // A refusal of the credentials is remembered: refresh ticks never add up to a ban. A
        // login of the user's own clears it.
        const bool sticky = row["sticky"].toBool();
        QCOMPARE(bool(h->client.credentialFailure()), sticky);
        h->server.emulateLogin(h->profile.username, ApiHarness::password, ApiHarness::sid, false);
        h->server.clearRequests();
        for (int tick = 0; tick < 3; ++tick) {
            h->server.enqueue(tagsPath, TestResponse::withStatus(403));
            QCOMPARE(verdict(runTask(fetchTags()())), sticky ? row["expect"].toString() : "ok");
        }
        QCOMPARE(h->loginCount(), sticky ? 0 : 3);
        VERIFY_OK(runTask(h->client.login(h->profile, ApiHarness::password)));
        QVERIFY(!h->client.credentialFailure());
        h->server.enqueue(tagsPath, TestResponse::withStatus(403));
        VERIFY_OK(runTask(fetchTags()()));
    }

    // Servers from 5.2 on name the session cookie after their port; any name works.
    void portNamedSessionCookie()
    {
        const QByteArray cookie = "QBT_SID_" + QByteArray::number(h->server.port()) + "=fiveSid";
        h->server.emulateLogin(h->profile.username, ApiHarness::password, ApiHarness::sid, false);
        h->server.on(ApiHarness::loginPath,
                     TestResponse::noContent().withHeader("Set-Cookie", cookie + "; HttpOnly; path=/"));
        h->server.on(tagsPath, [cookie](const RecordedRequest &request) {
            return request.header("Cookie") == cookie ? TestResponse::json(R"(["x"])")
                                                      : TestResponse::withStatus(401);
        });
        h->client.clearCookies();
        VERIFY_OK(runTask(h->client.login(h->profile, ApiHarness::password)));
        QCOMPARE(runTask(h->client.getTags()).value, QStringList{"x"});
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
        QCOMPARE(tags[1].header("Cookie"), QByteArray("SID=renewedSid"));
        const auto remaining = h->client.cookieJar().cookies();
        QVERIFY(remaining.size() == 1 && remaining[0].value() == "renewedSid");
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
        QCOMPARE(log->startingWith("⚠️ 获取服务器版本失败: ").size(), 2);
        auto &c = h->client;
        const Operation operations[] = {
            fetchTags(), [&] { return c.performAction(APIEndpoint::recheck("abc")); },
            [&] { return c.setUploadLimit(10); }, [&] { return discard(c.getVersion()); }};
        for (const auto &operation : operations) {
            h->server.clearRequests();
            QCOMPARE(verdict(runTask(operation())), unauthorized);
            QCOMPARE(h->loginCount(), 1);
        }
    }

    // Without a password (none stored, no provider, a failing provider) the client forgets
    // its server: no log line, no cookie deleted, and every later operation fails at once.
    void reloginWithoutPassword()
    {
        for (const int setup : {0, 1, 2}) {
            init();
            h->passwords.clear();
            if (setup == 1)
                h->client.setPasswordProvider({});
            if (setup == 2)
                h->client.setPasswordProvider([](QString) -> QCoro::Task<std::optional<QString>> {
                    throw NetworkError::noData();
                    co_return std::nullopt;
                });
            const auto cookiesBefore = h->client.cookieJar().cookies();
            h->server.enqueue(tagsPath, TestResponse::withStatus(401));
            QCOMPARE(verdict(runTask(h->client.getTags())), unauthorized);
            QVERIFY(!h->client.isAuthenticated() && !h->client.currentServer());
            QVERIFY(log->lines().isEmpty());
            QCOMPARE(h->client.cookieJar().cookies(), cookiesBefore);
            QCOMPARE(h->loginCount(), 0);
            h->server.clearRequests();
            QCOMPARE(verdict(runTask(h->client.getTags())), unauthorized);
            QCOMPARE(h->server.requestCount(), 0);
        }
    }

    void login_data() { rowsFrom("login"); }

    // Every 2xx is an accepted answer; the text test applies only to a body. 403 is a ban (its
    // text is translated); a 401 is told apart by a version request without credentials. A
    // refused login to another server leaves the client connected to the one it had.
    void login()
    {
        QFETCH(QJsonObject, row);
        const QString expect = row["expect"].toString();
        const bool ok = expect == QLatin1String("ok");
        TestHttpServer other;
        const auto answer = answerOf(row);
        other.enqueue(ApiHarness::loginPath, answer);
        for (int i = 0; i < 2 && row.contains("probe"); ++i) // the login's, the test's
            other.enqueue(ApiHarness::versionPath, TestResponse::withStatus(row["probe"].toInt()));
        other.on(ApiHarness::versionPath, TestResponse::text("v5.2.0"));
        const ServerConfig profile = other.serverConfig();
        QCOMPARE(verdict(runTask(h->client.login(profile, ApiHarness::password))), expect);
        QVERIFY(h->client.isAuthenticated());
        QCOMPARE(h->client.currentServer()->id, ok ? profile.id : h->profile.id);
        QCOMPARE(other.requestsTo(ApiHarness::versionPath).size(), ok || row.contains("probe") ? 1 : 0);
        // The connection test judges the same answer the same way.
        other.enqueue(ApiHarness::loginPath, answer);
        QCOMPARE(verdict(runTask(h->client.testConnection(profile, "x"))), expect);
    }

    // The texts a person reads (a typo is a visible fault), kept in a snapshot file.
    void errorTexts()
    {
        QFile file(QFINDTESTDATA("network-error-texts.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject expected = QJsonDocument::fromJson(file.readAll()).object();
        using N = NetworkError;
        const auto refused = TransportError(QNetworkReply::ConnectionRefusedError).clone();
        // clang-format off
        const NetworkError errors[] = {N::serverError(503), N::decodingError(nullptr), N::invalidURL(), N::unauthorized(), N::forbidden(), N::notFound(), N::noData(), N::invalidResponse(), N::timeout(), N::connectionFailed(), N::responseTooLarge(1), N::torrentRejected(), N::networkError(refused),
                                       N::loginBanned(), N::requestRejected(), N::proxyAuthenticationFailed(), N::proxyUnreachable(502), N::htmlPage(), N::apiKeyRejected()};
        // clang-format on
        QCOMPARE(expected.size(), qsizetype(std::size(errors)));
        for (const NetworkError &error : errors) {
            const QJsonObject texts = expected[error.debugDescription().section(u'(', 0, 0)].toObject();
            QCOMPARE(error.errorDescription(), texts["description"].toString());
            QCOMPARE(error.localizedDescription(), error.errorDescription());
            QCOMPARE(error.recoverySuggestion().value_or("(none)"), texts["suggestion"].toString("(none)"));
        }
    }

    void syncAnswers_data()
    {
        rowsFrom("syncAnswers");
        const QByteArray full = fixture("maindata-full.json");
        const QByteArray deep =
            "{\"rid\":1,\"torrents\":{\"a\":" + QByteArray(100'000, '[') + QByteArray(100'000, ']');
        // clang-format off
        QTest::newRow("recorded full answer") << QJsonObject{{"bytes", QString::fromLatin1(full)}, {"line", "✅ SyncData 解码成功: rid=1, torrents=2个"}};
        QTest::newRow("deep nesting") << QJsonObject{{"bytes", QString::fromLatin1(deep + "}}")}};
        // clang-format on
    }

    // A decoded answer: its one line. A failure crashes nothing: the failure line with the error,
    // then exactly one diagnostic line (of a known kind, and the given one where the row names
    // it), and the same error passed on.
    void syncAnswers()
    {
        QFETCH(QJsonObject, row);
        h->server.enqueue(syncPath, TestResponse::json(bytesOf(row)));
        const auto outcome = runTask(h->client.getSyncData(5));
        if (row.contains("line")) {
            VERIFY_OK(outcome);
            QCOMPARE(log->lines(), QStringList{row["line"].toString()});
            return;
        }
        const auto *error = outcome.errorAs<DecodingError>();
        QVERIFY2(error, qPrintable(verdict(outcome)));
        QCOMPARE(log->lines().size(), 2);
        QCOMPARE(log->lines()[0], "❌ SyncData 解码失败: " + error->debugDescription());
        const QString line = log->lines()[1];
        if (row.contains("diagnostic"))
            QCOMPARE(line, row["diagnostic"].toString());
        static const QRegularExpression known(
            QStringLiteral("^   (类型不匹配: 期望 |值不存在: |缺少字段: |数据损坏: )"));
        QVERIFY2(known.match(line).hasMatch(), qPrintable(line));
    }

    // Sync answers are asked for gzip-compressed and inflated with the decoding: members one
    // after another joined; a stream cut short, one that inflates past the bound or a page
    // where JSON belongs is refused with what it is. A big answer's parser is readied while it
    // is inflated (the pages faulted in beforehand must be the parser's own).
    void compressedSyncAnswers_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind"); // NetworkError::Kind, -1 for a decoded answer
        QTest::addColumn<int>("torrents");
        QTest::addColumn<qint64>("limit");
        const QByteArray full = fixture("maindata-full.json");
        QByteArray big = R"({"rid":1,"full_update":true,"torrents":{)";
        const QJsonObject listed = QJsonDocument::fromJson(full)["torrents"].toObject();
        const QByteArray one = QJsonDocument(listed.begin()->toObject()).toJson(QJsonDocument::Compact);
        constexpr int bigCount = 5000; // 6 MB
        for (int i = 0; i < bigCount; ++i) {
            const QByteArray hash = QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Sha1).toHex();
            big += (i ? ",\"" : "\"") + hash + "\":" + one;
        }
        big += "}}";
        const QByteArray endless = "{\"rid\":1,\"x\":\"" + QByteArray(1 << 20, 'a') + "\"}";
        using K = NetworkError::Kind;
        const qint64 small = 256 * 1024, large = 64 << 20;
        QTest::newRow("one member") << gzip(full) << -1 << 2 << small;
        QTest::newRow("two members") << gzip(full.left(100)) + gzip(full.mid(100)) << -1 << 2 << small;
        QTest::newRow("big") << gzip(big) << -1 << bigCount << large;
        QTest::newRow("big, cut short") << gzip(big).chopped(20) << int(K::invalidResponse) << 0 << large;
        QTest::newRow("big, a page") << gzip("<html><body>" + big + "</body></html>") << int(K::htmlPage) << 0 << large;
        QTest::newRow("cut short") << gzip(full).chopped(20) << int(K::invalidResponse) << 0 << small;
        QTest::newRow("past the bound") << gzip(endless) << int(K::responseTooLarge) << 0 << small;
        // The size in the trailer is only trusted as far as the bytes bear it out.
        const auto sized = [](QByteArray gz, quint32 size) {
            qToLittleEndian(size, gz.data() + gz.size() - 4);
            return gz;
        };
        QTest::newRow("trailer too small") << sized(gzip(full), 100) << int(K::invalidResponse) << 0 << small;
        QTest::newRow("trailer too big") << sized(gzip(full), quint32(full.size() + 100)) << int(K::invalidResponse) << 0 << small;
        QTest::newRow("past the bound, trailer small") << sized(gzip(endless), 10) << int(K::responseTooLarge) << 0 << small;
        QTest::newRow("a page") << gzip(" <html><body>登录</body></html>") << int(K::htmlPage) << 0 << small;
    }

    void compressedSyncAnswers()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, kind);
        QFETCH(int, torrents);
        QFETCH(qint64, limit);
        h->client.setResponseSizeLimit(limit);
        h->server.enqueue(syncPath, TestResponse::json(body).withHeader("Content-Encoding", "gzip"));
        const auto outcome = runTask(h->client.getSyncData(5));
        QCOMPARE(h->server.lastRequest().header("Accept-Encoding"), std::optional<QByteArray>("gzip"));
        if (kind < 0) {
            VERIFY_OK(outcome);
            QCOMPARE(outcome.value->torrents->size(), torrents);
            return;
        }
        const auto *error = outcome.errorAs<NetworkError>();
        QVERIFY2(error && int(error->kind()) == kind, qPrintable(verdict(outcome)));
    }
};

QTEST_GUILESS_MAIN(StatusReloginTest)
#include "tst_StatusRelogin.moc"
