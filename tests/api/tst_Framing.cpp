// What each operation puts on the wire: URL, query order, method, headers and body bytes.
#include "ApiHarness.h"

#include "support/Fixtures.h"

#include <QRegularExpression>
#include <QSet>

#include <functional>

namespace {

using Operation = std::function<QCoro::Task<void>(QBittorrentAPIClient &)>;

// Headers a request may carry: Qt's own defaults, the session cookie, and the two that
// describe a POST body.
const QSet<QByteArray> allowedHeaders = {"host",       "connection", "accept-encoding", "accept-language",
                                         "user-agent", "cookie",     "content-type",    "content-length"};
const QByteArray formType = "application/x-www-form-urlencoded";

// A GET when `body` is null, otherwise a form POST of exactly those bytes.
struct RequestCase
{
    const char *name;
    Operation run;
    QByteArray target;
    QByteArray body;
};

const QList<RequestCase> &requestCases()
{
    static const QList<RequestCase> cases = {
        {"version", [](auto &c) { return discard(c.getVersion()); }, "/api/v2/app/version", {}},
        {"files",
         [](auto &c) { return discard(c.getTorrentFiles("abc")); },
         "/api/v2/torrents/files?hash=abc",
         {}},
        {"trackers",
         [](auto &c) { return discard(c.getTorrentTrackers("abc")); },
         "/api/v2/torrents/trackers?hash=abc",
         {}},
        {"peers",
         [](auto &c) { return discard(c.getTorrentPeers("abc")); },
         "/api/v2/sync/torrentPeers?hash=abc&rid=0",
         {}},
        {"transfer info", [](auto &c) { return discard(c.getTransferInfo()); }, "/api/v2/transfer/info", {}},
        {"sync full",
         [](auto &c) { return discard(c.getSyncData(std::nullopt)); },
         "/api/v2/sync/maindata",
         {}},
        {"sync rid 42",
         [](auto &c) { return discard(c.getSyncData(42)); },
         "/api/v2/sync/maindata?rid=42",
         {}},
        {"main data", [](auto &c) { return discard(c.getMainData()); }, "/api/v2/sync/maindata", {}},
        {"categories", [](auto &c) { return discard(c.getCategories()); }, "/api/v2/torrents/categories", {}},
        {"tags", [](auto &c) { return discard(c.getTags()); }, "/api/v2/torrents/tags", {}},
        {"pause", [](auto &c) { return c.performAction(APIEndpoint::pause("a|b")); },
         "/api/v2/torrents/pause", "hashes=a|b"},
        {"force start", [](auto &c) { return c.performAction(APIEndpoint::setForceStart("abc", true)); },
         "/api/v2/torrents/setForceStart", "hashes=abc&value=true"},
        {"force start off", [](auto &c) { return c.performAction(APIEndpoint::setForceStart("abc", false)); },
         "/api/v2/torrents/setForceStart", "hashes=abc&value=false"},
        {"reannounce", [](auto &c) { return c.performAction(APIEndpoint::reannounce("a|b|c")); },
         "/api/v2/torrents/reannounce", "hashes=a|b|c"},
        {"delete", [](auto &c) { return c.performAction(APIEndpoint::deleteTorrents("a|b", false)); },
         "/api/v2/torrents/delete", "hashes=a|b&deleteFiles=false"},
        {"delete with files", [](auto &c) { return c.performAction(APIEndpoint::deleteTorrents("a", true)); },
         "/api/v2/torrents/delete", "hashes=a&deleteFiles=true"},
        {"download limit -1", [](auto &c) { return c.setDownloadLimit(-1); },
         "/api/v2/transfer/setDownloadLimit", "limit=-1"},
        {"upload limit max", [](auto &c) { return c.setUploadLimit(std::numeric_limits<qint64>::max()); },
         "/api/v2/transfer/setUploadLimit", "limit=9223372036854775807"},
    };
    return cases;
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

QByteArray options(const QByteArray &boundary, const std::optional<QString> &savePath,
                   const std::optional<QString> &category, const std::optional<QString> &tags)
{
    QByteArray parts;
    if (savePath)
        parts += part(boundary, "savepath", savePath->toUtf8());
    if (category)
        parts += part(boundary, "category", category->toUtf8());
    if (tags)
        parts += part(boundary, "tags", tags->toUtf8());
    return parts + "--" + boundary + "--\r\n";
}

} // namespace

Q_DECLARE_METATYPE(APIEndpoint)

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

    // A client that never logged in sends nothing and reports that it is not connected.
    void verifyNeedsAServer(const Operation &operation)
    {
        QBittorrentAPIClient offline(h->versions);
        h->server.clearRequests();
        VERIFY_NETWORK_ERROR(runTask(operation(offline)), NetworkError::Kind::unauthorized);
        QCOMPARE(h->server.requestCount(), 0);
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
        QTest::addColumn<APIEndpoint>("endpoint");
        QTest::addColumn<QString>("host");
        QTest::addColumn<qint64>("port");
        QTest::addColumn<QByteArray>("url"); // empty: invalidURL
        const QString local = QStringLiteral("127.0.0.1");
        QTest::newRow("filter encoded")
            << APIEndpoint::torrentInfo("a b&c=d") << local << qint64(8080)
            << QByteArray("http://127.0.0.1:8080/api/v2/torrents/info?filter=a%20b%26c%3Dd");
        QTest::newRow("properties") << APIEndpoint::properties("0123abcdef") << local << qint64(1)
                                    << QByteArray(
                                           "http://127.0.0.1:1/api/v2/torrents/properties?hash=0123abcdef");
        QTest::newRow("IPv6 bracketed") << APIEndpoint::version() << QStringLiteral("::1") << qint64(8080)
                                        << QByteArray("http://[::1]:8080/api/v2/app/version");
        // Hosts that are not hosts never send anything anywhere.
        const auto invalid = [](const char *name, const QString &host, qint64 port) {
            QTest::newRow(name) << APIEndpoint::version() << host << port << QByteArray();
        };
        invalid("space", QStringLiteral("my server"), 8080);
        invalid("path", QStringLiteral("example.org/evil"), 8080);
        invalid("scheme", QStringLiteral("http://example.org"), 8080);
        invalid("user info", QStringLiteral("user@example.org"), 8080);
        invalid("empty", QString(), 8080);
        invalid("port too large", local, 70000);
        invalid("negative port", local, -1);
    }

    void buildURL()
    {
        QFETCH(APIEndpoint, endpoint);
        QFETCH(QString, host);
        QFETCH(qint64, port);
        QFETCH(QByteArray, url);
        ServerConfig server = h->profile;
        server.host = host;
        server.port = port;
        if (!url.isEmpty()) {
            QCOMPARE(h->client.buildURL(endpoint, server).toEncoded(), url);
            return;
        }
        QVERIFY_THROWS_EXCEPTION(NetworkError, h->client.buildURL(endpoint, server));
        h->server.clearRequests();
        VERIFY_NETWORK_ERROR(runTask(h->client.login(server, ApiHarness::password)),
                             NetworkError::Kind::invalidURL);
        QCOMPARE(h->server.requestCount(), 0);
    }

    void requests_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < requestCases().size(); ++i)
            QTest::newRow(requestCases()[i].name) << i;
    }

    // Exact target and body, the session cookie, and no header of the client's own.
    void requests()
    {
        QFETCH(int, row);
        const RequestCase &c = requestCases()[row];
        const auto request = sendOne(c.run);
        QVERIFY(request);
        QCOMPARE(request->target, c.target);
        QCOMPARE(request->body, c.body);
        QCOMPARE(request->method, QByteArray(c.body.isNull() ? "GET" : "POST"));
        QCOMPARE(request->header("Content-Type"), c.body.isNull() ? std::nullopt : std::optional(formType));
        if (!c.body.isNull())
            QCOMPARE(request->header("Content-Length").value_or(""), QByteArray::number(c.body.size()));
        QCOMPARE(request->header("Cookie").value_or(""), "SID=" + ApiHarness::sid);
        verifyOnlyAllowedHeaders(*request);
        verifyNeedsAServer(c.run);
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
        QTest::newRow("kept and not kept")
            << QStringLiteral("*-._") << QStringLiteral("~!'()/?#\t")
            << QByteArray("username=*-._&password=%7E%21%27%28%29%2F%3F%23%09");
        QTest::newRow("non-ascii") << QStringLiteral("用户") << QStringLiteral("pä🔑")
                                   << QByteArray("username=%E7%94%A8%E6%88%B7&password=p%C3%A4%F0%9F%94%91");
        QTest::newRow("empty") << QString() << QString() << QByteArray("username=&password=");
    }

    // The server's form decoding gives back exactly what was typed: the emulated login only
    // accepts the exact credentials. The connection test sends the same bytes.
    void loginBody()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QByteArray, body);
        h->server.emulateLogin(username, password, "sid");
        const ServerConfig profile = h->server.serverConfig(username);
        h->server.clearRequests();
        VERIFY_OK(runTask(h->client.login(profile, password)));
        VERIFY_OK(runTask(h->client.testConnection(profile, password)));
        const auto logins = h->server.requestsTo(ApiHarness::loginPath);
        QCOMPARE(logins.size(), 2);
        for (const RecordedRequest &login : logins) {
            QCOMPARE(login.method, QByteArray("POST"));
            QCOMPARE(login.body, body);
            QCOMPARE(login.header("Content-Type").value_or(""), formType);
            verifyOnlyAllowedHeaders(login);
        }
    }

    void uploads_data()
    {
        QTest::addColumn<bool>("byFile");
        QTest::addColumn<std::optional<QString>>("savePath");
        QTest::addColumn<std::optional<QString>>("category");
        QTest::addColumn<std::optional<QString>>("tags");
        const std::optional<QString> none;
        const std::optional<QString> empty = QString();
        const std::optional<QString> path = QStringLiteral("/data/下载");
        const std::optional<QString> category = QStringLiteral("电影");
        const std::optional<QString> tags = QStringLiteral("a,b");
        QTest::newRow("links only") << false << none << none << none;
        QTest::newRow("links, all options") << false << path << category << tags;
        QTest::newRow("links, category only") << false << none << category << none;
        QTest::newRow("links, given but empty") << false << empty << none << empty;
        QTest::newRow("file only") << true << none << none << none;
        QTest::newRow("file, all options") << true << path << category << tags;
    }

    // Links and file go in as they are (quotes, line breaks and binary bytes unescaped), the
    // options after them in a fixed order, under a boundary of their own for every upload.
    void uploads()
    {
        QFETCH(bool, byFile);
        QFETCH(std::optional<QString>, savePath);
        QFETCH(std::optional<QString>, category);
        QFETCH(std::optional<QString>, tags);
        const QString urls =
            QStringLiteral("magnet:?xt=urn:btih:abc&dn=\"x\"\nhttps://example.org/a.torrent");
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
        const QByteArray boundary = boundaryOf(*request);
        QVERIFY2(!boundary.isEmpty(), request->header("Content-Type").value_or("(none)").constData());

        QByteArray expected = byFile
                                  ? "--" + boundary +
                                        "\r\nContent-Disposition: form-data; name=\"torrents\"; "
                                        "filename=\"" +
                                        fileName.toUtf8() +
                                        "\"\r\nContent-Type: application/x-bittorrent\r\n\r\n" + data + "\r\n"
                                  : part(boundary, "urls", urls.toUtf8());
        expected += options(boundary, savePath, category, tags);
        QCOMPARE(request->body, expected);
        QCOMPARE(request->header("Content-Length").value_or(""), QByteArray::number(expected.size()));
        verifyOnlyAllowedHeaders(*request);

        const auto again = sendOne(upload);
        QVERIFY(again);
        QVERIFY(boundaryOf(*again) != boundary);
        verifyNeedsAServer(upload);
    }
};

QTEST_GUILESS_MAIN(FramingTest)
#include "tst_Framing.moc"
