#include "DecodingFailure.h"

#include "model/SyncRecords.h"
#include "support/Fixtures.h"

class DecodingSyncTest : public QObject
{
    Q_OBJECT

private slots:
    void answersAsSnapshot();
    void serverAnswerRoundTrips();
};

// Each answer decoded and written back in its JSON form (what is absent, null or empty, every
// key's spelling, the values of the recorded server answers), or the failure it gives.
void DecodingSyncTest::answersAsSnapshot()
{
    QByteArray oneBad = fixture(QStringLiteral("maindata-full.json"));
    oneBad.replace("\"eta\":8640000", "\"eta\":\"never\"");
    const QList<std::pair<const char *, QByteArray>> answers{
        {"full answer of the server", fixture(QStringLiteral("maindata-full.json"))},
        {"incremental answer of the server", fixture(QStringLiteral("maindata-rid1-after-pause.json"))},
        {"rid alone", R"({"rid": 7})"},
        {"null is absent", R"({"rid":3,"torrents":{"abc":{"name":null,"dlspeed":0}}})"},
        {"near misses of key spellings are unknown keys",
         R"({"rid":1,"torrents":{"h":{"num_leechs":4,"num_leeches":9,"added_on":5,"completion_on":-1,)"
         R"("save_path":"/s","dl_speed":8,"popularity":0.5,"tracker":"udp://t"}}})"},
        {"empty differs from absent",
         R"({"rid":1,"torrents":{},"torrents_removed":[],"categories":{},"tags":[],"server_state":{}})"},
        {"removals", R"({"rid":2,"torrents_removed":["a"],"categories_removed":["c"],"tags_removed":["t"]})"},
        {"torrents as list", R"({"rid":1,"torrents":[]})"},
        {"torrent as list", R"({"rid":1,"torrents":{"h":[]}})"},
        {"removed as object", R"({"rid":1,"torrents_removed":{}})"},
        {"categories as string", R"({"rid":1,"categories":"x"})"},
        {"server state as list", R"({"rid":1,"server_state":[]})"},
        {"fraction in size", R"({"rid":1,"torrents":{"h":{"size":1.5}}})"},
        {"number in state", R"({"rid":1,"torrents":{"h":{"state":3}}})"},
        {"category with snake-case path", R"({"rid":1,"categories":{"tv":{"name":"tv","save_path":"/tv"}}})"},
        {"category without name", R"({"rid":1,"categories":{"tv":{"savePath":"/tv"}}})"},
        {"one bad torrent fails the whole answer", oneBad},
    };
    QByteArray text;
    for (const auto &[label, json] : answers)
        text += outcomeText(label, [&] { return SyncData::fromJson(json).toJson(); });
    compareSnapshot(QStringLiteral("sync-answers.snap"), text);
}

void DecodingSyncTest::serverAnswerRoundTrips()
{
    const SyncData server = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
    QCOMPARE(SyncData::fromJson(server.toJson()), server);
    const CategoryData category = CategoryData::fromJson(R"({"name":"n","savePath":"/p"})");
    QCOMPARE(CategoryData::fromJson(category.toJson()), category);
}

QTEST_GUILESS_MAIN(DecodingSyncTest)
#include "tst_DecodingSync.moc"
