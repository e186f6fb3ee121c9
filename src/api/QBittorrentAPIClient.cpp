// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QBittorrentAPIClient.h"

#include "APIVersionManager.h"
#include "Attempt.h"
#include "CertificateError.h"
#include "Logging.h"
#include "NetworkError.h"
#include "SessionCookieJar.h"
#include "TransportError.h"
#include "model/DecodingError.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>

#include <algorithm>

namespace {

// Servers before 5.x answer an add that added nothing (a bad link, a file that is not a
// torrent, a torrent already there) with 200 and "Fails."; from 5.x on the answer counts.
void checkAddAnswer(const HttpAnswer &answer)
{
    if (answer.statusCode == 409)
        throw NetworkError::torrentRejected();
    if (!answer.isSuccess())
        throw NetworkError::serverError(answer.statusCode);
    const QByteArray body = answer.body.trimmed();
    if (body == "Fails.")
        throw NetworkError::torrentRejected();
    if (!body.startsWith('{'))
        return;
    const QJsonObject counts = QJsonDocument::fromJson(body).object();
    const double accepted = counts.value(QLatin1String("success_count")).toDouble() +
                            counts.value(QLatin1String("pending_count")).toDouble();
    if (counts.contains(QLatin1String("success_count")) && accepted <= 0)
        throw NetworkError::torrentRejected();
}

} // namespace

QBittorrentAPIClient &QBittorrentAPIClient::shared()
{
    // Never destroyed: it must outlive every operation, including those still in flight at exit.
    static auto *instance = new QBittorrentAPIClient();
    return *instance;
}

QBittorrentAPIClient::QBittorrentAPIClient(QObject *parent)
    : QBittorrentAPIClient(APIVersionManager::shared(), parent)
{}

QBittorrentAPIClient::QBittorrentAPIClient(APIVersionManager &versionManager, QObject *parent)
    : QObject(parent), m_versionManager(versionManager), m_network(new QNetworkAccessManager(this)),
      m_cookieJar(new SessionCookieJar)
{
    m_network->setCookieJar(m_cookieJar); // the manager owns the jar
}

QBittorrentAPIClient::~QBittorrentAPIClient() = default;

void QBittorrentAPIClient::dropConnections()
{
    m_network->clearConnectionCache();
}

void QBittorrentAPIClient::forgetServer(const QUuid &id)
{
    if (!m_currentServer || m_currentServer->id != id)
        return;
    m_settings = ConnectionSettings();
    m_credentialFailure.reset();
    clearCookies();
    setAuthenticated(false);
    setCurrentServer(std::nullopt);
    setServerVersion(std::nullopt);
}

void QBittorrentAPIClient::raise(const ErrorPtr &error)
{
    if (const auto *network = dynamic_cast<const NetworkError *>(error.get()))
        throw *network;
    if (const auto *certificate = dynamic_cast<const CertificateError *>(error.get()))
        throw *certificate;
    if (const auto *transport = dynamic_cast<const TransportError *>(error.get()))
        throw *transport;
    if (const auto *decoding = dynamic_cast<const DecodingError *>(error.get()))
        throw *decoding;
    throw UnexpectedError(error ? error->localizedDescription() : QString());
}

void QBittorrentAPIClient::clearCookies()
{
    m_cookieJar->clear();
}

HttpLimits QBittorrentAPIClient::limits() const
{
    HttpLimits bounds;
    bounds.idleTimeoutMs = m_timeouts.idleMs;
    bounds.totalTimeoutMs = m_timeouts.totalMs;
    bounds.maxResponseBytes = m_responseSizeLimit;
    return bounds;
}

ServerConfig QBittorrentAPIClient::requireServer() const
{
    if (!m_currentServer)
        throw NetworkError::unauthorized();
    return *m_currentServer;
}

QUrl QBittorrentAPIClient::buildURL(const APIEndpoint &endpoint, const ServerConfig &server) const
{
    const QString text = server.baseURL() + m_versionManager.currentAdapter().path(endpoint);
    QUrl url(text, QUrl::StrictMode);
    // baseURL always writes a port: an authority without one means the host field held more
    // than a host (a scheme, a path), and the request would go somewhere else. User info
    // ("name@host") is no host either, and would make Qt answer challenges with it.
    if (!url.isValid() || url.host().isEmpty() || url.port() < 0 || !url.userInfo().isEmpty())
        throw NetworkError::invalidURL();

    const auto items = endpoint.queryItems();
    if (!items.isEmpty()) {
        QByteArray query;
        for (const auto &[name, value] : items) {
            if (!query.isEmpty())
                query += '&';
            query += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
        }
        url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    }
    if (!url.isValid())
        throw NetworkError::invalidURL();
    return url;
}

QCoro::Task<HttpAnswer> QBittorrentAPIClient::exchange(QNetworkAccessManager &manager, ServerConfig server,
                                                       ConnectionSettings settings, Method method, QUrl url,
                                                       QByteArray contentType, QByteArray body,
                                                       HttpLimits limits, bool anonymous)
{
    const QNetworkRequest request = makeRequest(url, limits, settings, contentType, anonymous);
    QNetworkReply *reply = method == Method::get ? manager.get(request) : manager.post(request, body);
    Attempted<HttpAnswer> answer = co_await attempt(receiveAnswer(reply, limits, std::move(settings)));
    if (answer.value)
        co_return std::move(*answer.value);
    if (auto refused = std::dynamic_pointer_cast<const CertificateError>(answer.error))
        Q_EMIT certificateRejected(server, std::move(refused));
    raise(answer.error);
}

QCoro::Task<QByteArray> QBittorrentAPIClient::fetch(APIEndpoint endpoint, ServerConfig server,
                                                    bool allowReauth, bool keepCompressed, ByteProgress progress)
{
    co_return co_await send(std::move(endpoint), std::move(server), Method::get, {}, {}, allowReauth,
                            keepCompressed, std::move(progress));
}

QCoro::Task<QByteArray> QBittorrentAPIClient::send(APIEndpoint endpoint, ServerConfig server, Method method,
                                                   QByteArray contentType, QByteArray body, bool allowReauth,
                                                   bool keepCompressed, ByteProgress progress)
{
    const QUrl url = buildURL(endpoint, server);
    HttpLimits bounds = limits();
    bounds.keepCompressed = keepCompressed;
    bounds.progress = progress;
    const HttpAnswer answer =
        co_await exchange(*m_network, server, m_settings, method, url, contentType, body, bounds);
    checkIntermediary(answer);

    const int status = answer.statusCode;
    if (answer.isSuccess())
        co_return answer.body;
    if (status == 401 || status == 403) {
        co_await checkSessionRefusal(server, status);
        if (!allowReauth)
            throw NetworkError::unauthorized();
        // What the re-login found out about the server, a proxy or the certificate is worth
        // telling; anything else tells the caller only that the session is gone.
        const ErrorPtr reloginError = co_await attempt(reauthenticate());
        if (reloginError) {
            using K = NetworkError::Kind;
            if (dynamic_cast<const CertificateError *>(reloginError.get()) ||
                NetworkError::isKind(reloginError,
                                     {K::loginBanned, K::requestRejected, K::proxyAuthenticationFailed,
                                      K::proxyUnreachable, K::htmlPage}))
                raise(reloginError);
            throw NetworkError::unauthorized();
        }
        const Attempted<QByteArray> repeated =
            co_await attempt(send(endpoint, server, method, contentType, body, false, keepCompressed, progress));
        if (!repeated.value)
            throw NetworkError::unauthorized();
        co_return *repeated.value;
    }
    if (status == 404)
        throw NetworkError::notFound();
    throw NetworkError::serverError(status);
}

QCoro::Task<void> QBittorrentAPIClient::postForm(APIEndpoint endpoint, QByteArray body)
{
    ServerConfig server = requireServer();
    co_await send(std::move(endpoint), std::move(server), Method::post,
                  QByteArrayLiteral("application/x-www-form-urlencoded"), std::move(body), true);
}

// An upload is never repeated: it may have been added before the refusal.
QCoro::Task<void> QBittorrentAPIClient::postMultipart(QByteArray contentType, QByteArray body)
{
    const ServerConfig server = requireServer();
    const QUrl url = buildURL(APIEndpoint::add(), server);
    const HttpAnswer answer =
        co_await exchange(*m_network, server, m_settings, Method::post, url, contentType, body, limits());
    checkIntermediary(answer);
    if (answer.statusCode == 401 || answer.statusCode == 403)
        co_await checkSessionRefusal(server, answer.statusCode);
    checkAddAnswer(answer);
}

QCoro::Task<void> QBittorrentAPIClient::reauthenticate()
{
    const ServerConfig server = requireServer();
    // A copy: the provider may be replaced while this re-login waits for it. One that fails
    // knows no password either.
    const PasswordProvider provider = m_passwordProvider;
    std::optional<QString> password;
    try {
        if (provider)
            password = co_await provider(server.accountName());
    } catch (...) {
    }
    if (!password) {
        setAuthenticated(false);
        setCurrentServer(std::nullopt);
        throw NetworkError::unauthorized();
    }
    logLine(lcApi(), QStringLiteral("🔄 检测到会话过期，正在重新登录..."));
    clearCookies();
    co_await loginWith(server, m_settings, *password, false);
    logLine(lcApi(), QStringLiteral("✅ 重新登录成功"));
}

void QBittorrentAPIClient::setAuthenticated(bool value)
{
    if (m_isAuthenticated == value)
        return;
    m_isAuthenticated = value;
    Q_EMIT isAuthenticatedChanged();
}

void QBittorrentAPIClient::setCurrentServer(std::optional<ServerConfig> server)
{
    if (m_currentServer == server)
        return;
    m_currentServer = std::move(server);
    Q_EMIT currentServerChanged();
}

void QBittorrentAPIClient::setServerVersion(std::optional<QString> version)
{
    if (m_serverVersion == version)
        return;
    m_serverVersion = std::move(version);
    Q_EMIT serverVersionChanged();
}
