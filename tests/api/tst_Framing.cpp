// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What each operation puts on the wire: URL, query order, method, headers and body bytes; and
// which endpoint paths a server of each generation gets, as its version text selects them.
#include "ApiHarness.h"

#include "api/SessionCookieJar.h"
#include "model/DecodingError.h"

#include <QNetworkCookie>
#include <QRegularExpression>
#include <QSet>

namespace {

using Operation = std::function<QCoro::Task<void>(QBittorrentAPIClient &)>;
using Opt = std::optional<QString>;

const QByteArray formType = "application/x-www-form-urlencoded";

// Name, operation, target, and the body of a form POST (null: a GET).
// clang-format off
const std::tuple<const char *, Operation, QByteArray, QByteArray> requestCases[] = {
    {"version", [](auto &c) { return discard(c.getVersion()); }, "/api/v2/app/version", {}},
    {"files", [](auto &c) { return discard(c.getTorrentFiles("abc")); }, "/api/v2/torrents/files?hash=abc", {}},
    {"trackers", [](auto &c) { return discard(c.getTorrentTrackers("abc")); }, "/api/v2/torrents/trackers?hash=abc", {}},
    {"peers", [](auto &c) { return discard(c.getTorrentPeers("abc")); }, "/api/v2/sync/torrentPeers?hash=abc&rid=0", {}},
    {"transfer info", [](auto &c) { return discard(c.getTransferInfo()); }, "/api/v2/transfer/info", {}},
    {"sync full", [](auto &c) { return discard(c.getSyncData(std::nullopt)); }, "/api/v2/sync/maindata", {}},
    {"sync rid 42", [](auto &c) { return discard(c.getSyncData(42)); }, "/api/v2/sync/maindata?rid=42", {}},
    {"main data", [](auto &c) { return discard(c.getMainData()); }, "/api/v2/sync/maindata", {}},
    {"categories", [](auto &c) { return discard(c.getCategories()); }, "/api/v2/torrents/categories", {}},
    {"tags", [](auto &c) { return discard(c.getTags()); }, "/api/v2/torrents/tags", {}},
    {"pause", [](auto &c) { return c.performAction(APIEndpoint::pause("a|b")); }, "/api/v2/torrents/pause", "hashes=a|b"},
    {"force start", [](auto &c) { return c.performAction(APIEndpoint::setForceStart("abc", true)); }, "/api/v2/torrents/setForceStart", "hashes=abc&value=true"},
    {"force start off", [](auto &c) { return c.performAction(APIEndpoint::setForceStart("abc", false)); }, "/api/v2/torrents/setForceStart", "hashes=abc&value=false"},
    {"reannounce", [](auto &c) { return c.performAction(APIEndpoint::reannounce("a|b|c")); }, "/api/v2/torrents/reannounce", "hashes=a|b|c"},
    {"delete", [](auto &c) { return c.performAction(APIEndpoint::deleteTorrents("a|b", false)); }, "/api/v2/torrents/delete", "hashes=a|b&deleteFiles=false"},
    {"delete with files", [](auto &c) { return c.performAction(APIEndpoint::deleteTorrents("a", true)); }, "/api/v2/torrents/delete", "hashes=a&deleteFiles=true"},
    {"download limit -1", [](auto &c) { return c.setDownloadLimit(-1); }, "/api/v2/transfer/setDownloadLimit", "limit=-1"},
    {"upload limit max", [](auto &c) { return c.setUploadLimit(std::numeric_limits<qint64>::max()); }, "/api/v2/transfer/setUploadLimit", "limit=9223372036854775807"},
    {"speed limits mode", [](auto &c) { return discard(c.getSpeedLimitsMode()); }, "/api/v2/transfer/speedLimitsMode", {}},
    {"preferences", [](auto &c) { return discard(c.getSpeedPreferences()); }, "/api/v2/app/preferences", {}},
    {"alternative limits", [](auto &c) { return c.setAlternativeLimits(1024, 0); }, "/api/v2/app/setPreferences", "json=%7B%22alt_dl_limit%22%3A1024%2C%22alt_up_limit%22%3A0%7D"},
    {"set category", [](auto &c) { return c.performAction(APIEndpoint::setCategory("a|b", "电影 & TV")); }, "/api/v2/torrents/setCategory", "hashes=a|b&category=%E7%94%B5%E5%BD%B1+%26+TV"},
    {"no category", [](auto &c) { return c.performAction(APIEndpoint::setCategory("a", "")); }, "/api/v2/torrents/setCategory", "hashes=a&category="},
    {"create category", [](auto &c) { return c.performAction(APIEndpoint::createCategory("新")); }, "/api/v2/torrents/createCategory", "category=%E6%96%B0&savePath="},
    {"add tags", [](auto &c) { return c.performAction(APIEndpoint::addTags("a|b", "x,y z")); }, "/api/v2/torrents/addTags", "hashes=a|b&tags=x%2Cy+z"},
    {"remove tags", [](auto &c) { return c.performAction(APIEndpoint::removeTags("a", "x")); }, "/api/v2/torrents/removeTags", "hashes=a&tags=x"},
    {"create tags", [](auto &c) { return c.performAction(APIEndpoint::createTags("x,y")); }, "/api/v2/torrents/createTags", "tags=x%2Cy"},
    {"set location", [](auto &c) { return c.performAction(APIEndpoint::setLocation("a", "/data/下载")); }, "/api/v2/torrents/setLocation", "hashes=a&location=%2Fdata%2F%E4%B8%8B%E8%BD%BD"},
    {"rename", [](auto &c) { return c.performAction(APIEndpoint::rename("abc", "n=1")); }, "/api/v2/torrents/rename", "hash=abc&name=n%3D1"},
    {"torrent download limit", [](auto &c) { return c.performAction(APIEndpoint::setTorrentDownloadLimit("a|b", 1024)); }, "/api/v2/torrents/setDownloadLimit", "hashes=a|b&limit=1024"},
    {"torrent upload limit", [](auto &c) { return c.performAction(APIEndpoint::setTorrentUploadLimit("a", 0)); }, "/api/v2/torrents/setUploadLimit", "hashes=a&limit=0"},
    {"sequential", [](auto &c) { return c.performAction(APIEndpoint::toggleSequentialDownload("a|b")); }, "/api/v2/torrents/toggleSequentialDownload", "hashes=a|b"},
    {"first and last pieces", [](auto &c) { return c.performAction(APIEndpoint::toggleFirstLastPiecePrio("a")); }, "/api/v2/torrents/toggleFirstLastPiecePrio", "hashes=a"},
    {"queue top", [](auto &c) { return c.performAction(APIEndpoint::queueMove(APIEndpoint::Kind::topPrio, "a|b")); }, "/api/v2/torrents/topPrio", "hashes=a|b"},
    {"file priority", [](auto &c) { return c.performAction(APIEndpoint::filePrio("abc", "0|3", 7)); }, "/api/v2/torrents/filePrio", "hash=abc&id=0%7C3&priority=7"},
};

// An edit, its refusal and the first line of what the user reads ("" where the refusal is not
// an edit's and keeps its plain status error).
const std::tuple<const char *, APIEndpoint, int, QString> refusalCases[] = {
    {"category unknown", APIEndpoint::setCategory("a", "x"), 409, "分类不存在"},
    {"category name empty", APIEndpoint::createCategory(""), 400, "分类名称无效"},
    {"category not created", APIEndpoint::createCategory("x"), 409, "无法创建分类"},
    {"location empty", APIEndpoint::setLocation("a", ""), 400, "保存位置不能为空"},
    {"location not writable", APIEndpoint::setLocation("a", "/x"), 409, "无法移动到该位置"},
    {"name empty", APIEndpoint::rename("a", ""), 409, "名称无效"},
    {"torrent gone", APIEndpoint::rename("a", "n"), 404, "找不到该种子"},
    {"tag invalid", APIEndpoint::addTags("a", ","), 400, "标签无效"},
    {"limit invalid", APIEndpoint::setTorrentDownloadLimit("a", 1), 400, "限速值无效"},
    {"queueing off", APIEndpoint::queueMove(APIEndpoint::Kind::bottomPrio, "a"), 409, "队列未启用"},
    {"file priority invalid", APIEndpoint::filePrio("a", "9", 7), 400, "文件优先级无效"},
    {"no metadata yet", APIEndpoint::filePrio("a", "0", 0), 409, "无法设置文件优先级"},
    {"force start 400", APIEndpoint::setForceStart("a", false), 400, "服务器拒绝了修改 (400)"},
    {"sequential 409", APIEndpoint::toggleSequentialDownload("a"), 409, "服务器拒绝了修改 (409)"},
    {"edit 500", APIEndpoint::setCategory("a", "x"), 500, ""},
    {"pause 409", APIEndpoint::pause("a"), 409, ""},
};
// clang-format on

// Headers a request may carry: Qt's own defaults, the session cookie, the two that describe a
// POST body, and those the profile adds. Never Origin or Referer: the server compares them
// with Host and refuses a mismatch.
void verifyOnlyAllowedHeaders(const RecordedRequest &request, const QSet<QByteArray> &profileHeaders = {})
{
    static const QSet<QByteArray> allowed = {"host",       "connection", "accept-encoding", "accept-language",
                                             "user-agent", "cookie",     "content-type",    "content-length"};
    for (const QByteArray &name : request.headerNames())
        QVERIFY2(allowed.contains(name.toLower()) || profileHeaders.contains(name.toLower()),
                 name.constData());
}

QByteArray boundaryOf(const RecordedRequest &request)
{
    static const QRegularExpression pattern(
        QStringLiteral("^multipart/form-data; boundary=(Boundary-[0-9A-F]{8}-"
                       "[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12})$"));
    const QString type = QString::fromLatin1(request.header("Content-Type").value_or(""));
    return pattern.match(type).captured(1).toLatin1();
}

QByteArray part(const QByteArray &boundary, const QByteArray &name, const Opt &value)
{
    const QByteArray head =
        "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
    return value ? head + value->toUtf8() + "\r\n" : QByteArray();
}

// 4 or 5: the generation of the adapter a manager holds; 0: neither.
int generation(const APIVersionManager &manager)
{
    const std::type_info &type = typeid(manager.currentAdapter());
    return type == typeid(QBittorrent5Adapter) ? 5 : type == typeid(QBittorrent4Adapter) ? 4 : 0;
}

} // namespace

class FramingTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ApiHarness> h;

    // The single request that `operation` sent.
    std::optional<RecordedRequest> sendOne(const Operation &operation)
    {
        h->server.clearRequests();
        runTask(operation(h->client));
        return h->server.requestCount() == 1 ? std::optional(h->server.lastRequest()) : std::nullopt;
    }

    // A client that never logged in sends nothing, asks for no password (not even to log in
    // again) and reports that it is not connected.
    void verifyNeedsAServer(const Operation &operation)
    {
        QBittorrentAPIClient offline(h->versions);
        offline.setPasswordProvider(h->provider());
        h->server.clearRequests();
        QCOMPARE(verdict(runTask(operation(offline))), "unauthorized");
        QCOMPARE(verdict(runTask(offline.reauthenticate())), "unauthorized");
        QCOMPARE(h->server.requestCount(), 0);
        QVERIFY(h->readAccounts.isEmpty());
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<ApiHarness>();
        h->server.setFallback([](const RecordedRequest &) { return TestResponse::noContent(); });
        QVERIFY(h->connect());
    }

    void cleanup() { h.reset(); }

    void buildURL_data() { rowsFrom("buildURL"); }

    // Hosts that are not hosts (no "url" in the row) never send anything anywhere.
    void buildURL()
    {
        QFETCH(QJsonObject, row);
        ServerConfig server = h->profile;
        server.host = row["host"].toString();
        server.port = row["port"].toInteger();
        server.pathPrefix = row["prefix"].toString();
        const APIEndpoint endpoint = row.contains("filter")
                                         ? APIEndpoint::torrentInfo(row["filter"].toString())
                                     : row.contains("hash") ? APIEndpoint::properties(row["hash"].toString())
                                                            : APIEndpoint::version();
        if (row.contains("url")) {
            QCOMPARE(h->client.buildURL(endpoint, server).toEncoded(), row["url"].toString().toLatin1());
            return;
        }
        QVERIFY_THROWS_EXCEPTION(NetworkError, h->client.buildURL(endpoint, server));
        h->server.clearRequests();
        QCOMPARE(verdict(runTask(h->client.login(server, ApiHarness::password))), "invalidURL");
        QCOMPARE(h->server.requestCount(), 0);
    }

    void requests_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(requestCases)); ++i)
            QTest::newRow(std::get<0>(requestCases[i])) << i;
    }

    // Exact target and body, the session cookie, and no header of the client's own. A fetch
    // answered without a body fails to decode (no empty list), and only the sync stream says so
    // in the log.
    void requests()
    {
        QFETCH(int, row);
        const auto &[name, run, target, body] = requestCases[row];
        LogCapture log;
        h->server.clearRequests();
        const auto outcome = runTask(run(h->client));
        QCOMPARE(h->server.requestCount(), 1);
        const RecordedRequest request = h->server.lastRequest();
        if (body.isNull() && target != ApiHarness::versionPath) {
            QVERIFY2(outcome.errorAs<DecodingError>(), qPrintable(verdict(outcome)));
            QCOMPARE(log.lines().isEmpty(), !QByteArray(name).startsWith("sync "));
        }
        QCOMPARE(request.target, target);
        QCOMPARE(request.body, body);
        QCOMPARE(request.method, QByteArray(body.isNull() ? "GET" : "POST"));
        QCOMPARE(request.header("Content-Type"), body.isNull() ? std::nullopt : std::optional(formType));
        if (!body.isNull())
            QCOMPARE(request.header("Content-Length"), QByteArray::number(body.size()));
        QCOMPARE(request.header("Cookie"), "SID=" + ApiHarness::sid);
        verifyOnlyAllowedHeaders(request);
        verifyNeedsAServer(run);
    }

    void editRefusals_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(refusalCases)); ++i)
            QTest::newRow(std::get<0>(refusalCases[i])) << i;
    }

    // The refusals of edits say what they mean for that edit; other statuses and the refusals
    // of other actions stay plain status errors.
    void editRefusals()
    {
        QFETCH(int, row);
        const auto &[name, endpoint, status, text] = refusalCases[row];
        h->server.on(endpoint.defaultPath().toUtf8(), TestResponse::text("Conflict", status));
        const auto outcome = runTask(h->client.performAction(endpoint));
        const auto *error = outcome.errorAs<NetworkError>();
        QVERIFY(error);
        if (text.isEmpty()) {
            QCOMPARE(verdict(outcome), status == 404 ? QStringLiteral("notFound") : QStringLiteral("serverError(%1)").arg(status));
            return;
        }
        QCOMPARE(verdict(outcome), QStringLiteral("editRefused(%1)").arg(status));
        QCOMPARE(error->localizedDescription().section(u'\n', 0, 0), text);
        QCOMPARE(error->statusCode(), status);
    }

    void profileHeaders_data()
    {
        QTest::addColumn<int>("proxy");
        QTest::addColumn<bool>("apiKey");
        QTest::addColumn<QByteArrayList>("expected"); // "name: value"
        using P = ProxyAuthentication;
        // "proxy:pä ss" in Base64
        QTest::newRow("proxy basic") << int(P::basic) << false
                                     << QByteArrayList{"authorization: Basic cHJveHk6cMOkIHNz"};
        QTest::newRow("proxy headers")
            << int(P::headers) << false << QByteArrayList{"x-token: t0k", "cf-access-client-id: id 2"};
        QTest::newRow("api key") << int(P::none) << true << QByteArrayList{"authorization: Bearer qbt_k3y"};
        QTest::newRow("api key, proxy headers")
            << int(P::headers) << true
            << QByteArrayList{"x-token: t0k", "cf-access-client-id: id 2", "authorization: Bearer qbt_k3y"};
    }

    // Every request of the profile (login, fetch, form, upload) carries its headers. With an
    // API key nothing logs in and no cookie goes out or is kept.
    void profileHeaders()
    {
        QFETCH(int, proxy);
        QFETCH(bool, apiKey);
        QFETCH(QByteArrayList, expected);
        ServerConfig profile = h->profile;
        profile.proxyAuthentication = ProxyAuthentication(proxy);
        profile.proxyUsername = QStringLiteral("proxy");
        profile.proxyHeaderNames = {QStringLiteral("X-Token"), QStringLiteral("CF-Access-Client-Id")};
        profile.useApiKey = apiKey;
        const ServerSecrets secrets{
            ApiHarness::password, QStringLiteral("pä ss"), {"t0k", "id 2"}, "qbt_k3y"};
        h->server.emulateLogin(profile.username, ApiHarness::password, "keySid", !apiKey);
        h->server.on(ApiHarness::versionPath,
                     TestResponse::text("v5.2.0").withHeader("Set-Cookie", "keyCookie=x; HttpOnly; path=/"));
        h->server.clearRequests();
        auto &c = h->client;
        VERIFY_OK(runTask(c.login(profile, secrets)));
        runTask(c.getTags());
        VERIFY_OK(runTask(c.performAction(APIEndpoint::pause("a"))));
        VERIFY_OK(runTask(c.addTorrent(QStringLiteral("magnet:?a"))));
        QCOMPARE(h->server.requestCount(), 5 - int(apiKey));
        QCOMPARE(h->loginCount(), int(!apiKey));
        QSet<QByteArray> names;
        for (const QByteArray &header : expected)
            names.insert(header.split(':').first());
        for (const RecordedRequest &request : h->server.requests()) {
            for (const QByteArray &header : expected) {
                const QByteArray name = header.split(':').first();
                QCOMPARE(request.header(name), header.mid(name.size() + 2));
            }
            QVERIFY(!apiKey || !request.header("Cookie"));
            verifyOnlyAllowedHeaders(request, names);
        }
        const auto cookies = c.cookieJar().cookies();
        QCOMPARE(std::ranges::count(cookies, QByteArray("keyCookie"), &QNetworkCookie::name), int(!apiKey));
        if (!apiKey)
            return;
        // A request refused while the key still opens the version is refused alone; a refused
        // key is refused for good: no login, and the next refusal is the same error without
        // asking again.
        h->server.clearRequests();
        h->server.on("/api/v2/torrents/tags", TestResponse::text("Forbidden", 403));
        QCOMPARE(verdict(runTask(c.getTags())), "serverError(403)");
        // The key refused; without it, only the session is missing (a refusal of every request
        // would answer 401 here too).
        h->server.on("/api/v2/app/version", [](const RecordedRequest &request) {
            return !request.header("Authorization") ? TestResponse::text("Forbidden", 403)
                                                             : TestResponse::text("Unauthorized", 401);
        });
        QCOMPARE(verdict(runTask(c.getTags())), "apiKeyRejected");
        QCOMPARE(verdict(runTask(c.getTags())), "apiKeyRejected");
        // Tags and version; tags, version and the version without the key; tags.
        QCOMPARE(h->server.requestCount(), 6);
    }

    void loginBody_data() { rowsFrom("loginBody"); }

    // The server's form decoding gives back exactly what was typed: the emulated login only
    // accepts the exact credentials. The connection test sends the same bytes.
    void loginBody()
    {
        QFETCH(QJsonObject, row);
        const QString username = row["username"].toString(), password = row["password"].toString();
        h->server.emulateLogin(username, password, "sid");
        const ServerConfig profile = h->server.serverConfig(username);
        h->server.clearRequests();
        VERIFY_OK(runTask(h->client.login(profile, password)));
        VERIFY_OK(runTask(h->client.testConnection(profile, password)));
        const auto logins = h->server.requestsTo(ApiHarness::loginPath);
        QCOMPARE(logins.size(), 2);
        for (const RecordedRequest &login : logins) {
            QCOMPARE(login.method, QByteArray("POST"));
            QCOMPARE(login.body, bytesOf(row));
            QCOMPARE(login.header("Content-Type"), formType);
            verifyOnlyAllowedHeaders(login);
        }
    }

    void uploads_data() { rowsFrom("uploads"); }

    // Links and file go in as they are (quotes, line breaks and binary bytes unescaped), the
    // options after them in a fixed order, under a boundary of their own for every upload.
    void uploads()
    {
        QFETCH(QJsonObject, row);
        const bool byFile = row["byFile"].toBool();
        const auto option = [&](const char *name) {
            return row.contains(name) ? Opt(row[name].toString()) : Opt();
        };
        const Opt savePath = option("savepath"), category = option("category"), tags = option("tags");
        const QString urls = "magnet:?xt=urn:btih:abc&dn=\"x\"\nhttps://example.org/a.torrent";
        const QByteArray data = QByteArray("d8:announce\0\r\n\x80\xff--Boundary-\r\ne", 31);
        const QString fileName = QStringLiteral("Ubuntu \"24.04\" 种子.torrent");
        const Operation upload = [&](QBittorrentAPIClient &c) {
            return byFile ? c.addTorrentFile(fileName, data, savePath, category, tags)
                          : c.addTorrent(urls, savePath, category, tags);
        };
        const auto request = sendOne(upload);
        QVERIFY(request);
        QCOMPARE(request->method, QByteArray("POST"));
        QCOMPARE(request->target, QByteArray("/api/v2/torrents/add"));
        const QByteArray b = boundaryOf(*request);
        QVERIFY2(!b.isEmpty(), request->header("Content-Type").value_or("(none)").constData());
        const QByteArray file =
            "--" + b + "\r\nContent-Disposition: form-data; name=\"torrents\"; filename=\"" +
            fileName.toUtf8() + "\"\r\nContent-Type: application/x-bittorrent\r\n\r\n" + data + "\r\n";
        const QByteArray expected = (byFile ? file : part(b, "urls", urls)) + part(b, "savepath", savePath) +
                                    part(b, "category", category) + part(b, "tags", tags) + "--" + b +
                                    "--\r\n";
        QCOMPARE(request->body, expected);
        QCOMPARE(request->header("Content-Length"), QByteArray::number(expected.size()));
        verifyOnlyAllowedHeaders(*request);
        const auto again = sendOne(upload);
        QVERIFY(again && boundaryOf(*again) != b);
        verifyNeedsAServer(upload);
    }

    void updateVersion_data() { rowsFrom("updateVersion"); }

    // A row's "chosen" generation (0: unchanged) is checked from both starting adapters.
    void updateVersion()
    {
        QFETCH(QJsonObject, row);
        const int chosen = row["chosen"].toInt();
        for (const int start : {4, 5}) {
            APIVersionManager manager;
            if (start == 5)
                manager.setAdapter(std::make_shared<QBittorrent5Adapter>());
            LogCapture log;
            manager.updateVersion(row["version"].toString());
            QCOMPARE(generation(manager), chosen ? chosen : start);
            const QString line = chosen == 4 ? QStringLiteral("🔄 使用 qBittorrent 4.x API 适配器")
                                             : QStringLiteral("🔄 切换到 qBittorrent 5.x API 适配器");
            QCOMPARE(log.lines(), chosen ? QStringList{line} : QStringList());
        }
    }

    void paths_data() { rowsFrom("paths"); }

    // Every case of the catalogue, in declaration order, and its path on either generation:
    // only pause and resume moved in 5.x.
    void paths()
    {
        QFETCH(QJsonObject, row);
        APIEndpoint endpoint;
        endpoint.kind = APIEndpoint::Kind(row["kind"].toInt());
        endpoint.hashes = QStringLiteral("a");
        QCOMPARE(endpoint.defaultPath(), row["v4"].toString());
        QCOMPARE(QBittorrent4Adapter().path(endpoint), row["v4"].toString());
        QCOMPARE(QBittorrent5Adapter().path(endpoint), row["v5"].toString());
    }

    // A 5.x login: adapter line before the version line; pause and resume go to the new paths.
    // A later version text that does not parse keeps the adapter. A failed version request: the
    // login still succeeds, the version stays as it was and the 4.x adapter is chosen without
    // its line.
    void versionAtLogin()
    {
        ApiHarness h("v5.0.1");
        h.server.setFallback([](const RecordedRequest &) { return TestResponse::noContent(); });
        LogCapture log;
        const auto login = [&](const TestResponse &version) {
            h.server.on(ApiHarness::versionPath, version);
            log.clear();
            const bool ok = runTask(h.client.login(h.profile, ApiHarness::password)).ok();
            h.server.clearRequests();
            return ok ? log.lines() : QStringList{"login failed"};
        };
        QCOMPARE(login(TestResponse::text("v5.0.1")),
                 QStringList({"🔄 切换到 qBittorrent 5.x API 适配器", "✅ qBittorrent 版本: v5.0.1"}));
        QCOMPARE(h.client.serverVersion(), "v5.0.1");
        VERIFY_OK(runTask(h.client.performAction(APIEndpoint::pause("a|b"))));
        VERIFY_OK(runTask(h.client.performAction(APIEndpoint::resume("a|b"))));
        QCOMPARE(h.server.requests()[0].target, "/api/v2/torrents/stop");
        QCOMPARE(h.server.requests()[1].target, "/api/v2/torrents/start");
        QCOMPARE(h.server.requests()[1].body, QByteArray("hashes=a|b"));
        QCOMPARE(login(TestResponse::text("Unknown")), QStringList{"✅ qBittorrent 版本: Unknown"});
        QCOMPARE(generation(h.versions), 5);
        QCOMPARE(login(TestResponse::text("v5.0.2")).size(), 2);
        QCOMPARE(login(TestResponse::withStatus(500)),
                 QStringList{"⚠️ 获取服务器版本失败: 服务器错误 (500)"});
        QCOMPARE(generation(h.versions), 4);
        QCOMPARE(h.client.serverVersion(), "v5.0.2");
        QVERIFY(h.client.isAuthenticated());
        VERIFY_OK(runTask(h.client.performAction(APIEndpoint::pause("a"))));
        QCOMPARE(h.server.lastRequest().target, QByteArray("/api/v2/torrents/pause"));
        QCOMPARE(generation(APIVersionManager::shared()), 4); // where every client starts
    }
};

QTEST_GUILESS_MAIN(FramingTest)
#include "tst_Framing.moc"
