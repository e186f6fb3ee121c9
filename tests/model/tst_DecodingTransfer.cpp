#include "DecodingFailure.h"

#include "model/JsonRecords.h"
#include "model/TransferRecords.h"
#include "support/Fixtures.h"

#include <QSet>

class DecodingTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void answersAsSnapshot();
    void categoryIdentity();
};

// Each answer decoded and written back in its JSON form, or the failure it gives; then the
// connection status texts.
void DecodingTransferTest::answersAsSnapshot()
{
    QByteArray text;
    const auto add = [&text](const char *label, auto decode, const QByteArray &json) {
        text += outcomeText(label, [&] { return json::encodeDocument(decode(json)); });
    };
    const QByteArray server = fixture(QStringLiteral("transfer-info.json"));
    add("transfer info of the server", &TransferInfo::fromJson, server);
    add("busy transfer info", &TransferInfo::fromJson,
        R"({"connection_status":"connected","dht_nodes":312,"dl_info_data":9223372036854775807,)"
        R"("dl_info_speed":2048,"dl_rate_limit":1048576,"up_info_data":5,"up_info_speed":7,)"
        R"("up_rate_limit":0,"queueing":true})");
    for (const char *key : {"dl_info_speed", "dl_info_data", "up_info_speed", "up_info_data", "dl_rate_limit",
                            "up_rate_limit", "dht_nodes", "connection_status"})
        add(key, &TransferInfo::fromJson,
            QByteArray(server).replace('"' + QByteArray(key) + '"', "\"renamed\""));
    add("server state, text and null fields", &ServerState::fromJson,
        R"({"dl_info_speed":1,"up_info_speed":2,"dl_info_data":3,"up_info_data":4,"alltime_dl":5,"alltime_ul":6,)"
        R"("queued_io_jobs":7,"read_cache_hits":"12%","connection_status":null,"global_ratio":"-"})");
    add("number as cache hits", &ServerState::fromJson, R"({"read_cache_hits":0})");
    add("fraction as free space", &ServerState::fromJson, R"({"free_space_on_disk":1.5})");
    add("main data of the server", &MainDataResponse::fromJson,
        fixture(QStringLiteral("maindata-full.json")));
    add("main data with server state only", &MainDataResponse::fromJson, R"({"server_state":{}})");
    add("main data without server state", &MainDataResponse::fromJson, R"({"rid":1})");
    add("main data with null server state", &MainDataResponse::fromJson, R"({"server_state":null})");
    add("category", &Category::fromJson, R"({"name":"电影","savePath":"/m"})");
    add("category with snake-case path", &Category::fromJson, R"({"name":"a","save_path":"/a"})");
    text += "== connection status texts\n";
    for (const QString &status : {u"connected"_qs, u"CONNECTED"_qs, u"Firewalled"_qs, u"disconnected"_qs,
                                  u"MixedCase"_qs, u"connected "_qs})
        text += (status + u" -> "_qs + ::connectionStatusText(status) + u'\n').toUtf8();
    compareSnapshot(QStringLiteral("transfer-records.snap"), text);
}

void DecodingTransferTest::categoryIdentity()
{
    const Category category{u"电影"_qs, u"/data/movies"_qs};
    const Category other{u"电影"_qs, u"/elsewhere"_qs};
    QVERIFY(!(category == other));
    QCOMPARE(QSet<Category>({category, other, category}).size(), 2);
    QCOMPARE(qHash(category, 7), qHash(Category{category.name, category.savePath}, 7));
}

QTEST_GUILESS_MAIN(DecodingTransferTest)
#include "tst_DecodingTransfer.moc"
