// What each operation puts on the wire: URL, query order, method, headers and body bytes.
#include "ApiHarness.h"

#include "support/Fixtures.h"

#include <QRegularExpression>
#include <QSet>

#include <functional>

namespace {

using Operation = std::function<QCoro::Task<void>(QBittorrentAPIClient &)>;

template <typename T> QCoro::Task<void> discard(QCoro::Task<T> task)
{
    co_await std::move(task);
}

// Headers a request may carry: Qt's own defaults, the session cookie, and the two that
// describe a POST body.
const QSet<QByteArray> allowedHeaders = {"host",       "connection", "accept-encoding", "accept-language",
                                         "user-agent", "cookie",     "content-type",    "content-length"};

const QByteArray formType = "application/x-www-form-urlencoded";

struct FetchCase
{
    const char *name;
    Operation run;
    QByteArray target;
};

const QList<FetchCase> &fetchCases()
{
    static const QList<FetchCase> cases = {
        {"version", [](auto &c) { return discard(c.getVersion()); }, "/api/v2/app/version"},
        {"files", [](auto &c) { return discard(c.getTorrentFiles("abc")); },
         "/api/v2/torrents/files?hash=abc"},
        {"trackers", [](auto &c) { return discard(c.getTorrentTrackers("abc")); },
         "/api/v2/torrents/trackers?hash=abc"},
        {"peers", [](auto &c) { return discard(c.getTorrentPeers("abc")); },
         "/api/v2/sync/torrentPeers?hash=abc&rid=0"},
        {"transfer info", [](auto &c) { return discard(c.getTransferInfo()); }, "/api/v2/transfer/info"},
        {"sync full", [](auto &c) { return discard(c.getSyncData(std::nullopt)); }, "/api/v2/sync/maindata"},
        {"sync rid 42", [](auto &c) { return discard(c.getSyncData(42)); }, "/api/v2/sync/maindata?rid=42"},
        {"main data", [](auto &c) { return discard(c.getMainData()); }, "/api/v2/sync/maindata"},
        {"main data rid 0", [](auto &c) { return discard(c.getMainData(0)); }, "/api/v2/sync/maindata?rid=0"},
        {"categories", [](auto &c) { return discard(c.getCategories()); }, "/api/v2/torrents/categories"},
        {"tags", [](auto &c) { return discard(c.getTags()); }, "/api/v2/torrents/tags"},
    };
    return cases;
}

struct FormCase
{
    const char *name;
    Operation run;
    QByteArray path;
    QByteArray body;
};

const QList<FormCase> &formCases()
{
    static const QList<FormCase> cases = {
        {"pause", [](auto &c) { return c.performAction(APIEndpoint::pause("a|b")); },
         "/api/v2/torrents/pause", "hashes=a|b"},
        {"resume", [](auto &c) { return c.performAction(APIEndpoint::resume("a|b")); },
         "/api/v2/torrents/resume", "hashes=a|b"},
        {"force start", [](auto &c) { return c.performAction(APIEndpoint::setForceStart("abc", true)); },
         "/api/v2/torrents/setForceStart", "hashes=abc&value=true"},
        {"force start off", [](auto &c) { return c.performAction(APIEndpoint::setForceStart("abc", false)); },
         "/api/v2/torrents/setForceStart", "hashes=abc&value=false"},
        {"recheck", [](auto &c) { return c.performAction(APIEndpoint::recheck("a|b|c")); },
         "/api/v2/torrents/recheck", "hashes=a|b|c"},
        {"reannounce", [](auto &c) { return c.performAction(APIEndpoint::reannounce("a|b|c")); },
         "/api/v2/torrents/reannounce", "hashes=a|b|c"},
        {"delete", [](auto &c) { return c.performAction(APIEndpoint::deleteTorrents("a|b", false)); },
         "/api/v2/torrents/delete", "hashes=a|b&deleteFiles=false"},
        {"delete with files", [](auto &c) { return c.performAction(APIEndpoint::deleteTorrents("a", true)); },
         "/api/v2/torrents/delete", "hashes=a&deleteFiles=true"},
        {"download limit 0", [](auto &c) { return c.setDownloadLimit(0); },
         "/api/v2/transfer/setDownloadLimit", "limit=0"},
        {"download limit -1", [](auto &c) { return c.setDownloadLimit(-1); },
         "/api/v2/transfer/setDownloadLimit", "limit=-1"},
        {"upload limit", [](auto &c) { return c.setUploadLimit(1048576); }, "/api/v2/transfer/setUploadLimit",
         "limit=1048576"},
        {"upload limit max", [](auto &c) { return c.setUploadLimit(std::numeric_limits<qint64>::max()); },
         "/api/v2/transfer/setUploadLimit", "limit=9223372036854775807"},
    };
    return cases;
}

const QList<std::pair<APIEndpoint, QByteArray>> &urlRows()
{
    static const QList<std::pair<APIEndpoint, QByteArray>> rows = {
        {APIEndpoint::torrentPeers("abc"), "/api/v2/sync/torrentPeers?hash=abc&rid=0"},
        {APIEndpoint::mainData(), "/api/v2/sync/maindata"},
        {APIEndpoint::mainData(-3), "/api/v2/sync/maindata?rid=-3"},
        {APIEndpoint::torrentInfo(), "/api/v2/torrents/info"},
        {APIEndpoint::torrentInfo("downloading"), "/api/v2/torrents/info?filter=downloading"},
        {APIEndpoint::torrentInfo("a b&c=d"), "/api/v2/torrents/info?filter=a%20b%26c%3Dd"},
        {APIEndpoint::properties("0123abcdef"), "/api/v2/torrents/properties?hash=0123abcdef"},
        {APIEndpoint::trackers("abc"), "/api/v2/torrents/trackers?hash=abc"},
        {APIEndpoint::pause("a|b"), "/api/v2/torrents/pause"},
        {APIEndpoint::deleteTorrents("a|b", true), "/api/v2/torrents/delete"},
    };
    return rows;
}

void verifyOnlyAllowedHeaders(const RecordedRequest &request)
{
    for (const QByteArray &name : request.headerNames())
        QVERIFY2(allowedHeaders.contains(name.toLower()), name.constData());
}

QByteArray boundaryOf(const RecordedRequest &request)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^multipart/form-data; "
        "boundary=(Boundary-[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12})$"));
    const auto match = pattern.match(QString::fromLatin1(request.header("Content-Type").value_or("")));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

QByteArray part(const QByteArray &boundary, const QByteArray &name, const QByteArray &value)
{
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value +
           "\r\n";
}

} // namespace

class FramingTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ApiHarness> h;

    // The single request that `operation` sent.
    std::optional<RecordedRequest> sendOne(const Operation &operation)
    {
        h->server.clearRequests();
        runTask(operation(h->client));
        if (h->server.requestCount() != 1)
            return std::nullopt;
        return h->server.lastRequest();
    }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<ApiHarness>();
        const std::pair<const char *, const char *> recorded[] = {
            {"/api/v2/transfer/info", "transfer-info.json"},
            {"/api/v2/sync/maindata", "maindata-full.json"},
            {"/api/v2/torrents/categories", "categories.json"},
            {"/api/v2/torrents/tags", "tags.json"},
            {"/api/v2/torrents/files", "torrent-files.json"},
            {"/api/v2/torrents/trackers", "torrent-trackers.json"},
            {"/api/v2/sync/torrentPeers", "torrent-peers.json"},
        };
        for (const auto &[path, file] : recorded)
            h->server.on(path, TestResponse::json(fixture(QString::fromLatin1(file))));
        h->server.setFallback([](const RecordedRequest &) { return TestResponse::text("Ok."); });
        QVERIFY(h->connect());
    }

    void cleanup() { h.reset(); }

    void buildURL_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < urlRows().size(); ++i)
            QTest::newRow(urlRows()[i].second.constData()) << i;
    }

    void buildURL()
    {
        QFETCH(int, row);
        const auto &[endpoint, tail] = urlRows()[row];
        QCOMPARE(h->client.buildURL(endpoint, h->profile).toEncoded(), h->server.baseUrl() + tail);
    }

    void buildURLRejectsHostsThatAreNotHosts_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<qint64>("port");
        const qint64 good = 8080;
        QTest::newRow("space") << QStringLiteral("my server") << good;
        QTest::newRow("path") << QStringLiteral("example.org/evil") << good;
        QTest::newRow("scheme") << QStringLiteral("http://example.org") << good;
        QTest::newRow("user info") << QStringLiteral("user@example.org") << good;
        QTest::newRow("empty") << QString() << good;
        QTest::newRow("port too large") << QStringLiteral("127.0.0.1") << qint64(70000);
        QTest::newRow("negative port") << QStringLiteral("127.0.0.1") << qint64(-1);
    }

    void buildURLRejectsHostsThatAreNotHosts()
    {
        QFETCH(QString, host);
        QFETCH(qint64, port);
        ServerConfig server = h->profile;
        server.host = host;
        server.port = port;
        bool invalid = false;
        try {
            h->client.buildURL(APIEndpoint::version(), server);
        } catch (const NetworkError &error) {
            invalid = error.kind() == NetworkError::Kind::invalidURL;
        }
        QVERIFY(invalid);
        // Nor does a login to such a profile send anything anywhere.
        h->server.clearRequests();
        VERIFY_NETWORK_ERROR(runTask(h->client.login(server, ApiHarness::password)),
                             NetworkError::Kind::invalidURL);
        QCOMPARE(h->server.requestCount(), 0);
    }

    void ipv6LiteralIsBracketed()
    {
        ServerConfig server = h->profile;
        server.host = QStringLiteral("::1");
        QCOMPARE(h->client.buildURL(APIEndpoint::version(), server).toEncoded(),
                 "http://[::1]:" + QByteArray::number(h->server.port()) + "/api/v2/app/version");
    }

    void fetches_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < fetchCases().size(); ++i)
            QTest::newRow(fetchCases()[i].name) << i;
    }

    // GET, no body, no header of the client's own, the session cookie, exact target.
    void fetches()
    {
        QFETCH(int, row);
        const FetchCase &c = fetchCases()[row];
        const auto request = sendOne(c.run);
        QVERIFY(request);
        QCOMPARE(request->method, QByteArray("GET"));
        QCOMPARE(request->target, c.target);
        QVERIFY(request->body.isEmpty());
        QVERIFY(!request->header("Content-Type"));
        verifyOnlyAllowedHeaders(*request);
        QCOMPARE(request->header("Cookie").value_or(""), "SID=" + ApiHarness::sid);
    }

    void formActions_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < formCases().size(); ++i)
            QTest::newRow(formCases()[i].name) << i;
    }

    void formActions()
    {
        QFETCH(int, row);
        const FormCase &c = formCases()[row];
        const auto request = sendOne(c.run);
        QVERIFY(request);
        QCOMPARE(request->method, QByteArray("POST"));
        QCOMPARE(request->target, c.path);
        QCOMPARE(request->body, c.body);
        QCOMPARE(request->header("Content-Type").value_or(""), formType);
        QCOMPARE(request->header("Content-Length").value_or(""), QByteArray::number(c.body.size()));
        verifyOnlyAllowedHeaders(*request);
    }

    void loginBody_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("plain") << QStringLiteral("admin") << QStringLiteral("adminadmin")
                               << QByteArray("username=admin&password=adminadmin");
        QTest::newRow("reserved") << QStringLiteral("a b") << QStringLiteral("p&s=s+w%rd")
                                  << QByteArray("username=a+b&password=p%26s%3Ds%2Bw%25rd");
        QTest::newRow("kept") << QStringLiteral("*-._") << QStringLiteral("~!'()")
                              << QByteArray("username=*-._&password=%7E%21%27%28%29");
        QTest::newRow("non-ascii") << QStringLiteral("用户") << QStringLiteral("pä")
                                   << QByteArray("username=%E7%94%A8%E6%88%B7&password=p%C3%A4");
        QTest::newRow("empty") << QString() << QString() << QByteArray("username=&password=");
    }

    // The server's form decoding gives back exactly what was typed: the emulated login only
    // accepts the exact credentials.
    void loginBody()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QByteArray, body);
        TestHttpServer server;
        server.emulateLogin(username, password, "sid");
        server.on(ApiHarness::versionPath, TestResponse::text("v4.5.2"));
        APIVersionManager versions;
        RecordingKeychain keychain;
        QBittorrentAPIClient client(keychain, versions);
        const ServerConfig profile = server.serverConfig(username);

        VERIFY_OK(runTask(client.login(profile, password)));
        QVERIFY(client.isAuthenticated());
        const auto logins = server.requestsTo(ApiHarness::loginPath);
        QCOMPARE(logins.size(), 1);
        QCOMPARE(logins[0].method, QByteArray("POST"));
        QCOMPARE(logins[0].target, ApiHarness::loginPath);
        QCOMPARE(logins[0].body, body);
        QCOMPARE(logins[0].header("Content-Type").value_or(""), formType);
        verifyOnlyAllowedHeaders(logins[0]);

        // The same bytes from the connection test.
        server.clearRequests();
        VERIFY_OK(runTask(client.testConnection(profile, password)));
        QCOMPARE(server.requestCount(), 1);
        QCOMPARE(server.lastRequest().body, body);
    }

    void addTorrent_data()
    {
        QTest::addColumn<std::optional<QString>>("savePath");
        QTest::addColumn<std::optional<QString>>("category");
        QTest::addColumn<std::optional<QString>>("tags");
        const std::optional<QString> none;
        QTest::newRow("links only") << none << none << none;
        QTest::newRow("all options") << std::optional<QString>(QStringLiteral("/data/下载"))
                                     << std::optional<QString>(QStringLiteral("电影"))
                                     << std::optional<QString>(QStringLiteral("a,b"));
        QTest::newRow("category only") << none << std::optional<QString>(QStringLiteral("linux")) << none;
        QTest::newRow("given but empty")
            << std::optional<QString>(QString()) << none << std::optional<QString>(QString());
    }

    void addTorrent()
    {
        QFETCH(std::optional<QString>, savePath);
        QFETCH(std::optional<QString>, category);
        QFETCH(std::optional<QString>, tags);
        // Several links as the caller wrote them; quotes and line breaks go in unescaped.
        const QString urls =
            QStringLiteral("magnet:?xt=urn:btih:abc&dn=\"x\"\nhttps://example.org/a.torrent");
        const auto request = sendOne([&](auto &c) { return c.addTorrent(urls, savePath, category, tags); });
        QVERIFY(request);
        QCOMPARE(request->method, QByteArray("POST"));
        QCOMPARE(request->target, QByteArray("/api/v2/torrents/add"));
        const QByteArray boundary = boundaryOf(*request);
        QVERIFY2(!boundary.isEmpty(), request->header("Content-Type").value_or("(none)").constData());

        QByteArray expected = part(boundary, "urls", urls.toUtf8());
        if (savePath)
            expected += part(boundary, "savepath", savePath->toUtf8());
        if (category)
            expected += part(boundary, "category", category->toUtf8());
        if (tags)
            expected += part(boundary, "tags", tags->toUtf8());
        expected += "--" + boundary + "--\r\n";
        QCOMPARE(request->body, expected);
        QCOMPARE(request->header("Content-Length").value_or(""), QByteArray::number(expected.size()));
        verifyOnlyAllowedHeaders(*request);
    }

    void addTorrentFile_data()
    {
        QTest::addColumn<bool>("withOptions");
        QTest::newRow("file only") << false;
        QTest::newRow("with options") << true;
    }

    void addTorrentFile()
    {
        QFETCH(bool, withOptions);
        // Bytes that are not text: NUL, CR LF, a lone continuation byte, a fake delimiter.
        const QByteArray data = QByteArray("d8:announce\0\r\n\x80\xff--Boundary-\r\ne", 31);
        const QString fileName = QStringLiteral("Ubuntu \"24.04\" 种子.torrent");
        const auto request = sendOne([&](auto &c) {
            return withOptions ? c.addTorrentFile(fileName, data, QStringLiteral("/srv"),
                                                  QStringLiteral("iso"), QStringLiteral("linux,lts"))
                               : c.addTorrentFile(fileName, data);
        });
        QVERIFY(request);
        QCOMPARE(request->target, QByteArray("/api/v2/torrents/add"));
        const QByteArray boundary = boundaryOf(*request);
        QVERIFY(!boundary.isEmpty());

        QByteArray expected = "--" + boundary + "\r\n";
        expected +=
            "Content-Disposition: form-data; name=\"torrents\"; filename=\"" + fileName.toUtf8() + "\"\r\n";
        expected += "Content-Type: application/x-bittorrent\r\n\r\n";
        expected += data + "\r\n";
        if (withOptions) {
            expected += part(boundary, "savepath", "/srv");
            expected += part(boundary, "category", "iso");
            expected += part(boundary, "tags", "linux,lts");
        }
        expected += "--" + boundary + "--\r\n";
        QCOMPARE(request->body, expected);
    }

    void everyUploadHasItsOwnBoundary()
    {
        const auto first = sendOne([](auto &c) { return c.addTorrent(QStringLiteral("magnet:?a")); });
        const auto second = sendOne([](auto &c) { return c.addTorrentFile(QStringLiteral("a"), "x"); });
        QVERIFY(first && second);
        QVERIFY(!boundaryOf(*first).isEmpty());
        QVERIFY(boundaryOf(*first) != boundaryOf(*second));
    }
};

QTEST_GUILESS_MAIN(FramingTest)
#include "tst_Framing.moc"
