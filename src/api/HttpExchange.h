// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <functional>
#include <utility>

class QNetworkReply;
struct ServerConfig;
struct ServerSecrets;

// Bounds of one request: no data for `idleTimeoutMs`, or the whole exchange longer than
// `totalTimeoutMs`, ends it as a time-out; an answer above `maxResponseBytes` is given up.
struct HttpLimits
{
    int idleTimeoutMs = 30'000;
    int totalTimeoutMs = 60'000;
    qint64 maxResponseBytes = 512LL * 1024 * 1024;
    // The body as it came, gzip included (asked for with Accept-Encoding), for the caller to
    // inflate away from the UI thread; the bound then holds for the compressed bytes.
    bool keepCompressed = false;
    // Told the bytes of the body received so far, and the announced total (-1 when unknown).
    using Progress = std::function<void(qint64 received, qint64 total)>;
    Progress progress;
};

// What every request to one server carries, made from its profile and secrets when logging
// in. Holds secrets: it lives in memory only and is never written or logged.
struct ConnectionSettings
{
    QSslConfiguration tls;
    // Headers a reverse proxy in front of the server asks for (Basic or the profile's own):
    // every request carries them, the unauthenticated probe too.
    QList<std::pair<QByteArray, QByteArray>> proxyHeaders;
    // "Bearer <key>" for a profile with an API key; empty otherwise.
    QByteArray apiKeyAuthorization;
    QSslCertificate pinnedCertificate; // null unless the profile pins one
    QString pinnedFingerprint;
    QString address; // "host:port", as certificate errors name it

    static ConnectionSettings forProfile(const ServerConfig &server, const ServerSecrets &secrets);
    bool usesApiKey() const { return !apiKeyAuthorization.isEmpty(); }
};

struct HttpAnswer
{
    int statusCode = 0;
    QByteArray body;
    QByteArray contentType;
    QByteArray wwwAuthenticate;

    bool isSuccess() const { return statusCode >= 200 && statusCode <= 299; }
    // A web page (a single sign-on form, a proxy's error page) where the Web API answers JSON
    // or plain text.
    bool isWebPage() const;
    // A challenge for HTTP Basic credentials: the server never asks for them, a proxy does.
    bool asksForBasic() const;
};

// Throws for the answers of something between the client and the server (a reverse proxy, a
// single sign-on gate), whatever was asked: 407 or 401 asking for Basic, 502 to 504, a web
// page. No answer of qBittorrent itself looks like these.
void checkIntermediary(const HttpAnswer &answer);

// A request for `url` with the idle time-out, the profile's TLS settings and headers and, for
// a POST, its content type. Qt adds its usual headers, never Origin or Referer. An `anonymous`
// request carries only the proxy headers: no API key and no cookie. With an API key no
// request loads or keeps cookies.
QNetworkRequest makeRequest(const QUrl &url, const HttpLimits &limits, const ConnectionSettings &settings,
                            const QByteArray &contentType = {}, bool anonymous = false);

// Waits for the reply and reads its answer, whatever the status. Takes ownership of the reply.
// Accepts the certificate errors that the settings' pin allows and no others. Throws
// CertificateError when the handshake failed for the server's certificate, TransportError when
// no HTTP answer arrived otherwise (time-outs as QNetworkReply::TimeoutError),
// NetworkError::invalidResponse when the answer carries no HTTP status, and
// NetworkError::responseTooLarge when the body outgrows the bound.
QCoro::Task<HttpAnswer> receiveAnswer(QNetworkReply *reply, HttpLimits limits, ConnectionSettings settings);

// The errors of a handshake that a pin of `pinned` accepts: empty unless the server presented
// exactly that certificate and every error is one a pin may overlook, about that certificate
// or one of the chain it presented.
QList<QSslError> errorsAcceptedByPin(const QList<QSslError> &errors, const QSslCertificate &presented,
                                     const QList<QSslCertificate> &chain, const QSslCertificate &pinned);
