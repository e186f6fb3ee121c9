#include "DecodingFailure.h"

#include "model/ServerConfig.h"

#include <QUrl>

namespace {

ServerConfig profile(const QString &host, qint64 port = 8080, bool https = false)
{
    return ServerConfig::create(QStringLiteral("家里"), host, port, QStringLiteral("admin"), https);
}

// A profile with fixed identity and dates, for exact JSON texts.
ServerConfig fixedProfile()
{
    ServerConfig config = profile(u"fe80::1%eth0"_qs, 9007199254740993LL, true);
    config.id = QUuid(QStringLiteral("{6ba7b810-9dad-11d1-80b4-00c04fd430c8}"));
    config.createdAt = QDateTime::fromMSecsSinceEpoch(1700000000500, Qt::UTC);
    return config;
}

} // namespace

class ServerConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void createGivesFreshInactiveProfile();
    void baseURLs();
    void json();
};

void ServerConfigTest::createGivesFreshInactiveProfile()
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const ServerConfig a = profile(u"nas.local"_qs, 8080, true);
    const QDateTime after = QDateTime::currentDateTimeUtc();
    QVERIFY(!a.id.isNull() && a.id != profile(u"nas.local"_qs).id);
    QCOMPARE(a.name, QStringLiteral("家里"));
    QCOMPARE(a.username, QStringLiteral("admin"));
    QVERIFY(a.useHTTPS && !a.isActive && !a.lastConnectedAt);
    QVERIFY(a.createdAt >= before && a.createdAt <= after);
}

// Scheme, host as typed (an IPv6 literal bracketed, its zone written "%25"), port.
void ServerConfigTest::baseURLs()
{
    SnapshotLog log;
    const auto url = [&log](const QString &host, qint64 port, bool https) {
        log.add(u'"' + host + u"\" "_qs + QString::number(port) + (https ? u" https"_qs : QString()),
                profile(host, port, https).baseURL());
    };
    url(u"example.com"_qs, 8080, false);
    url(u"example.com"_qs, 443, true);
    url(u"192.168.1.10"_qs, 80, false);
    url(u"h"_qs, -5, false);
    url(u" h "_qs, 1, false);
    url(QString(), 1, false);
    url(u"::1"_qs, 8080, false);
    url(u"2001:db8::8a2e:370:7334"_qs, 8080, true);
    url(u"fe80::1%eth0"_qs, 8080, false);
    url(u"::ffff:192.168.1.10"_qs, 8080, false);
    url(u"[::1]"_qs, 8080, false);
    url(u"host:9090"_qs, 8080, false);
    url(u"http://x"_qs, 1, false);
    log.compare(u"base-urls.snap"_qs);
    // Usable by a strict parser.
    for (const QString &host : {QStringLiteral("::1"), QStringLiteral("fe80::1%eth0")}) {
        const QUrl parsed(profile(host).baseURL() + QStringLiteral("/api/v2/app/version"), QUrl::StrictMode);
        QVERIFY2(parsed.isValid(), qPrintable(parsed.errorString()));
        QCOMPARE(parsed.host(), host);
        QCOMPARE(parsed.port(), 8080);
    }
}

void ServerConfigTest::json()
{
    ServerConfig config = fixedProfile();
    QCOMPARE(config.accountName(), QStringLiteral("6BA7B810-9DAD-11D1-80B4-00C04FD430C8"));
    const QByteArray bytes = config.toJson();
    QCOMPARE(ServerConfig::fromJson(bytes), config);
    config.isActive = true;
    config.lastConnectedAt = QDateTime::fromMSecsSinceEpoch(1796557629123, Qt::UTC);
    QCOMPARE(ServerConfig::fromJson(config.toJson()), config);

    // The encoded forms, then each key missing or holding a bad value.
    SnapshotLog log;
    log.add(u"without last connection"_qs, QString::fromUtf8(bytes));
    log.add(u"with last connection"_qs, QString::fromUtf8(config.toJson()));
    const QByteArray handwritten =
        R"({"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8","name":"n","host":"h",)"
        R"("port":8080,"username":"u","useHTTPS":false,"isActive":true,"createdAt":0,)"
        R"("lastConnectedAt":null,"password":"x"})";
    log.add(u"handwritten"_qs, QString::fromUtf8(ServerConfig::fromJson(handwritten).toJson()));
    for (const char *key : {"id", "name", "host", "port", "username", "useHTTPS", "isActive", "createdAt"})
        log.failure(QString::fromLatin1(key), [&] {
            return ServerConfig::fromJson(QByteArray(bytes).replace('"' + QByteArray(key) + '"', "\"x\""));
        });
    const QList<std::pair<const char *, const char *>> badValues{
        {"id", "\"not-a-uuid\""}, {"id", "5"},
        {"port", "80.5"},         {"createdAt", "\"2024\""},
        {"createdAt", "1e300"},   {"useHTTPS", "\"true\""}};
    for (const auto &[key, value] : badValues) {
        QByteArray bad = bytes;
        const qsizetype start = bad.indexOf('"' + QByteArray(key) + "\":") + qsizetype(strlen(key)) + 3;
        bad.replace(start, bad.indexOf(",\"", start) - start, value);
        log.failure(QString::fromLatin1(key) + u" = "_qs + QString::fromLatin1(value),
                    [&] { return ServerConfig::fromJson(bad); });
    }
    log.compare(u"server-config.snap"_qs);
}

QTEST_GUILESS_MAIN(ServerConfigTest)
#include "tst_ServerConfig.moc"
