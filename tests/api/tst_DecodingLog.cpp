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

    void syncFailures_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("diagnostic"); // empty: any of the known kinds
        const auto row = [](const char *name, const QByteArray &body, const QString &diagnostic = {}) {
            QTest::newRow(name) << body << diagnostic;
        };
        row("rid missing", R"({"full_update":true})", QStringLiteral("   缺少字段: rid at "));
        row("rid is text", R"({"rid":"1"})", QStringLiteral("   类型不匹配: 期望 Int64 at rid"));
        row("rid is null", R"({"rid":null})", QStringLiteral("   值不存在: Int64 at rid"));
        row("nested name is a number", R"({"rid":2,"torrents":{"abc":{"name":5}}})",
            QStringLiteral("   类型不匹配: 期望 String at torrents.abc.name"));
        row("empty", QByteArray());
        row("html", "<html><body>Unauthorized</body></html>");
        row("truncated", fixture("maindata-full.json").left(300));
        row("top-level array", "[1,2,3]");
        row("nul bytes", QByteArray("{\"rid\":1\0\0}", 11));
        row("invalid UTF-8 in a key", "{\"r\xff\":1}");
        row("invalid UTF-8 in a name", "{\"rid\":1,\"torrents\":{\"a\":{\"name\":\"\xc0\xaf\"}}}");
        row("rid beyond int64", R"({"rid":99999999999999999999999})");
        row("rid fractional", R"({"rid":1.5})");
        row("deep nesting", deeplyNested(100'000));
        row("torrents is a list", R"({"rid":1,"torrents":[1]})");
        row("huge exponent", R"({"rid":1,"torrents":{"a":{"progress":1e999}}})");
    }

    // Nothing crashes; the failure line with the error, then exactly one diagnostic line, and
    // the same error passed on.
    void syncFailures()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, diagnostic);
        h->server.enqueue(syncPath, TestResponse::json(body));
        const auto outcome = runTask(h->client.getSyncData(5));
        QVERIFY(outcome.finished);
        const auto *error = outcome.errorAs<DecodingError>();
        QVERIFY2(error, qPrintable(describe(outcome.error)));
        QCOMPARE(log->lines().size(), 2);
        QCOMPARE(log->lines()[0], failurePrefix + error->debugDescription());
        if (!diagnostic.isEmpty()) {
            QCOMPARE(log->lines()[1], diagnostic);
            return;
        }
        const QString line = log->lines()[1];
        const bool known = line.startsWith(QStringLiteral("   类型不匹配: 期望 ")) ||
                           line.startsWith(QStringLiteral("   值不存在: ")) ||
                           line.startsWith(QStringLiteral("   缺少字段: ")) ||
                           line.startsWith(QStringLiteral("   数据损坏: "));
        QVERIFY2(known, qPrintable(line));
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
        auto &c = h->client;
        const std::pair<QByteArray, std::function<QCoro::Task<void>()>> operations[] = {
            {"/api/v2/transfer/info", [&] { return discard(c.getTransferInfo()); }},
            {"/api/v2/sync/maindata", [&] { return discard(c.getMainData()); }},
            {"/api/v2/torrents/categories", [&] { return discard(c.getCategories()); }},
            {"/api/v2/torrents/tags", [&] { return discard(c.getTags()); }},
            {"/api/v2/torrents/files", [&] { return discard(c.getTorrentFiles("a")); }},
            {"/api/v2/torrents/trackers", [&] { return discard(c.getTorrentTrackers("a")); }},
            {"/api/v2/sync/torrentPeers", [&] { return discard(c.getTorrentPeers("a")); }},
        };
        for (const auto &[path, operation] : operations) {
            h->server.enqueue(path, TestResponse::json(bad));
            const auto outcome = runTask(operation());
            QVERIFY2(outcome.finished && outcome.errorAs<DecodingError>(), path.constData());
        }
        QVERIFY(log->lines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(DecodingLogTest)
#include "tst_DecodingLog.moc"
