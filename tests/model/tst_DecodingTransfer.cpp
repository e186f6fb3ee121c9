#include "DecodingFailure.h"

#include "model/TransferRecords.h"
#include "support/Fixtures.h"

#include <QSet>
#include <QTest>

#include <limits>

using Kind = DecodingError::Kind;

class DecodingTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void transferInfoFromServer();
    void transferInfoNeedsEveryKey_data();
    void transferInfoNeedsEveryKey();
    void transferInfoRoundTrip();
    void serverStateFromServer();
    void serverStateTypes();
    void serverStateEncodingLeavesOutAbsent();
    void mainDataNeedsServerStateOnly();
    void categoryKeysAndIdentity();
    void connectionStatusText_data();
    void connectionStatusText();
};

void DecodingTransferTest::transferInfoFromServer()
{
    const TransferInfo info = TransferInfo::fromJson(fixture(QStringLiteral("transfer-info.json")));
    QCOMPARE(info.connectionStatus, QStringLiteral("firewalled"));
    QCOMPARE(info.dhtNodes, 0);
    QCOMPARE(info.dlRateLimit, 0);

    const TransferInfo busy = TransferInfo::fromJson(
        R"({"connection_status":"connected","dht_nodes":312,"dl_info_data":123456789012,"dl_info_speed":2048,
            "dl_rate_limit":1048576,"up_info_data":5,"up_info_speed":7,"up_rate_limit":0,"queueing":true})");
    QCOMPARE(busy.dlInfoSpeed, 2048);
    QCOMPARE(busy.dlInfoData, 123456789012);
    QCOMPARE(busy.upInfoSpeed, 7);
    QCOMPARE(busy.upInfoData, 5);
    QCOMPARE(busy.dlRateLimit, 1048576);
    QCOMPARE(busy.upRateLimit, 0);
    QCOMPARE(busy.dhtNodes, 312);
}

void DecodingTransferTest::transferInfoNeedsEveryKey_data()
{
    QTest::addColumn<QString>("key");
    for (const char *key : {"dl_info_speed", "dl_info_data", "up_info_speed", "up_info_data", "dl_rate_limit",
                            "up_rate_limit", "dht_nodes", "connection_status"})
        QTest::newRow(key) << QString::fromLatin1(key);
}

void DecodingTransferTest::transferInfoNeedsEveryKey()
{
    QFETCH(QString, key);
    const QByteArray full = fixture(QStringLiteral("transfer-info.json"));
    // Renaming the key keeps the document valid and the value in place.
    QByteArray without = full;
    without.replace('"' + key.toUtf8() + '"', "\"renamed\"");
    QVERIFY(without != full);
    const auto error = decodingFailure([&] { return TransferInfo::fromJson(without); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::KeyNotFound);
    QCOMPARE(error->key(), key);
}

void DecodingTransferTest::transferInfoRoundTrip()
{
    const TransferInfo info{std::numeric_limits<qint64>::max(), 9007199254740993LL, -1, 0, 1, 2, 3,
                            QStringLiteral("disconnected")};
    QCOMPARE(TransferInfo::fromJson(info.toJson()), info);
}

void DecodingTransferTest::serverStateFromServer()
{
    const MainDataResponse response =
        MainDataResponse::fromJson(fixture(QStringLiteral("maindata-full.json")));
    QCOMPARE(response.rid, std::optional<qint64>(1));
    QCOMPARE(response.fullUpdate, std::optional<bool>(true));
    const ServerState &s = response.serverState;
    QCOMPARE(s.freeSpaceOnDisk, std::optional<qint64>(85026189312));
    QCOMPARE(s.connectionStatus, std::optional<QString>(QStringLiteral("firewalled")));
    QCOMPARE(s.readCacheHits, std::optional<QString>(QStringLiteral("0")));
    QCOMPARE(s.writeCacheOverload, std::optional<QString>(QStringLiteral("0")));
    QCOMPARE(s.queuedIO, std::optional<qint64>(0));
    QCOMPARE(s.alltimeDL, std::optional<qint64>(0));
    QCOMPARE(s.totalBuffersSize, std::optional<qint64>(0));
    QCOMPARE(s.totalPeerConnections, std::optional<qint64>(0));
}

void DecodingTransferTest::serverStateTypes()
{
    const ServerState state = ServerState::fromJson(
        R"({"dl_info_speed":1,"up_info_speed":2,"dl_info_data":3,"up_info_data":4,"alltime_dl":5,"alltime_ul":6,
            "queued_io_jobs":7,"read_cache_hits":"12%","connection_status":null,"global_ratio":"-"})");
    QCOMPARE(state.dlInfoSpeed, std::optional<qint64>(1));
    QCOMPARE(state.upInfoSpeed, std::optional<qint64>(2));
    QCOMPARE(state.dlInfoData, std::optional<qint64>(3));
    QCOMPARE(state.upInfoData, std::optional<qint64>(4));
    QCOMPARE(state.alltimeDL, std::optional<qint64>(5));
    QCOMPARE(state.alltimeUL, std::optional<qint64>(6));
    QCOMPARE(state.queuedIO, std::optional<qint64>(7));
    QCOMPARE(state.readCacheHits, std::optional<QString>(QStringLiteral("12%")));
    QVERIFY(!state.connectionStatus);
    QVERIFY(!state.dhtNodes);

    const auto number = decodingFailure([] { return ServerState::fromJson(R"({"read_cache_hits":0})"); });
    QVERIFY(number);
    QCOMPARE(number->kind(), Kind::TypeMismatch);
    QCOMPARE(number->expectedType(), QStringLiteral("String"));
    QCOMPARE(number->codingPath(), QStringList{QStringLiteral("read_cache_hits")});

    const auto fraction =
        decodingFailure([] { return ServerState::fromJson(R"({"free_space_on_disk":1.5})"); });
    QVERIFY(fraction);
    QCOMPARE(fraction->expectedType(), QStringLiteral("Int64"));
}

void DecodingTransferTest::serverStateEncodingLeavesOutAbsent()
{
    QCOMPARE(ServerState{}.toJson(), QByteArray("{}"));
    ServerState state;
    state.queuedIO = 4;
    state.writeCacheOverload = QStringLiteral("0");
    QCOMPARE(state.toJson(), QByteArray(R"({"queued_io_jobs":4,"write_cache_overload":"0"})"));
    QCOMPARE(ServerState::fromJson(state.toJson()), state);
}

void DecodingTransferTest::mainDataNeedsServerStateOnly()
{
    const MainDataResponse empty = MainDataResponse::fromJson(R"({"server_state":{}})");
    QVERIFY(!empty.rid);
    QVERIFY(!empty.fullUpdate);
    QCOMPARE(empty.serverState, ServerState{});

    const auto missing = decodingFailure([] { return MainDataResponse::fromJson(R"({"rid":1})"); });
    QVERIFY(missing);
    QCOMPARE(missing->kind(), Kind::KeyNotFound);
    QCOMPARE(missing->key(), QStringLiteral("server_state"));

    const auto null = decodingFailure([] { return MainDataResponse::fromJson(R"({"server_state":null})"); });
    QVERIFY(null);
    QCOMPARE(null->kind(), Kind::ValueNotFound);
    QCOMPARE(null->expectedType(), QStringLiteral("ServerState"));

    const auto list = decodingFailure([] { return MainDataResponse::fromJson(R"({"server_state":[]})"); });
    QVERIFY(list);
    QCOMPARE(list->kind(), Kind::TypeMismatch);
    QCOMPARE(list->expectedType(), QStringLiteral("ServerState"));

    MainDataResponse response;
    response.rid = 8;
    response.serverState.dhtNodes = 3;
    QCOMPARE(MainDataResponse::fromJson(response.toJson()), response);
    QVERIFY(!MainDataResponse{}.toJson().contains("rid"));
}

void DecodingTransferTest::categoryKeysAndIdentity()
{
    const Category category = Category::fromJson(R"({"name":"电影","savePath":"/data/movies"})");
    QCOMPARE(category.name, QStringLiteral("电影"));
    QCOMPARE(category.savePath, QStringLiteral("/data/movies"));
    QCOMPARE(Category::fromJson(category.toJson()), category);

    const auto snake = decodingFailure([] { return Category::fromJson(R"({"name":"a","save_path":"/a"})"); });
    QVERIFY(snake);
    QCOMPARE(snake->key(), QStringLiteral("savePath"));

    const Category other{QStringLiteral("电影"), QStringLiteral("/elsewhere")};
    QVERIFY(!(category == other));
    QSet<Category> set{category, other, category};
    QCOMPARE(set.size(), 2);
    QCOMPARE(qHash(category, 7), qHash(Category{category.name, category.savePath}, 7));
}

void DecodingTransferTest::connectionStatusText_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("connected") << "connected"
                               << "已连接";
    QTest::newRow("capitals") << "CONNECTED"
                              << "已连接";
    QTest::newRow("firewalled") << "Firewalled"
                                << "防火墙";
    QTest::newRow("disconnected") << "disconnected"
                                  << "未连接";
    QTest::newRow("other word kept as sent") << "MixedCase"
                                             << "MixedCase";
    QTest::newRow("near miss") << "connected "
                               << "connected ";
    QTest::newRow("empty") << ""
                           << "";
}

void DecodingTransferTest::connectionStatusText()
{
    QFETCH(QString, status);
    QFETCH(QString, text);
    QCOMPARE(::connectionStatusText(status), text);
}

QTEST_GUILESS_MAIN(DecodingTransferTest)
#include "tst_DecodingTransfer.moc"
