// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ProfileRows.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace profilerows {

namespace {

QVariant textOrNull(const QString &text)
{
    return text.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

// A stored number outside the enumeration (a hand edit) reads as its first value.
template <typename E> E enumFrom(const QVariant &value, E last)
{
    const int number = value.toInt();
    return number >= 0 && number <= int(last) ? E(number) : E{};
}

} // namespace

const QStringList settingColumns = {
    QStringLiteral("name"),
    QStringLiteral("host"),
    QStringLiteral("port"),
    QStringLiteral("username"),
    QStringLiteral("useHTTPS"),
    QStringLiteral("pathPrefix"),
    QStringLiteral("certificateTrust"),
    QStringLiteral("caCertificate"),
    QStringLiteral("pinnedCertificate"),
    QStringLiteral("pinnedFingerprint"),
    QStringLiteral("proxyAuthentication"),
    QStringLiteral("proxyUsername"),
    QStringLiteral("proxyHeaderNames"),
    QStringLiteral("useApiKey"),
};

QStringList headerNamesFrom(const QVariant &value)
{
    QStringList names;
    const QJsonArray array = QJsonDocument::fromJson(value.toString().toUtf8()).array();
    for (const QJsonValue &name : array)
        names.append(name.toString());
    return names;
}

QVariantList settingValues(const ServerConfig &server)
{
    const QByteArray headerNames =
        QJsonDocument(QJsonArray::fromStringList(server.proxyHeaderNames)).toJson(QJsonDocument::Compact);
    return {textOrNull(server.name),
            textOrNull(server.host),
            qlonglong(server.port),
            textOrNull(server.username),
            server.useHTTPS,
            ServerConfig::normalizedPathPrefix(server.pathPrefix),
            int(server.certificateTrust),
            server.caCertificate,
            server.pinnedCertificate,
            textOrNull(server.pinnedFingerprint),
            int(server.proxyAuthentication),
            textOrNull(server.proxyUsername),
            QString::fromUtf8(headerNames),
            server.useApiKey};
}

void readSettings(ServerConfig &server, const QSqlQuery &query, int first)
{
    const auto value = [&](int column) { return query.value(first + column); };
    server.name = value(0).toString();
    server.host = value(1).toString();
    server.port = value(2).toLongLong();
    server.username = value(3).toString();
    server.useHTTPS = value(4).toBool();
    server.pathPrefix = ServerConfig::normalizedPathPrefix(value(5).toString());
    server.certificateTrust = enumFrom(value(6), CertificateTrust::pinned);
    server.caCertificate = value(7).toByteArray();
    server.pinnedCertificate = value(8).toByteArray();
    server.pinnedFingerprint = value(9).toString();
    server.proxyAuthentication = enumFrom(value(10), ProxyAuthentication::headers);
    server.proxyUsername = value(11).toString();
    server.proxyHeaderNames = headerNamesFrom(value(12));
    server.useApiKey = value(13).toBool();
}

} // namespace profilerows
