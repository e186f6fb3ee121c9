#pragma once

#include "CategoryListModel.h"
#include "ServerListModel.h"
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
// connected server's version and categories (for the default save path). Profiles reach QML as
// ServerProfile values and as the rows of `servers`; the calls take a profile's serverId.
class SettingsViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ServerListModel *servers READ serversModel CONSTANT)
    Q_PROPERTY(ServerProfile activeServer READ activeProfile NOTIFY activeServerChanged)
    Q_PROPERTY(bool isConnecting READ isConnecting NOTIFY isConnectingChanged)
    // Empty until the connected server's version arrived.
    Q_PROPERTY(QString serverVersion READ serverVersionText NOTIFY serverVersionChanged)
    // The connected server's categories; a failed load keeps the rows it had.
    Q_PROPERTY(CategoryListModel *categories READ categoriesModel CONSTANT)
    Q_PROPERTY(bool isLoadingCategories READ isLoadingCategories NOTIFY isLoadingCategoriesChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)

public:
    // ServerRepository::shared() and QBittorrentAPIClient::shared().
    explicit SettingsViewModel(QObject *parent = nullptr);
    SettingsViewModel(ServerRepository &repository, QBittorrentAPIClient &apiClient,
                      QObject *parent = nullptr);

    ServerRepository &repository() { return m_repository; }
    const QList<ServerConfig> &servers() const { return m_servers.servers(); }
    ServerListModel *serversModel() { return &m_servers; }
    CategoryListModel *categoriesModel() { return &m_categories; }
    bool isLoadingCategories() const { return m_isLoadingCategories; }
    // The saved profile with that serverId; an invalid value when there is none.
    Q_INVOKABLE ServerProfile profile(const QString &serverId) const;
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
    // Resolves to a ConnectionTestResult.
    Q_INVOKABLE QCoro::QmlTask test(const QString &name, const QString &host, int port,
                                    const QString &username, const QString &password, bool useHTTPS);
    Q_INVOKABLE void startLoadServerVersion();
    QCoro::Task<void> loadCategories();
    Q_INVOKABLE void startLoadCategories();
    // The port rule of the forms: a whole decimal number (optional sign) from 1 to 65535.
    Q_INVOKABLE static bool isValidPort(const QString &text);

Q_SIGNALS:
    void activeServerChanged();
    void isConnectingChanged();
    void serverVersionChanged();
    void isLoadingCategoriesChanged();
    void errorChanged();

private:
    // The saved profile with that id text; none for an unknown or malformed id.
    const ServerConfig *savedServer(const QString &id) const;
    ServerProfile activeProfile() const;
    QString serverVersionText() const { return m_serverVersion.value_or(QString()); }
    bool hasError() const { return m_error != nullptr; }
    QString errorMessage() const;
    void setError(ErrorPtr error);

    ServerRepository &m_repository;
    QBittorrentAPIClient &m_apiClient;
    ServerListModel m_servers;
    CategoryListModel m_categories;
    bool m_isLoadingCategories = false;
    quint64 m_categoriesLoadSerial = 0;
    std::optional<ServerConfig> m_activeServer;
    bool m_isConnecting = false;
    std::optional<QString> m_serverVersion;
    ErrorPtr m_error;
};
