#include "DecodingFailure.h"

#include "model/ServerConfig.h"

#include <QTest>
#include <QUrl>

using Kind = DecodingError::Kind;

namespace {

ServerConfig profile(const QString &host, qint64 port = 8080, bool https = false)
{
    return ServerConfig::create(QStringLiteral("家里"), host, port, QStringLiteral("admin"), https);
}

} // namespace

class ServerConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void createGivesFreshInactiveProfile();
    void baseURL_data();
    void baseURL();
    void bracketedIPv6IsUsable();
    void switchingHTTPSChangesOnlyTheScheme();
    void accountName();
    void jsonRoundTrip();
    void jsonWithoutLastConnected();
    void jsonFromHandwrittenText();
    void jsonNeedsEveryKeyButLastConnected_data();
    void jsonNeedsEveryKeyButLastConnected();
    void jsonRejectsBadValues();
};

void ServerConfigTest::createGivesFreshInactiveProfile()
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const ServerConfig a = ServerConfig::create(QStringLiteral("名字"), QStringLiteral("nas.local"), 8080,
                                                QStringLiteral("admin"), true);
    const QDateTime after = QDateTime::currentDateTimeUtc();
    const ServerConfig b = ServerConfig::create(QStringLiteral("名字"), QStringLiteral("nas.local"), 8080,
                                                QStringLiteral("admin"), true);
    QVERIFY(!a.id.isNull());
    QVERIFY(a.id != b.id);
    QCOMPARE(a.name, QStringLiteral("名字"));
    QCOMPARE(a.host, QStringLiteral("nas.local"));
    QCOMPARE(a.port, 8080);
    QCOMPARE(a.username, QStringLiteral("admin"));
    QVERIFY(a.useHTTPS);
    QVERIFY(!a.isActive);
    QVERIFY(!a.lastConnectedAt);
    QVERIFY(a.createdAt >= before && a.createdAt <= after);
}

void ServerConfigTest::baseURL_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<qint64>("port");
    QTest::addColumn<bool>("https");
    QTest::addColumn<QString>("url");
    QTest::newRow("name") << "example.com" << qint64(8080) << false << "http://example.com:8080";
    QTest::newRow("https default port still written")
        << "example.com" << qint64(443) << true << "https://example.com:443";
    QTest::newRow("IPv4") << "192.168.1.10" << qint64(80) << false << "http://192.168.1.10:80";
    QTest::newRow("port 0") << "h" << qint64(0) << false << "http://h:0";
    QTest::newRow("negative port") << "h" << qint64(-5) << false << "http://h:-5";
    QTest::newRow("host kept untrimmed") << " h " << qint64(1) << false << "http:// h :1";
    QTest::newRow("empty host") << "" << qint64(1) << false << "http://:1";
    QTest::newRow("IPv6 loopback") << "::1" << qint64(8080) << false << "http://[::1]:8080";
    QTest::newRow("IPv6 full") << "2001:db8::8a2e:370:7334" << qint64(8080) << true
                               << "https://[2001:db8::8a2e:370:7334]:8080";
    QTest::newRow("IPv6 with zone") << "fe80::1%eth0" << qint64(8080) << false
                                    << "http://[fe80::1%25eth0]:8080";
    QTest::newRow("IPv4-mapped IPv6")
        << "::ffff:192.168.1.10" << qint64(8080) << false << "http://[::ffff:192.168.1.10]:8080";
    QTest::newRow("already bracketed") << "[::1]" << qint64(8080) << false << "http://[::1]:8080";
    QTest::newRow("colon but not an address")
        << "host:9090" << qint64(8080) << false << "http://host:9090:8080";
    QTest::newRow("scheme typed into host") << "http://x" << qint64(1) << false << "http://http://x:1";
}

void ServerConfigTest::baseURL()
{
    QFETCH(QString, host);
    QFETCH(qint64, port);
    QFETCH(bool, https);
    QFETCH(QString, url);
    QCOMPARE(profile(host, port, https).baseURL(), url);
}

void ServerConfigTest::bracketedIPv6IsUsable()
{
    for (const QString &host : {QStringLiteral("::1"), QStringLiteral("fe80::1%eth0")}) {
        const QUrl url(profile(host).baseURL() + QStringLiteral("/api/v2/app/version"), QUrl::StrictMode);
        QVERIFY2(url.isValid(), qPrintable(url.errorString()));
        QCOMPARE(url.host(), host);
        QCOMPARE(url.port(), 8080);
    }
}

void ServerConfigTest::switchingHTTPSChangesOnlyTheScheme()
{
    ServerConfig config = profile(QStringLiteral("::1"), 9443);
    const QString plain = config.baseURL();
    config.useHTTPS = true;
    QCOMPARE(config.baseURL(), QStringLiteral("https") + plain.mid(4));
}

void ServerConfigTest::accountName()
{
    ServerConfig config = profile(QStringLiteral("h"));
    config.id = QUuid(QStringLiteral("{6ba7b810-9dad-11d1-80b4-00c04fd430c8}"));
    QCOMPARE(config.accountName(), QStringLiteral("6BA7B810-9DAD-11D1-80B4-00C04FD430C8"));
}

void ServerConfigTest::jsonRoundTrip()
{
    ServerConfig config = profile(QStringLiteral("fe80::1%eth0"), 9007199254740993LL, true);
    config.isActive = true;
    config.lastConnectedAt = QDateTime::fromMSecsSinceEpoch(1796557629123, Qt::UTC);
    const QByteArray bytes = config.toJson();
    QVERIFY(bytes.contains("\"id\":\"" + config.accountName().toUtf8() + '"'));
    QVERIFY(bytes.contains("\"port\":9007199254740993"));
    QVERIFY(bytes.contains("\"lastConnectedAt\":1796557629.123"));
    QCOMPARE(ServerConfig::fromJson(bytes), config);
}

void ServerConfigTest::jsonWithoutLastConnected()
{
    const ServerConfig config = profile(QStringLiteral("nas"));
    const QByteArray bytes = config.toJson();
    QVERIFY(!bytes.contains("lastConnectedAt"));
    const ServerConfig back = ServerConfig::fromJson(bytes);
    QVERIFY(!back.lastConnectedAt);
    QCOMPARE(back, config);
}

void ServerConfigTest::jsonFromHandwrittenText()
{
    const ServerConfig config = ServerConfig::fromJson(
        R"({"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8","name":"n","host":"h","port":8080,"username":"u",
            "useHTTPS":false,"isActive":true,"createdAt":1700000000.5,"lastConnectedAt":null,"password":"x"})");
    QCOMPARE(config.accountName(), QStringLiteral("6BA7B810-9DAD-11D1-80B4-00C04FD430C8"));
    QCOMPARE(config.createdAt.toMSecsSinceEpoch(), 1700000000500);
    QVERIFY(!config.lastConnectedAt);
    QVERIFY(config.isActive);
    // Whole seconds are a number like any other.
    QCOMPARE(
        ServerConfig::fromJson(R"({"id":"00000000-0000-0000-0000-000000000000","name":"","host":"","port":0,
            "username":"","useHTTPS":true,"isActive":false,"createdAt":0})")
            .createdAt,
        QDateTime::fromMSecsSinceEpoch(0, Qt::UTC));
}

void ServerConfigTest::jsonNeedsEveryKeyButLastConnected_data()
{
    QTest::addColumn<QString>("key");
    for (const char *key : {"id", "name", "host", "port", "username", "useHTTPS", "isActive", "createdAt"})
        QTest::newRow(key) << QString::fromLatin1(key);
}

void ServerConfigTest::jsonNeedsEveryKeyButLastConnected()
{
    QFETCH(QString, key);
    QByteArray bytes = profile(QStringLiteral("h")).toJson();
    bytes.replace('"' + key.toUtf8() + "\":", "\"unused\":");
    const auto error = decodingFailure([&] { return ServerConfig::fromJson(bytes); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::KeyNotFound);
    QCOMPARE(error->key(), key);
}

void ServerConfigTest::jsonRejectsBadValues()
{
    const QByteArray good = profile(QStringLiteral("h")).toJson();
    const auto replaced = [&](const QByteArray &key, const QByteArray &value) {
        QByteArray bytes = good;
        const qsizetype start = bytes.indexOf('"' + key + "\":") + key.size() + 3;
        qsizetype end = bytes.indexOf(',', start);
        if (end < 0)
            end = bytes.indexOf('}', start);
        bytes.replace(start, end - start, value);
        return decodingFailure([&] { return ServerConfig::fromJson(bytes); });
    };

    const auto badId = replaced("id", "\"not-a-uuid\"");
    QVERIFY(badId);
    QCOMPARE(badId->kind(), Kind::DataCorrupted);
    QCOMPARE(badId->codingPath(), QStringList{QStringLiteral("id")});

    const auto numericId = replaced("id", "5");
    QVERIFY(numericId);
    QCOMPARE(numericId->kind(), Kind::TypeMismatch);

    const auto fractionalPort = replaced("port", "80.5");
    QVERIFY(fractionalPort);
    QCOMPARE(fractionalPort->expectedType(), QStringLiteral("Int64"));

    const auto textDate = replaced("createdAt", "\"2024-01-01\"");
    QVERIFY(textDate);
    QCOMPARE(textDate->kind(), Kind::TypeMismatch);
    QCOMPARE(textDate->codingPath(), QStringList{QStringLiteral("createdAt")});

    const auto hugeDate = replaced("createdAt", "1e300");
    QVERIFY(hugeDate);
    QCOMPARE(hugeDate->kind(), Kind::DataCorrupted);

    const auto stringBool = replaced("useHTTPS", "\"true\"");
    QVERIFY(stringBool);
    QCOMPARE(stringBool->expectedType(), QStringLiteral("Bool"));
}

QTEST_GUILESS_MAIN(ServerConfigTest)
#include "tst_ServerConfig.moc"
