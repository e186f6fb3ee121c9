// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ServerConfig.h"

#include "JsonRecords.h"

#include <QHostAddress>
#include <QUrl>

#include <array>
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

// Binary data (a certificate file) as base64 text.
template <> struct Codec<QByteArray>
{
    static QString name() { return QStringLiteral("Data"); }
    static QByteArray decode(Element value, const Path &path)
    {
        auto decoded = QByteArray::fromBase64Encoding(toString(value, path).toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            throwDataCorrupted(path, QStringLiteral("无效的 base64 数据"));
        return std::move(*decoded);
    }
    static QJsonValue encode(const QByteArray &data) { return QString::fromLatin1(data.toBase64()); }
};

// An enumeration as the name of its value.
template <typename E> struct EnumNames;
template <> struct EnumNames<CertificateTrust>
{
    static constexpr const char *type = "CertificateTrust";
    static constexpr std::array names = {"system", "customCA", "pinned"};
};
template <> struct EnumNames<ProxyAuthentication>
{
    static constexpr const char *type = "ProxyAuthentication";
    static constexpr std::array names = {"none", "basic", "headers"};
};

template <typename E>
requires requires
{
    EnumNames<E>::names;
}
struct Codec<E>
{
    static QString name() { return QString::fromLatin1(EnumNames<E>::type); }
    static E decode(Element value, const Path &path)
    {
        const QString text = toString(value, path);
        for (size_t i = 0; i < EnumNames<E>::names.size(); ++i) {
            if (text == QLatin1String(EnumNames<E>::names[i]))
                return E(i);
        }
        throwDataCorrupted(path, QStringLiteral("未知的取值"));
    }
    // A value outside the enumeration (cast from a number) is written as that number.
    static QJsonValue encode(E value)
    {
        const auto index = size_t(value);
        return index < EnumNames<E>::names.size() ? QJsonValue(QLatin1String(EnumNames<E>::names[index]))
                                                  : QJsonValue(int(value));
    }
};

// For fields added after the first release: JSON written before them decodes, the field keeping
// its default when its key is missing or null.
struct Later : Strict
{
    template <typename T> static void read(T &out, const Element *value, const Path &path)
    {
        if (value && !isNull(*value))
            out = Codec<T>::decode(*value, path);
    }
};

} // namespace json

using json::field;
using json::Later;

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
                            field<&ServerConfig::pathPrefix, Later>("pathPrefix"),
                            field<&ServerConfig::certificateTrust, Later>("certificateTrust"),
                            field<&ServerConfig::caCertificate, Later>("caCertificate"),
                            field<&ServerConfig::pinnedCertificate, Later>("pinnedCertificate"),
                            field<&ServerConfig::pinnedFingerprint, Later>("pinnedFingerprint"),
                            field<&ServerConfig::proxyAuthentication, Later>("proxyAuthentication"),
                            field<&ServerConfig::proxyUsername, Later>("proxyUsername"),
                            field<&ServerConfig::proxyHeaderNames, Later>("proxyHeaderNames"),
                            field<&ServerConfig::useApiKey, Later>("useApiKey"),
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
    // The prefix is a path, whatever it holds: each segment is percent-encoded, so that "?",
    // "#" or a space in it can never start a query or a fragment.
    QByteArray prefix;
    for (const QString &segment : normalizedPathPrefix(pathPrefix).split(u'/', Qt::SkipEmptyParts))
        prefix += '/' + QUrl::toPercentEncoding(segment);
    return scheme + QStringLiteral("://") + hostPart + QLatin1Char(':') + QString::number(port) +
           QString::fromLatin1(prefix);
}

QString ServerConfig::secretAccount(Secret secret, int index) const
{
    switch (secret) {
    case Secret::proxyPassword:
        return accountName() + QStringLiteral("/proxy-password");
    case Secret::headerValue:
        return accountName() + QStringLiteral("/header-") + QString::number(index);
    case Secret::apiKey:
        return accountName() + QStringLiteral("/api-key");
    }
    return accountName();
}

QString ServerConfig::normalizedPathPrefix(const QString &text)
{
    const QStringList segments = text.trimmed().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return segments.isEmpty() ? QString() : QLatin1Char('/') + segments.join(QLatin1Char('/'));
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
