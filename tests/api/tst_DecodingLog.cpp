// What the client makes of answer bodies: the sync payload's success and failure lines with
// their diagnostic line, hostile payloads, and the shape of the detail and list results.
#include "ApiHarness.h"

#include "support/Fixtures.h"

#include "model/DecodingError.h"

namespace {

const QByteArray syncPath = "/api/v2/sync/maindata";
const QString failurePrefix = QStringLiteral("❌ SyncData 解码失败: ");

QByteArray deeplyNested(int depth)
{
    return "{\"rid\":1,\"torrents\":{\"a\":" + QByteArray(depth, '[') + QByteArray(depth, ']') + "}}";
}

} // namespace

class DecodingLogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ApiHarness> h;
    std::unique_ptr<LogCapture> log;

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<ApiHarness>();
        QVERIFY(h->connect());
        log = std::make_unique<LogCapture>();
    }

    void cleanup()
    {
        log.reset();
        h.reset();
    }

    void syncSuccessLine_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("line");
        QTest::newRow("recorded full answer")
            << fixture("maindata-full.json") << QStringLiteral("✅ SyncData 解码成功: rid=1, torrents=2个");
        QTest::newRow("no torrents object") << QByteArray(R"({"rid":42,"server_state":{}})")
                                            << QStringLiteral("✅ SyncData 解码成功: rid=42, torrents=0个");
        QTest::newRow("empty torrents object") << QByteArray(R"({"rid":7,"torrents":{}})")
                                               << QStringLiteral("✅ SyncData 解码成功: rid=7, torrents=0个");
    }

    void syncSuccessLine()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, line);
        h->server.enqueue(syncPath, TestResponse::json(body));
        VERIFY_OK(runTask(h->client.getSyncData(std::nullopt)));
        QCOMPARE(log->lines(), QStringList{line});
    }

    void syncFailureLines_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("diagnostic");
        using K = DecodingError::Kind;
        QTest::newRow("rid missing") << QByteArray(R"({"full_update":true})") << int(K::KeyNotFound)
                                     << QStringLiteral("   缺少字段: rid at ");
        QTest::newRow("rid is text") << QByteArray(R"({"rid":"1"})") << int(K::TypeMismatch)
                                     << QStringLiteral("   类型不匹配: 期望 Int64 at rid");
        QTest::newRow("rid is null") << QByteArray(R"({"rid":null})") << int(K::ValueNotFound)
                                     << QStringLiteral("   值不存在: Int64 at rid");
        QTest::newRow("nested name is a number")
            << QByteArray(R"({"rid":2,"torrents":{"abc":{"name":5}}})") << int(K::TypeMismatch)
            << QStringLiteral("   类型不匹配: 期望 String at torrents.abc.name");
    }

    // The failure line, then exactly one diagnostic line, and the same error passed on.
    void syncFailureLines()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, kind);
        QFETCH(QString, diagnostic);
        h->server.enqueue(syncPath, TestResponse::json(body));
        const auto outcome = runTask(h->client.getSyncData(std::nullopt));
        QVERIFY(outcome.finished);
        const auto *error = outcome.errorAs<DecodingError>();
        QVERIFY2(error, qPrintable(describe(outcome.error)));
        QCOMPARE(int(error->kind()), kind);
        QCOMPARE(log->lines().size(), 2);
        QCOMPARE(log->lines()[0], failurePrefix + error->debugDescription());
        QCOMPARE(log->lines()[1], diagnostic);
    }

    void hostilePayload_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("html") << QByteArray("<html><body>Unauthorized</body></html>");
        QTest::newRow("truncated") << fixture("maindata-full.json").left(300);
        QTest::newRow("top-level array") << QByteArray("[1,2,3]");
        QTest::newRow("nul bytes") << QByteArray("{\"rid\":1\0\0}", 11);
        QTest::newRow("invalid UTF-8 in a key") << QByteArray("{\"r\xff\":1}");
        QTest::newRow("invalid UTF-8 in a name")
            << QByteArray("{\"rid\":1,\"torrents\":{\"a\":{\"name\":\"\xc0\xaf\"}}}");
        QTest::newRow("rid beyond int64") << QByteArray(R"({"rid":99999999999999999999999})");
        QTest::newRow("rid fractional") << QByteArray(R"({"rid":1.5})");
        QTest::newRow("deep nesting") << deeplyNested(100'000);
        QTest::newRow("torrents is a list") << QByteArray(R"({"rid":1,"torrents":[1]})");
        QTest::newRow("huge exponent") << QByteArray(R"({"rid":1,"torrents":{"a":{"progress":1e999}}})");
    }

    // Nothing crashes; the failure and its diagnostic line are logged; the caller gets the error.
    void hostilePayload()
    {
        QFETCH(QByteArray, body);
        h->server.enqueue(syncPath, TestResponse::json(body));
        const auto outcome = runTask(h->client.getSyncData(5));
        QVERIFY(outcome.finished);
        QVERIFY2(outcome.errorAs<DecodingError>(), qPrintable(describe(outcome.error)));
        QCOMPARE(log->lines().size(), 2);
        QVERIFY(log->lines()[0].startsWith(failurePrefix));
        QVERIFY(log->lines()[1].startsWith(QStringLiteral("   ")));
        const QString diagnostic = log->lines()[1].mid(3);
        const bool known = diagnostic.startsWith(QStringLiteral("类型不匹配: 期望 ")) ||
                           diagnostic.startsWith(QStringLiteral("值不存在: ")) ||
                           diagnostic.startsWith(QStringLiteral("缺少字段: ")) ||
                           diagnostic.startsWith(QStringLiteral("数据损坏: "));
        QVERIFY2(known, qPrintable(diagnostic));
    }

    void reportOnlyForDecodingFailures()
    {
        QBittorrentAPIClient::reportDecodingFailure(NetworkError::serverError(500));
        QBittorrentAPIClient::reportDecodingFailure(TransportError(QNetworkReply::TimeoutError));
        QVERIFY(log->lines().isEmpty());
        QBittorrentAPIClient::reportDecodingFailure(
            DecodingError::dataCorrupted({}, QStringLiteral("无效的 JSON")));
        QCOMPARE(log->lines(), QStringList{QStringLiteral("   数据损坏: 无效的 JSON")});
    }

    // The other fetches pass a decoding failure on without a word.
    void otherDecodingFailuresAreSilent()
    {
        const QByteArray bad = R"({"unexpected":true)";
        const std::pair<QByteArray, std::function<QCoro::Task<void>()>> operations[] = {
            {"/api/v2/transfer/info",
             [this]() -> QCoro::Task<void> { co_await h->client.getTransferInfo(); }},
            {"/api/v2/sync/maindata", [this]() -> QCoro::Task<void> { co_await h->client.getMainData(); }},
            {"/api/v2/torrents/categories",
             [this]() -> QCoro::Task<void> { co_await h->client.getCategories(); }},
            {"/api/v2/torrents/tags", [this]() -> QCoro::Task<void> { co_await h->client.getTags(); }},
            {"/api/v2/torrents/files",
             [this]() -> QCoro::Task<void> { co_await h->client.getTorrentFiles("a"); }},
            {"/api/v2/torrents/trackers",
             [this]() -> QCoro::Task<void> { co_await h->client.getTorrentTrackers("a"); }},
            {"/api/v2/sync/torrentPeers",
             [this]() -> QCoro::Task<void> { co_await h->client.getTorrentPeers("a"); }},
        };
        for (const auto &[path, operation] : operations) {
            h->server.enqueue(path, TestResponse::json(bad));
            const auto outcome = runTask(operation());
            QVERIFY2(outcome.finished && outcome.errorAs<DecodingError>(), path.constData());
        }
        QVERIFY(log->lines().isEmpty());
    }

    void torrentFilesAreIndexedInServerOrder()
    {
        h->server.enqueue("/api/v2/torrents/files", TestResponse::json(R"([
            {"name":"c.iso","size":3,"progress":1,"priority":1,"availability":1},
            {"name":"a.iso","size":1,"progress":0.5,"priority":0,"availability":0.25},
            {"name":"b.iso","size":2,"progress":0,"priority":7,"availability":-1}])"));
        const auto outcome = runTask(h->client.getTorrentFiles("abc"));
        VERIFY_OK(outcome);
        const auto &files = *outcome.value;
        QCOMPARE(files.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(files[i].index, i);
        QCOMPARE(files[0].name, QStringLiteral("c.iso"));
        QCOMPARE(files[2].name, QStringLiteral("b.iso"));
        QCOMPARE(files[1].availability, 0.25);
    }

    void emptyAnswers()
    {
        h->server.enqueue("/api/v2/sync/torrentPeers", TestResponse::json(R"({"rid":1,"peers":{}})"));
        const auto peers = runTask(h->client.getTorrentPeers("abc"));
        VERIFY_OK(peers);
        QVERIFY(peers.value->isEmpty());

        h->server.enqueue("/api/v2/torrents/categories", TestResponse::json("{}"));
        const auto categories = runTask(h->client.getCategories());
        VERIFY_OK(categories);
        QVERIFY(categories.value->isEmpty());
    }

    void categoriesAreNamedByTheirKeys()
    {
        h->server.enqueue("/api/v2/torrents/categories", TestResponse::json(R"({
            "电影":{"name":"电影","savePath":"/data/movies"},
            "linux":{"name":"ignored","savePath":""}})"));
        const auto outcome = runTask(h->client.getCategories());
        VERIFY_OK(outcome);
        QStringList names;
        for (const Category &category : *outcome.value)
            names.append(category.name + QLatin1Char('=') + category.savePath);
        names.sort();
        QCOMPARE(names, QStringList({QStringLiteral("linux="), QStringLiteral("电影=/data/movies")}));
    }

    void tagsKeepServerOrder()
    {
        h->server.enqueue("/api/v2/torrents/tags", TestResponse::json(R"(["z","a","中"])"));
        const auto outcome = runTask(h->client.getTags());
        VERIFY_OK(outcome);
        QCOMPARE(*outcome.value, QStringList({"z", "a", QStringLiteral("中")}));
    }
};

QTEST_GUILESS_MAIN(DecodingLogTest)
#include "tst_DecodingLog.moc"
