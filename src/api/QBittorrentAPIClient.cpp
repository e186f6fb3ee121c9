#include "QBittorrentAPIClient.h"

#include "APIVersionManager.h"
#include "NetworkError.h"
#include "SessionCookieJar.h"
#include "model/Log.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>

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

void QBittorrentAPIClient::clearCookies()
{
    m_cookieJar->clear();
}

HttpLimits QBittorrentAPIClient::limits() const
{
    return HttpLimits{m_timeouts.idleMs, m_timeouts.totalMs, m_responseSizeLimit};
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

QNetworkReply *QBittorrentAPIClient::start(QNetworkAccessManager &manager, Method method, const QUrl &url,
                                           const QByteArray &contentType, const QByteArray &body,
                                           const HttpLimits &limits)
{
    if (method == Method::get)
        return manager.get(makeRequest(url, limits));
    return manager.post(makeRequest(url, limits, contentType), body);
}

QCoro::Task<QByteArray> QBittorrentAPIClient::fetch(APIEndpoint endpoint, ServerConfig server,
                                                    bool allowReauth)
{
    co_return co_await send(std::move(endpoint), std::move(server), Method::get, {}, {}, allowReauth);
}

QCoro::Task<QByteArray> QBittorrentAPIClient::send(APIEndpoint endpoint, ServerConfig server, Method method,
                                                   QByteArray contentType, QByteArray body, bool allowReauth)
{
    const QUrl url = buildURL(endpoint, server);
    const HttpLimits requestLimits = limits();
    const HttpAnswer answer = co_await receiveAnswer(
        start(*m_network, method, url, contentType, body, requestLimits), requestLimits);

    const int status = answer.statusCode;
    if (status >= 200 && status <= 299)
        co_return answer.body;
    if (status == 401 || status == 403) {
        if (!allowReauth)
            throw NetworkError::unauthorized();
        // Whatever goes wrong from here on, the caller learns only that the session is gone.
        bool loggedIn = false;
        try {
            co_await reauthenticate();
            loggedIn = true;
        } catch (...) {
        }
        if (!loggedIn)
            throw NetworkError::unauthorized();
        std::optional<QByteArray> repeated;
        try {
            repeated = co_await send(endpoint, server, method, contentType, body, false);
        } catch (...) {
        }
        if (!repeated)
            throw NetworkError::unauthorized();
        co_return *repeated;
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

QCoro::Task<void> QBittorrentAPIClient::postMultipart(QByteArray contentType, QByteArray body)
{
    const ServerConfig server = requireServer();
    const QUrl url = buildURL(APIEndpoint::add(), server);
    const HttpLimits requestLimits = limits();
    const HttpAnswer answer = co_await receiveAnswer(
        start(*m_network, Method::post, url, contentType, body, requestLimits), requestLimits);
    if (answer.statusCode < 200 || answer.statusCode > 299)
        throw NetworkError::serverError(answer.statusCode);
    // Servers before 5.x answer an add that added nothing (a bad link, a file that is not a
    // torrent, a torrent already there) with 200 and "Fails."; that is not a success.
    if (answer.body.trimmed() == "Fails.")
        throw NetworkError::torrentRejected();
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
    logLine(QStringLiteral("🔄 检测到会话过期，正在重新登录..."));
    clearCookies();
    co_await loginWith(server, *password, false);
    logLine(QStringLiteral("✅ 重新登录成功"));
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
