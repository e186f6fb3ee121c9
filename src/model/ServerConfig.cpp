#include "ServerConfig.h"

#include "JsonRecords.h"

#include <QHostAddress>

#include <cmath>

namespace json {

// Canonical upper-case text without braces, like the account names in the credential store.
template <> struct Codec<QUuid>
{
    static QString name() { return QStringLiteral("UUID"); }
    static QUuid decode(Element value, const Path &path)
    {
        const QString text = toString(value, path);
        const QUuid id = QUuid::fromString(text);
        // fromString gives the null UUID for text it cannot read; only the all-zero text may.
        if (id.isNull() && text != QUuid().toString(QUuid::WithoutBraces))
            throwDataCorrupted(path, QStringLiteral("无效的 UUID 字符串"));
        return id;
    }
    static QJsonValue encode(const QUuid &id) { return id.toString(QUuid::WithoutBraces).toUpper(); }
};

// Seconds since 1970 as a (fractional) number, kept to the millisecond.
template <> struct Codec<QDateTime>
{
    static QString name() { return QStringLiteral("Date"); }
    static QDateTime decode(Element value, const Path &path)
    {
        const double seconds = toDouble(value, path);
        // Beyond about 292 million years the milliseconds no longer fit in an int64.
        if (!(std::fabs(seconds) < 9.2e15))
            throwDataCorrupted(path, QStringLiteral("日期超出范围"));
        return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)), Qt::UTC);
    }
    static QJsonValue encode(const QDateTime &date)
    {
        if (!date.isValid())
            return QJsonValue::Null;
        return double(date.toMSecsSinceEpoch()) / 1000.0;
    }
};

} // namespace json

using json::field;

const json::Fields<ServerConfig> &jsonFields(const ServerConfig *)
{
    static const json::Fields<ServerConfig> fields(
        "ServerConfig", {
                            field<&ServerConfig::id>("id"),
                            field<&ServerConfig::name>("name"),
                            field<&ServerConfig::host>("host"),
                            field<&ServerConfig::port>("port"),
                            field<&ServerConfig::username>("username"),
                            field<&ServerConfig::useHTTPS>("useHTTPS"),
                            field<&ServerConfig::isActive>("isActive"),
                            field<&ServerConfig::createdAt>("createdAt"),
                            field<&ServerConfig::lastConnectedAt>("lastConnectedAt"),
                        });
    return fields;
}

ServerConfig ServerConfig::create(QString name, QString host, qint64 port, QString username, bool useHTTPS)
{
    ServerConfig config;
    config.id = QUuid::createUuid();
    config.name = std::move(name);
    config.host = std::move(host);
    config.port = port;
    config.username = std::move(username);
    config.useHTTPS = useHTTPS;
    config.isActive = false;
    config.createdAt = QDateTime::currentDateTimeUtc();
    return config;
}

QString ServerConfig::baseURL() const
{
    const QString scheme = useHTTPS ? QStringLiteral("https") : QStringLiteral("http");
    // An IPv6 literal needs brackets in an address, or its colons read as the port separator;
    // inside the brackets the zone delimiter of a link-local address is written "%25"
    // (RFC 6874), which strict URL parsers require.
    QString hostPart = host;
    if (host.contains(QLatin1Char(':'))) {
        QHostAddress address;
        if (address.setAddress(host) && address.protocol() == QAbstractSocket::IPv6Protocol) {
            QString literal = host;
            literal.replace(QLatin1Char('%'), QStringLiteral("%25"));
            hostPart = QLatin1Char('[') + literal + QLatin1Char(']');
        }
    }
    return scheme + QStringLiteral("://") + hostPart + QLatin1Char(':') + QString::number(port);
}

QString ServerConfig::accountName() const
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

ServerConfig ServerConfig::fromJson(QByteArrayView json)
{
    return json::decodeDocument<ServerConfig>(json);
}

QByteArray ServerConfig::toJson() const
{
    return json::encodeDocument(*this);
}
