#pragma once

#include "model/AppError.h"
#include "model/ServerConfig.h"

#include <QObject>
#include <QVariant>

#include <qcoro/qcoroqmltask.h>
#include <qcoro/qcorotask.h>

#include <optional>

class ServerRepository;
class QBittorrentAPIClient;

// Behind the welcome screen, the server list, the add and edit forms and the settings screen:
// mirrors the saved profiles and the active one, connects, tests connections, and fetches the
// connected server's version.
//
// Profiles cross into QML as maps with the keys id (upper-case UUID text), name, host, port,
// username, useHTTPS, isActive, createdAt (Date), lastConnectedAt (Date or undefined),
// lastConnectedText (relative date or "从未连接").
class SettingsViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList servers READ serversVariant NOTIFY serversChanged)
    Q_PROPERTY(QVariant activeServer READ activeServerVariant NOTIFY activeServerChanged)
    Q_PROPERTY(bool isConnecting READ isConnecting NOTIFY isConnectingChanged)
    Q_PROPERTY(
        QVariant serverVersion READ serverVersionVariant NOTIFY serverVersionChanged) // string or undefined
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)

public:
    // ServerRepository::shared() and QBittorrentAPIClient::shared().
    explicit SettingsViewModel(QObject *parent = nullptr);
    SettingsViewModel(ServerRepository &repository, QBittorrentAPIClient &apiClient,
                      QObject *parent = nullptr);

    ServerRepository &repository() { return m_repository; }
    const QList<ServerConfig> &servers() const { return m_servers; }
    const std::optional<ServerConfig> &activeServer() const { return m_activeServer; }
    bool isConnecting() const { return m_isConnecting; }
    const std::optional<QString> &serverVersion() const { return m_serverVersion; }
    const ErrorPtr &error() const { return m_error; }
    Q_INVOKABLE void clearError();

    QCoro::Task<void> updateServer(ServerConfig server, std::optional<QString> password);
    QCoro::Task<void> deleteServer(QUuid id);
    // Returns at once when no password is stored (error set); otherwise runs the connect flow.
    QCoro::Task<void> connectToServer(ServerConfig server);
    struct TestResult
    {
        bool success = false;
        ErrorPtr error;
    };
    QCoro::Task<TestResult> testConnection(ServerConfig server, QString password);
    QCoro::Task<void> loadServerVersion();

    // For the screens. Forms pass their fields; ids are UUID texts.
    Q_INVOKABLE void connectTo(const QString &id);
    Q_INVOKABLE void remove(const QString &id);
    // Resolves to true on success; on failure logs "❌ 添加服务器失败: ..." and resolves to false.
    Q_INVOKABLE QCoro::QmlTask addServer(const QString &name, const QString &host, int port,
                                         const QString &username, const QString &password, bool useHTTPS);
    // password: a string replaces the stored one; undefined/null keeps it.
    Q_INVOKABLE QCoro::QmlTask update(const QString &id, const QString &name, const QString &host, int port,
                                      const QString &username, bool useHTTPS, const QVariant &password);
    // Resolves to {success: bool, error: string}.
    Q_INVOKABLE QCoro::QmlTask test(const QString &name, const QString &host, int port,
                                    const QString &username, const QString &password, bool useHTTPS);
    Q_INVOKABLE void startLoadServerVersion();
    // The port rule of the forms: a whole decimal number (optional sign) from 1 to 65535.
    Q_INVOKABLE static bool isValidPort(const QString &text);

Q_SIGNALS:
    void serversChanged();
    void activeServerChanged();
    void isConnectingChanged();
    void serverVersionChanged();
    void errorChanged();

private:
    QVariantList serversVariant() const;
    QVariant activeServerVariant() const;
    QVariant serverVersionVariant() const;
    bool hasError() const { return m_error != nullptr; }
    QString errorMessage() const;
    void setError(ErrorPtr error);

    ServerRepository &m_repository;
    QBittorrentAPIClient &m_apiClient;
    QList<ServerConfig> m_servers;
    std::optional<ServerConfig> m_activeServer;
    bool m_isConnecting = false;
    std::optional<QString> m_serverVersion;
    ErrorPtr m_error;
};
