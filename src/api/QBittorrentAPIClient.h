#pragma once

#include "APIEndpoint.h"
#include "HttpExchange.h"
#include "PasswordProvider.h"
#include "model/AppError.h"
#include "model/DetailRecords.h"
#include "model/ServerConfig.h"
#include "model/SyncRecords.h"
#include "model/TransferRecords.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <optional>

class APIVersionManager;
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

    // Authentication and version.
    QCoro::Task<void> login(ServerConfig server, QString password);
    // The same login on a throw-away session: nothing of this client changes.
    QCoro::Task<void> testConnection(ServerConfig server, QString password);
    QCoro::Task<QString> getVersion();

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
    QCoro::Task<SyncData> getSyncData(std::optional<qint64> rid);
    QCoro::Task<MainDataResponse> getMainData(std::optional<qint64> rid = std::nullopt);
    QCoro::Task<QList<Category>> getCategories();
    QCoro::Task<QStringList> getTags();
    QCoro::Task<void> setDownloadLimit(qint64 limit);
    QCoro::Task<void> setUploadLimit(qint64 limit);

    // Core. buildURL throws NetworkError::invalidURL.
    QUrl buildURL(const APIEndpoint &endpoint, const ServerConfig &server) const;
    // GET with the status mapping; 401/403 re-log in once when allowed.
    QCoro::Task<QByteArray> fetch(APIEndpoint endpoint, ServerConfig server, bool allowReauth);
    // Logs in again with the current server's password from the password provider.
    QCoro::Task<void> reauthenticate();
    // The diagnostic line of a failed decoding; nothing for other failures.
    static void reportDecodingFailure(const AppError &error);

Q_SIGNALS:
    void isAuthenticatedChanged();
    void currentServerChanged();
    void serverVersionChanged();

private:
    enum class Method { get, post };

    HttpLimits limits() const;
    ServerConfig requireServer() const; // throws unauthorized
    QNetworkReply *start(QNetworkAccessManager &manager, Method method, const QUrl &url,
                         const QByteArray &contentType, const QByteArray &body, const HttpLimits &limits);
    QCoro::Task<QByteArray> send(APIEndpoint endpoint, ServerConfig server, Method method,
                                 QByteArray contentType, QByteArray body, bool allowReauth);
    QCoro::Task<void> postForm(APIEndpoint endpoint, QByteArray body);
    QCoro::Task<void> postMultipart(QByteArray contentType, QByteArray body);
    // A re-login's own login may not re-log in again: that bounds the chain
    // login -> version -> 401 -> re-login -> login -> version -> 401 -> ...
    QCoro::Task<void> loginWith(ServerConfig server, QString password, bool versionMayReauth);
    QCoro::Task<QString> requestVersion(bool allowReauth);

    void setAuthenticated(bool value);
    void setCurrentServer(std::optional<ServerConfig> server);
    void setServerVersion(std::optional<QString> version);

    PasswordProvider m_passwordProvider;
    APIVersionManager &m_versionManager;
    QNetworkAccessManager *m_network;
    SessionCookieJar *m_cookieJar;
    Timeouts m_timeouts;
    qint64 m_responseSizeLimit = maxResponseBytes;

    bool m_isAuthenticated = false;
    std::optional<ServerConfig> m_currentServer;
    std::optional<QString> m_serverVersion;
};
