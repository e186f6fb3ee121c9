// Login, connection test and version request of QBittorrentAPIClient.
#include "APIVersionManager.h"
#include "FormEncoding.h"
#include "NetworkError.h"
#include "QBittorrentAPIClient.h"
#include "Utf8.h"
#include "model/Log.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>

namespace {

const QByteArray formContentType = QByteArrayLiteral("application/x-www-form-urlencoded");

// Servers before 5.2 answer a refused login with 200 and "Fails."; from 5.2 on a good login is
// 204 with no body and a bad one 401. Any 2xx counts, the text test only when there is text.
void checkLoginAnswer(const HttpAnswer &answer)
{
    const int status = answer.statusCode;
    if (status == 401 || status == 403)
        throw NetworkError::unauthorized();
    if (status < 200 || status > 299)
        throw NetworkError::serverError(status);
    if (answer.body.isEmpty())
        return;
    const std::optional<QString> text = decodeUtf8Strictly(answer.body);
    if (text && (text->contains(QLatin1String("Fails")) || text->contains(QLatin1String("fail"))))
        throw NetworkError::unauthorized();
}

} // namespace

QCoro::Task<void> QBittorrentAPIClient::login(ServerConfig server, QString password)
{
    co_await loginWith(std::move(server), std::move(password), true);
}

QCoro::Task<void> QBittorrentAPIClient::loginWith(ServerConfig server, QString password,
                                                  bool versionMayReauth)
{
    const QUrl url = buildURL(APIEndpoint::login(), server);
    const HttpLimits requestLimits = limits();
    const QByteArray body = loginBody(server.username, password);
    password.clear();
    const HttpAnswer answer = co_await receiveAnswer(
        start(*m_network, Method::post, url, formContentType, body, requestLimits), requestLimits);
    checkLoginAnswer(answer);

    setAuthenticated(true);
    setCurrentServer(server);

    std::optional<QString> version;
    ErrorPtr versionError;
    try {
        version = co_await requestVersion(versionMayReauth);
    } catch (...) {
        versionError = currentError();
    }
    if (version) {
        setServerVersion(*version);
        m_versionManager.updateVersion(*version);
        logLine(QStringLiteral("✅ qBittorrent 版本: ") + *version);
    } else {
        logLine(QStringLiteral("⚠️ 获取服务器版本失败: ") +
                versionError->localizedDescription());
        m_versionManager.setAdapter(std::make_shared<QBittorrent4Adapter>());
    }
}

QCoro::Task<void> QBittorrentAPIClient::testConnection(ServerConfig server, QString password)
{
    const QUrl url = buildURL(APIEndpoint::login(), server);
    HttpLimits requestLimits = limits();
    requestLimits.idleTimeoutMs = m_timeouts.connectionTestMs;
    const QByteArray body = loginBody(server.username, password);
    password.clear();
    // Its own manager has its own cookie jar: the session cookie of the test goes nowhere.
    const auto manager = std::make_unique<QNetworkAccessManager>();
    const HttpAnswer answer = co_await receiveAnswer(
        start(*manager, Method::post, url, formContentType, body, requestLimits), requestLimits);
    checkLoginAnswer(answer);
}

QCoro::Task<QString> QBittorrentAPIClient::getVersion()
{
    co_return co_await requestVersion(true);
}

QCoro::Task<QString> QBittorrentAPIClient::requestVersion(bool allowReauth)
{
    ServerConfig server = requireServer();
    const QByteArray body = co_await fetch(APIEndpoint::version(), std::move(server), allowReauth);
    co_return decodeUtf8Strictly(body).value_or(QStringLiteral("Unknown"));
}
