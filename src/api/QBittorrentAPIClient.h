// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "APIEndpoint.h"
#include "HttpExchange.h"
#include "PasswordProvider.h"
#include "model/AppError.h"
#include "model/DetailRecords.h"
#include "model/ServerConfig.h"
#include "model/LoadProgress.h"
#include "model/SyncRecords.h"
#include "model/TransferRecords.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QSslConfiguration>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <optional>

class APIVersionManager;
class CertificateError;
class QNetworkAccessManager;
class QNetworkReply;
class SessionCookieJar;

// The one object that talks to the qBittorrent Web API of the connected server. Main thread
// only; every operation is a coroutine that throws on failure: NetworkError for status and
// state problems, TransportError when no HTTP answer arrived, DecodingError for answers that do
// not match their record. The client must outlive the operations it runs.
class QBittorrentAPIClient : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)

public:
    using ByteProgress = HttpLimits::Progress;
    // Answers above this are given up instead of exhausting memory.
    static constexpr qint64 maxResponseBytes = 512LL * 1024 * 1024;

    struct Timeouts
    {
        int idleMs = 30'000;          // no data for this long ends a request
        int totalMs = 60'000;         // no request lasts longer
        int connectionTestMs = 3'000; // idle limit of the connection test
    };

    static QBittorrentAPIClient &shared();
    explicit QBittorrentAPIClient(QObject *parent = nullptr);
    explicit QBittorrentAPIClient(APIVersionManager &versionManager, QObject *parent = nullptr);
    ~QBittorrentAPIClient() override;

    bool isAuthenticated() const { return m_isAuthenticated; }
    const std::optional<ServerConfig> &currentServer() const { return m_currentServer; }
    const std::optional<QString> &serverVersion() const { return m_serverVersion; }
    APIVersionManager &versionManager() const { return m_versionManager; }

    // Set once where the application is wired; without one a re-login finds no password.
    void setPasswordProvider(PasswordProvider provider) { m_passwordProvider = std::move(provider); }

    SessionCookieJar &cookieJar() const { return *m_cookieJar; }
    // Forgets every cookie of every host.
    void clearCookies();

    Timeouts timeouts() const { return m_timeouts; }
    void setTimeouts(Timeouts timeouts) { m_timeouts = timeouts; }
    qint64 responseSizeLimit() const { return m_responseSizeLimit; }
    void setResponseSizeLimit(qint64 bytes) { m_responseSizeLimit = bytes; }

    // Authentication and version. A login is a user's action: it clears a remembered
    // credential failure (see credentialFailure) before it starts. With an API key it sends no
    // form login and keeps no cookie; the key is checked by asking for the version.
    QCoro::Task<void> login(ServerConfig server, ServerSecrets secrets);
    QCoro::Task<void> login(ServerConfig server, QString password)
    {
        return login(std::move(server), ServerSecrets{std::move(password), {}, {}, {}});
    }
    // The same login on a throw-away session: nothing of this client changes.
    QCoro::Task<void> testConnection(ServerConfig server, ServerSecrets secrets);
    QCoro::Task<void> testConnection(ServerConfig server, QString password)
    {
        return testConnection(std::move(server), ServerSecrets{std::move(password), {}, {}, {}});
    }
    QCoro::Task<QString> getVersion();

    // The error of the last login the server refused for its credentials (wrong password, a
    // ban, a rejected API key) while no user acted since: requests that find the session gone
    // throw it again instead of logging in again, so refresh ticks never add up to a ban.
    // Null when there is none. Cleared by login() and forgetCredentialFailure().
    const ErrorPtr &credentialFailure() const { return m_credentialFailure; }
    // For the owner of the profiles: the user edited the current profile.
    void forgetCredentialFailure() { m_credentialFailure.reset(); }
    // Closes every open connection, so that the next request shakes hands anew (after the
    // trust of a profile changed).
    void dropConnections();
    // The profile was deleted: when the client is on it, its session, settings and secrets
    // are forgotten and the client is disconnected.
    void forgetServer(const QUuid &id);

    // Torrents.
    QCoro::Task<void> performAction(APIEndpoint endpoint);
    QCoro::Task<QList<TorrentFile>> getTorrentFiles(QString hash);
    QCoro::Task<QList<TorrentTracker>> getTorrentTrackers(QString hash);
    QCoro::Task<QList<TorrentPeer>> getTorrentPeers(QString hash);
    QCoro::Task<void> addTorrent(QString urls, std::optional<QString> savePath = std::nullopt,
                                 std::optional<QString> category = std::nullopt,
                                 std::optional<QString> tags = std::nullopt);
    QCoro::Task<void> addTorrentFile(QString fileName, QByteArray fileData,
                                     std::optional<QString> savePath = std::nullopt,
                                     std::optional<QString> category = std::nullopt,
                                     std::optional<QString> tags = std::nullopt);

    // Server-wide figures, synchronisation, categories, tags, limits.
    QCoro::Task<TransferInfo> getTransferInfo();
    // `report`, when given, hears how far the answer has come (LoadProgress).
    QCoro::Task<SyncData> getSyncData(std::optional<qint64> rid, LoadProgressReport report = {});
    QCoro::Task<MainDataResponse> getMainData(std::optional<qint64> rid = std::nullopt);
    QCoro::Task<QList<Category>> getCategories();
    QCoro::Task<QStringList> getTags();
    QCoro::Task<void> setDownloadLimit(qint64 limit);
    QCoro::Task<void> setUploadLimit(qint64 limit);
    // Whether the alternative limits are in force ("1" or "0" from the server).
    QCoro::Task<bool> getSpeedLimitsMode();
    // Puts the alternative limits in or out of force. The server only offers a toggle: it is
    // sent when the mode read just before differs, so two taps never cancel each other out.
    QCoro::Task<void> setSpeedLimitsMode(bool alternative);
    QCoro::Task<SpeedPreferences> getSpeedPreferences();
    // Writes both alternative limits (bytes per second, 0 = none) in one preferences request.
    QCoro::Task<void> setAlternativeLimits(qint64 download, qint64 upload);

    // Core. buildURL throws NetworkError::invalidURL.
    QUrl buildURL(const APIEndpoint &endpoint, const ServerConfig &server) const;
    // GET with the status mapping; 401/403 re-log in once when allowed. `keepCompressed`: the
    // body may come gzip-compressed, as sent (HttpLimits::keepCompressed).
    QCoro::Task<QByteArray> fetch(APIEndpoint endpoint, ServerConfig server, bool allowReauth,
                                  bool keepCompressed = false, ByteProgress progress = {});
    // Logs in again with the current server's password from the password provider.
    QCoro::Task<void> reauthenticate();
    // The diagnostic line of a failed decoding; nothing for other failures.
    static void reportDecodingFailure(const AppError &error);

Q_SIGNALS:
    // Any request (login, test, later ones) refused because of the server's certificate.
    void certificateRejected(const ServerConfig &server, std::shared_ptr<const CertificateError> error);
    void isAuthenticatedChanged();
    void currentServerChanged();
    void serverVersionChanged();

private:
    enum class Method { get, post };

    HttpLimits limits() const;
    ServerConfig requireServer() const; // throws unauthorized
    // One request with the settings of a profile. A refusal of the server's certificate is
    // announced (certificateRejected) before it is thrown.
    QCoro::Task<HttpAnswer> exchange(QNetworkAccessManager &manager, ServerConfig server,
                                     ConnectionSettings settings, Method method, QUrl url,
                                     QByteArray contentType, QByteArray body, HttpLimits limits,
                                     bool anonymous = false);
    QCoro::Task<QByteArray> send(APIEndpoint endpoint, ServerConfig server, Method method,
                                 QByteArray contentType, QByteArray body, bool allowReauth,
                                 bool keepCompressed = false, ByteProgress progress = {});
    QCoro::Task<void> postForm(APIEndpoint endpoint, QByteArray body);
    QCoro::Task<void> postMultipart(QByteArray contentType, QByteArray body);
    // A re-login's own login may not re-log in again: that bounds the chain
    // login -> version -> 401 -> re-login -> login -> version -> 401 -> ...
    QCoro::Task<void> loginWith(ServerConfig server, ConnectionSettings settings, QString password,
                                bool versionMayReauth);
    // The login alone on `manager` (a form login, or the version request that checks an API
    // key), throwing what a refusal means. Gives the version text when it asked for it.
    QCoro::Task<std::optional<QString>> authenticate(QNetworkAccessManager &manager, ServerConfig server,
                                                     ConnectionSettings settings, QString password,
                                                     HttpLimits limits);
    // Why a login was answered 401: asks for the version without any credentials, which the
    // server answers 401 too when it refuses the request itself (host header check, proxy).
    QCoro::Task<bool> refusedBeforeAuthentication(QNetworkAccessManager &manager, ServerConfig server,
                                                  ConnectionSettings settings, HttpLimits limits);
    // 401 or 403 to a request of the session: throws the remembered credential failure; with
    // an API key, asks again for the version with it and throws what that shows (the key
    // refused, remembered; or only this request refused). Returns when logging in may help.
    QCoro::Task<void> checkSessionRefusal(ServerConfig server, int status);
    // Keeps `error` as the credential failure when it is one and `server` is the current one.
    void rememberCredentialFailure(const ServerConfig &server, const ErrorPtr &error);
    QCoro::Task<QString> requestVersion(bool allowReauth);
    [[noreturn]] static void raise(const ErrorPtr &error);

    void setAuthenticated(bool value);
    void setCurrentServer(std::optional<ServerConfig> server);
    void setServerVersion(std::optional<QString> version);

    PasswordProvider m_passwordProvider;
    APIVersionManager &m_versionManager;
    QNetworkAccessManager *m_network;
    SessionCookieJar *m_cookieJar;
    Timeouts m_timeouts;
    qint64 m_responseSizeLimit = maxResponseBytes;

    ConnectionSettings m_settings; // of the current server
    ErrorPtr m_credentialFailure;
    // Of the connections the manager may hold.
    QSslConfiguration m_tlsInUse;
    QString m_pinInUse;
    bool m_isAuthenticated = false;
    std::optional<ServerConfig> m_currentServer;
    std::optional<QString> m_serverVersion;
};
