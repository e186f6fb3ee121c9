// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// How a profile decides whether the server's TLS certificate is trusted.
enum class CertificateTrust {
    system = 0,   // the system's trust store
    customCA = 1, // the system's store plus the CA certificate saved with the profile
    pinned = 2,   // exactly the one certificate the user approved, whoever issued it
};

// What a reverse proxy in front of the server asks of each request.
enum class ProxyAuthentication {
    none = 0,
    basic = 1,   // HTTP Basic with proxyUsername and the proxy password
    headers = 2, // the request headers proxyHeaderNames with their secret values
};

// The secrets of a profile, read from the credential store when connecting and held in memory
// only. headerValues run parallel to ServerConfig::proxyHeaderNames.
struct ServerSecrets
{
    QString password;
    QString proxyPassword;
    QStringList headerValues;
    QString apiKey;

    bool operator==(const ServerSecrets &) const = default;
};

// One saved qBittorrent server. No secret is ever part of the record: the password, the proxy
// password, the header values and the API key live in the credential store under accounts
// derived from the id (`accountName()`, `secretAccount()`).
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

    // "" or "/segment[/segment...]": every endpoint path is appended to it (a server published
    // under a path of a reverse proxy). Always kept normalised, see normalizedPathPrefix.
    QString pathPrefix;
    CertificateTrust certificateTrust = CertificateTrust::system;
    // The CA certificate file's bytes as chosen (PEM or DER), used when trust is customCA.
    QByteArray caCertificate;
    // The approved server certificate (DER) and its SHA-256 fingerprint (colon-separated
    // upper-case hex), used when trust is pinned.
    QByteArray pinnedCertificate;
    QString pinnedFingerprint;
    ProxyAuthentication proxyAuthentication = ProxyAuthentication::none;
    QString proxyUsername;
    QStringList proxyHeaderNames;
    // Requests carry "Authorization: Bearer <key>" instead of a form login and a cookie.
    bool useApiKey = false;

    // A new profile from the add-server form: fresh id, inactive, created now.
    static ServerConfig create(QString name, QString host, qint64 port, QString username, bool useHTTPS);

    // Scheme, "://", host as typed, ":", port, then the path prefix (normalised, each segment
    // percent-encoded). An IPv6 literal host is bracketed so that the address is usable; every
    // other host stays exactly as typed.
    QString baseURL() const;
    // Canonical upper-case UUID text: the credential-store account of this profile's password.
    QString accountName() const;

    enum class Secret { proxyPassword, headerValue, apiKey };
    // The credential-store account of one of the other secrets: accountName() plus
    // "/proxy-password", "/header-<index>" or "/api-key".
    QString secretAccount(Secret secret, int index = 0) const;

    // "qbt/" -> "/qbt", "//a//b/" -> "/a/b", "/" and blanks -> "": one leading "/", no trailing
    // "/", no empty segments, surrounding white space dropped.
    static QString normalizedPathPrefix(const QString &text);

    // JSON form with the field names as keys; dates as seconds since 1970 (fractional).
    static ServerConfig fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;

    bool operator==(const ServerConfig &) const = default;
};
