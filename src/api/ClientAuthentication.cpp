// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Login, connection test and version request of QBittorrentAPIClient.
#include "APIVersionManager.h"
#include "Attempt.h"
#include "FormEncoding.h"
#include "Logging.h"
#include "NetworkError.h"
#include "QBittorrentAPIClient.h"
#include "Utf8.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>

namespace {

const QByteArray formContentType = QByteArrayLiteral("application/x-www-form-urlencoded");

// Servers before 5.2 answer a refused login with 200 and "Fails."; from 5.2 on a good login is
// 204 with no body and a bad one 401. Any 2xx counts, the text test only when there is text.
// A 403 is the ban of this address after too many failures (its text is translated: never
// read it).
void checkLoginAnswer(const HttpAnswer &answer)
{
    const int status = answer.statusCode;
    if (status == 403)
        throw NetworkError::loginBanned();
    if (status == 401)
        throw NetworkError::unauthorized();
    if (!answer.isSuccess())
        throw NetworkError::serverError(status);
    if (answer.body.isEmpty())
        return;
    const std::optional<QString> text = decodeUtf8Strictly(answer.body);
    if (text && (text->contains(QLatin1String("Fails")) || text->contains(QLatin1String("fail"))))
        throw NetworkError::unauthorized();
}

// A refusal for the credentials: logging in again with the same ones can only add to a ban.
bool isCredentialFailure(const ErrorPtr &error)
{
    using K = NetworkError::Kind;
    return NetworkError::isKind(error, {K::unauthorized, K::loginBanned, K::apiKeyRejected});
}

} // namespace

QCoro::Task<void> QBittorrentAPIClient::login(ServerConfig server, ServerSecrets secrets)
{
    m_credentialFailure.reset();
    ConnectionSettings settings = ConnectionSettings::forProfile(server, secrets);
    // Qt keeps connections per host and port with the TLS settings they were opened with: a
    // connection made under other trust (a failed handshake included, or checked against
    // another pin) would be used again without a handshake.
    if (settings.tls != m_tlsInUse || settings.pinnedFingerprint != m_pinInUse) {
        dropConnections();
        m_tlsInUse = settings.tls;
        m_pinInUse = settings.pinnedFingerprint;
    }
    QString password = std::move(secrets.password);
    secrets = {};
    co_await loginWith(std::move(server), std::move(settings), std::move(password), true);
}

QCoro::Task<std::optional<QString>> QBittorrentAPIClient::authenticate(QNetworkAccessManager &manager,
                                                                       ServerConfig server,
                                                                       ConnectionSettings settings,
                                                                       QString password, HttpLimits limits)
{
    // A key is checked by asking for the version with it, a password by the form login.
    const bool withKey = settings.usesApiKey();
    const QUrl url = buildURL(withKey ? APIEndpoint::version() : APIEndpoint::login(), server);
    const QByteArray body = withKey ? QByteArray() : loginBody(server.username, password);
    password.clear();
    const HttpAnswer answer =
        co_await exchange(manager, server, settings, withKey ? Method::get : Method::post, url,
                          withKey ? QByteArray() : formContentType, body, limits);
    checkIntermediary(answer);
    if (answer.statusCode == 401 && co_await refusedBeforeAuthentication(manager, server, settings, limits))
        throw NetworkError::requestRejected();
    if (!withKey) {
        checkLoginAnswer(answer);
        co_return std::nullopt;
    }
    if (answer.statusCode == 401 || answer.statusCode == 403)
        throw NetworkError::apiKeyRejected();
    if (!answer.isSuccess())
        throw NetworkError::serverError(answer.statusCode);
    co_return decodeUtf8Strictly(answer.body).value_or(QStringLiteral("Unknown"));
}

QCoro::Task<void> QBittorrentAPIClient::checkSessionRefusal(ServerConfig server, int status)
{
    if (m_credentialFailure)
        raise(m_credentialFailure);
    if (!m_settings.usesApiKey())
        co_return;
    // A key opens no session that could be renewed: either the key is refused now, for good
    // (asking again with it only repeats that), or the server refused just this request.
    const Attempted<std::optional<QString>> check =
        co_await attempt(authenticate(*m_network, server, m_settings, {}, limits()));
    if (!check.error)
        throw NetworkError::serverError(status);
    rememberCredentialFailure(server, check.error);
    raise(check.error);
}

void QBittorrentAPIClient::rememberCredentialFailure(const ServerConfig &server, const ErrorPtr &error)
{
    // Only for the profile in use: a refused login elsewhere leaves its session alone.
    if (isCredentialFailure(error) && m_currentServer && m_currentServer->id == server.id)
        m_credentialFailure = error;
}

QCoro::Task<bool> QBittorrentAPIClient::refusedBeforeAuthentication(QNetworkAccessManager &manager,
                                                                    ServerConfig server,
                                                                    ConnectionSettings settings,
                                                                    HttpLimits limits)
{
    // Without a session the version request is answered 403; a server that answers it 401
    // as well refused the request before looking at any credentials.
    const QUrl url = buildURL(APIEndpoint::version(), server);
    const Attempted<HttpAnswer> probe =
        co_await attempt(exchange(manager, server, settings, Method::get, url, {}, {}, limits, true));
    co_return probe.value &&probe.value->statusCode == 401 && !probe.value->asksForBasic();
}

QCoro::Task<void> QBittorrentAPIClient::loginWith(ServerConfig server, ConnectionSettings settings,
                                                  QString password, bool versionMayReauth)
{
    const Attempted<std::optional<QString>> accepted =
        co_await attempt(authenticate(*m_network, server, settings, std::move(password), limits()));
    if (accepted.error) {
        rememberCredentialFailure(server, accepted.error);
        raise(accepted.error);
    }

    m_settings = std::move(settings);
    // The server first: whoever reacts to the login (the screens that appear with it) asks
    // for data of the current server at once.
    setCurrentServer(server);
    setAuthenticated(true);

    std::optional<QString> version = *accepted.value;
    ErrorPtr versionError;
    if (!version) {
        try {
            version = co_await requestVersion(versionMayReauth);
        } catch (...) {
            versionError = currentError();
        }
    }
    if (version) {
        setServerVersion(*version);
        m_versionManager.updateVersion(*version);
        logLine(lcApi(), QStringLiteral("✅ qBittorrent 版本: ") + *version);
    } else {
        logLine(lcApi(), QStringLiteral("⚠️ 获取服务器版本失败: ") +
                versionError->localizedDescription());
        m_versionManager.setAdapter(std::make_shared<QBittorrent4Adapter>());
    }
}

QCoro::Task<void> QBittorrentAPIClient::testConnection(ServerConfig server, ServerSecrets secrets)
{
    HttpLimits requestLimits = limits();
    requestLimits.idleTimeoutMs = m_timeouts.connectionTestMs;
    const ConnectionSettings settings = ConnectionSettings::forProfile(server, secrets);
    QString password = std::move(secrets.password);
    secrets = {};
    // Its own manager has its own cookie jar: the session cookie of the test goes nowhere.
    const auto manager = std::make_unique<QNetworkAccessManager>();
    co_await authenticate(*manager, std::move(server), settings, std::move(password), requestLimits);
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
