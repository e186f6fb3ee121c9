// Which endpoint paths a server of each generation gets, and how its version text selects them.
#include "ApiHarness.h"

namespace {

const QString line4 = QStringLiteral("🔄 使用 qBittorrent 4.x API 适配器");
const QString line5 = QStringLiteral("🔄 切换到 qBittorrent 5.x API 适配器");

enum class Chosen { v4, v5, unchanged };

bool holds5(const APIVersionManager &manager)
{
    return dynamic_cast<const QBittorrent5Adapter *>(&manager.currentAdapter()) != nullptr;
}

bool holds4(const APIVersionManager &manager)
{
    return dynamic_cast<const QBittorrent4Adapter *>(&manager.currentAdapter()) != nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Chosen)

class AdaptersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void updateVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<Chosen>("chosen");
        const auto row = [](const char *name, const QString &text, Chosen chosen) {
            QTest::newRow(name) << text << chosen;
        };
        row("v4.6.2", QStringLiteral("v4.6.2"), Chosen::v4);
        row("v4.5.2", QStringLiteral("v4.5.2"), Chosen::v4);
        row("v5.0.1", QStringLiteral("v5.0.1"), Chosen::v5);
        row("5.1.0beta", QStringLiteral("5.1.0beta"), Chosen::v5);
        row("10.0", QStringLiteral("10.0"), Chosen::v5);
        row(".5.0", QStringLiteral(".5.0"), Chosen::v5);
        row("5 line feed", QStringLiteral("5\n"), Chosen::unchanged);
        row("4.6.2 line feed", QStringLiteral("4.6.2\n"), Chosen::v4);
        row("V5.0", QStringLiteral("V5.0"), Chosen::unchanged);
        row("Unknown", QStringLiteral("Unknown"), Chosen::unchanged);
        row("empty", QString(), Chosen::unchanged);
        row("only dots", QStringLiteral("..."), Chosen::unchanged);
        row("only v", QStringLiteral("vvv"), Chosen::unchanged);
        row("v inside", QStringLiteral("5v.0"), Chosen::v5);
        row("3.2", QStringLiteral("3.2"), Chosen::v4);
        row("0", QStringLiteral("0"), Chosen::v4);
        row("-1.0", QStringLiteral("-1.0"), Chosen::v4);
        row("+5.0", QStringLiteral("+5.0"), Chosen::v5);
        row("sign only", QStringLiteral("+.5"), Chosen::unchanged);
        row("leading space", QStringLiteral(" 5.0"), Chosen::unchanged);
        row("inner space", QStringLiteral("5 .0"), Chosen::unchanged);
        row("letters after digits", QStringLiteral("5junk.0"), Chosen::unchanged);
        row("junk", QStringLiteral("junk"), Chosen::unchanged);
        row("fullwidth digit", QStringLiteral("５.0"), Chosen::unchanged);
        row("arabic-indic digit", QStringLiteral("٥.0"), Chosen::unchanged);
        row("int64 max", QStringLiteral("9223372036854775807.0"), Chosen::v5);
        row("int64 min", QStringLiteral("-9223372036854775808"), Chosen::v4);
        row("beyond int64", QStringLiteral("9223372036854775808.0"), Chosen::unchanged);
        row("4.x", QStringLiteral("4.x"), Chosen::v4);
    }

    // Unchanged rows are checked from both starting adapters.
    void updateVersion()
    {
        QFETCH(QString, version);
        QFETCH(Chosen, chosen);
        for (const bool startOn5 : {false, true}) {
            APIVersionManager manager;
            if (startOn5)
                manager.setAdapter(std::make_shared<QBittorrent5Adapter>());
            LogCapture log;
            manager.updateVersion(version);
            switch (chosen) {
            case Chosen::v4:
                QVERIFY(holds4(manager));
                QCOMPARE(log.lines(), QStringList{line4});
                break;
            case Chosen::v5:
                QVERIFY(holds5(manager));
                QCOMPARE(log.lines(), QStringList{line5});
                break;
            case Chosen::unchanged:
                QCOMPARE(holds5(manager), startOn5);
                QVERIFY(log.lines().isEmpty());
                break;
            }
        }
    }

    void lineOnEveryCall()
    {
        APIVersionManager manager;
        LogCapture log;
        manager.updateVersion("v5.0.0");
        manager.updateVersion("v5.1.0");
        manager.updateVersion("4.0");
        manager.updateVersion("4.1");
        QCOMPARE(log.lines(), QStringList({line5, line5, line4, line4}));
    }

    void startsOn4()
    {
        APIVersionManager manager;
        QVERIFY(holds4(manager));
        QVERIFY(holds4(APIVersionManager::shared()));
    }

    void paths_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("v4");
        QTest::addColumn<QString>("v5");
        const std::pair<const char *, const char *> rows[] = {
            {"/api/v2/auth/login", nullptr},
            {"/api/v2/auth/logout", nullptr},
            {"/api/v2/app/version", nullptr},
            {"/api/v2/torrents/info", nullptr},
            {"/api/v2/torrents/add", nullptr},
            {"/api/v2/torrents/delete", nullptr},
            {"/api/v2/torrents/pause", "/api/v2/torrents/stop"},
            {"/api/v2/torrents/resume", "/api/v2/torrents/start"},
            {"/api/v2/torrents/setForceStart", nullptr},
            {"/api/v2/torrents/recheck", nullptr},
            {"/api/v2/torrents/reannounce", nullptr},
            {"/api/v2/torrents/setLocation", nullptr},
            {"/api/v2/torrents/setCategory", nullptr},
            {"/api/v2/torrents/properties", nullptr},
            {"/api/v2/torrents/trackers", nullptr},
            {"/api/v2/sync/torrentPeers", nullptr},
            {"/api/v2/torrents/files", nullptr},
            {"/api/v2/sync/maindata", nullptr},
            {"/api/v2/torrents/addTags", nullptr},
            {"/api/v2/torrents/removeTags", nullptr},
            {"/api/v2/transfer/info", nullptr},
            {"/api/v2/app/preferences", nullptr},
            {"/api/v2/app/setPreferences", nullptr},
            {"/api/v2/torrents/categories", nullptr},
            {"/api/v2/torrents/createCategory", nullptr},
            {"/api/v2/torrents/removeCategories", nullptr},
            {"/api/v2/torrents/tags", nullptr},
            {"/api/v2/torrents/createTags", nullptr},
            {"/api/v2/torrents/deleteTags", nullptr},
            {"/api/v2/transfer/setDownloadLimit", nullptr},
            {"/api/v2/transfer/setUploadLimit", nullptr},
        };
        for (int i = 0; i < int(std::size(rows)); ++i) {
            const QString v4 = QString::fromLatin1(rows[i].first);
            QTest::newRow(rows[i].first)
                << i << v4 << (rows[i].second ? QString::fromLatin1(rows[i].second) : v4);
        }
    }

    // Every case of the catalogue, in declaration order, and its path on either generation.
    void paths()
    {
        QFETCH(int, row);
        QFETCH(QString, v4);
        QFETCH(QString, v5);
        APIEndpoint endpoint;
        endpoint.kind = APIEndpoint::Kind(row);
        endpoint.hashes = QStringLiteral("a");
        QCOMPARE(endpoint.defaultPath(), v4);
        QCOMPARE(QBittorrent4Adapter().path(endpoint), v4);
        QCOMPARE(QBittorrent5Adapter().path(endpoint), v5);
    }

    // A 5.x login: adapter line before the version line; pause and resume go to the new paths.
    void loginTo5xServer()
    {
        ApiHarness h("v5.0.1");
        h.server.setFallback([](const RecordedRequest &) { return TestResponse::noContent(); });
        LogCapture log;
        VERIFY_OK(runTask(h.client.login(h.profile, ApiHarness::password)));
        QCOMPARE(log.lines(), QStringList({line5, QStringLiteral("✅ qBittorrent 版本: v5.0.1")}));
        QCOMPARE(h.client.serverVersion().value_or(""), QStringLiteral("v5.0.1"));
        QVERIFY(holds5(h.versions));

        h.server.clearRequests();
        VERIFY_OK(runTask(h.client.performAction(APIEndpoint::pause("a|b"))));
        VERIFY_OK(runTask(h.client.performAction(APIEndpoint::resume("a|b"))));
        QCOMPARE(h.server.requestCount(), 2);
        QCOMPARE(h.server.requests()[0].target, QByteArray("/api/v2/torrents/stop"));
        QCOMPARE(h.server.requests()[0].body, QByteArray("hashes=a|b"));
        QCOMPARE(h.server.requests()[1].target, QByteArray("/api/v2/torrents/start"));
        QCOMPARE(h.server.requests()[1].body, QByteArray("hashes=a|b"));

        // Then a server whose version text does not parse: the 5.x adapter stays.
        h.server.on(ApiHarness::versionPath, TestResponse::text("Unknown"));
        log.clear();
        VERIFY_OK(runTask(h.client.login(h.profile, ApiHarness::password)));
        QCOMPARE(log.lines(), QStringList{QStringLiteral("✅ qBittorrent 版本: Unknown")});
        QVERIFY(holds5(h.versions));
    }

    void beforeAnyVersionPauseIs4x()
    {
        ApiHarness h;
        h.server.on(ApiHarness::versionPath, TestResponse::withStatus(404));
        h.server.setFallback([](const RecordedRequest &) { return TestResponse::text("Ok."); });
        QVERIFY(h.connect());
        VERIFY_OK(runTask(h.client.performAction(APIEndpoint::pause("a"))));
        QCOMPARE(h.server.lastRequest().target, QByteArray("/api/v2/torrents/pause"));
    }

    // A failed version request: the login still succeeds, the version stays as it was and
    // the 4.x adapter is chosen without its line.
    void versionFailureFallsBackTo4x()
    {
        ApiHarness h("v5.0.1");
        VERIFY_OK(runTask(h.client.login(h.profile, ApiHarness::password)));
        QVERIFY(holds5(h.versions));

        h.server.on(ApiHarness::versionPath, TestResponse::withStatus(500));
        LogCapture log;
        VERIFY_OK(runTask(h.client.login(h.profile, ApiHarness::password)));
        QCOMPARE(log.lines(),
                 QStringList{QStringLiteral("⚠️ 获取服务器版本失败: 服务器错误 (500)")});
        QVERIFY(holds4(h.versions));
        QCOMPARE(h.client.serverVersion().value_or(""), QStringLiteral("v5.0.1"));
        QVERIFY(h.client.isAuthenticated());
    }
};

QTEST_GUILESS_MAIN(AdaptersTest)
#include "tst_Adapters.moc"
