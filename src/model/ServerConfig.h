#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

// One saved qBittorrent server. The password is never part of the record; it lives in the
// credential store under the account `accountName()`.
struct ServerConfig
{
    QUuid id;
    QString name;
    QString host;
    qint64 port = 0;
    QString username;
    bool useHTTPS = false;
    bool isActive = false;
    QDateTime createdAt;
    std::optional<QDateTime> lastConnectedAt;

    // A new profile from the add-server form: fresh id, inactive, created now.
    static ServerConfig create(QString name, QString host, qint64 port, QString username, bool useHTTPS);

    // Scheme, "://", host as typed, ":", port. An IPv6 literal host is bracketed so that the
    // address is usable; every other host stays exactly as typed.
    QString baseURL() const;
    // Canonical upper-case UUID text: the credential-store account of this profile's password.
    QString accountName() const;

    // JSON form with the field names as keys; dates as seconds since 1970 (fractional).
    static ServerConfig fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;

    bool operator==(const ServerConfig &) const = default;
};
