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
        const auto rows = [](Chosen chosen, const QStringList &versions) {
            for (const QString &version : versions)
                QTest::newRow(qPrintable(QLatin1Char('[') + version + QLatin1Char(']'))) << version << chosen;
        };
        rows(Chosen::v4, {"v4.6.2", "v4.5.2", "4.6.2\n", "3.2", "0", "-1.0", "4.x", "-9223372036854775808"});
        rows(Chosen::v5, {"v5.0.1", "5.1.0beta", "10.0", ".5.0", "5v.0", "+5.0", "9223372036854775807.0"});
        rows(Chosen::unchanged,
             {"5\n", "V5.0", "Unknown", "", "...", "vvv", "+.5", " 5.0", "5 .0", "5junk.0", "junk",
              QStringLiteral("５.0"), QStringLiteral("٥.0"), "9223372036854775808.0"});
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

    void paths_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("v4");
        QTest::addColumn<QString>("v5");
        // The catalogue in declaration order; only pause and resume moved in 5.x.
        const QStringList v4Paths =
            QStringLiteral(
                "auth/login auth/logout app/version torrents/info torrents/add torrents/delete "
                "torrents/pause "
                "torrents/resume torrents/setForceStart torrents/recheck torrents/reannounce "
                "torrents/setLocation "
                "torrents/setCategory torrents/properties torrents/trackers sync/torrentPeers torrents/files "
                "sync/maindata torrents/addTags torrents/removeTags transfer/info app/preferences "
                "app/setPreferences torrents/categories torrents/createCategory torrents/removeCategories "
                "torrents/tags torrents/createTags torrents/deleteTags transfer/setDownloadLimit "
                "transfer/setUploadLimit")
                .split(QLatin1Char(' '));
        const QHash<QString, QString> moved = {
            {QStringLiteral("torrents/pause"), QStringLiteral("torrents/stop")},
            {QStringLiteral("torrents/resume"), QStringLiteral("torrents/start")}};
        for (int i = 0; i < v4Paths.size(); ++i) {
            const QString prefix = QStringLiteral("/api/v2/");
            QTest::newRow(qPrintable(v4Paths[i]))
                << i << prefix + v4Paths[i] << prefix + moved.value(v4Paths[i], v4Paths[i]);
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
        h.server.setFallback([](const RecordedRequest &) { return TestResponse::text("Ok."); });
        h.server.clearRequests();
        VERIFY_OK(runTask(h.client.performAction(APIEndpoint::pause("a"))));
        QCOMPARE(h.server.lastRequest().target, QByteArray("/api/v2/torrents/pause"));
        QVERIFY(holds4(APIVersionManager::shared())); // where every client starts
    }
};

QTEST_GUILESS_MAIN(AdaptersTest)
#include "tst_Adapters.moc"
