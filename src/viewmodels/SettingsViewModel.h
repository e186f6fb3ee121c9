// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "CategoryListModel.h"
#include "CertificatePrompt.h"
#include "ServerListModel.h"
#include "model/AppError.h"
#include "model/ServerConfig.h"

#include <QObject>
#include <QVariant>

#include <qcoro/qcoroqmltask.h>
#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class CertificateError;
class ServerRepository;
class QBittorrentAPIClient;
struct SecretChanges;

// Behind the welcome screen, the server list, the add and edit forms (through ServerFormModel)
// and the settings screen: mirrors the saved profiles and the active one, connects, tests
// connections, asks about server certificates the client refused, and fetches the connected
// server's version and categories (for the default save path). Profiles reach QML as
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
    // A certificate refused while connecting or on a later request of a saved profile, until the
    // user answers.
    Q_PROPERTY(CertificatePrompt certificatePrompt READ certificatePrompt NOTIFY certificatePromptChanged)

public:
    // ServerRepository::shared() and QBittorrentAPIClient::shared().
    explicit SettingsViewModel(QObject *parent = nullptr);
    SettingsViewModel(ServerRepository &repository, QBittorrentAPIClient &apiClient,
                      QObject *parent = nullptr);

    ServerRepository &repository() { return m_repository; }
    QBittorrentAPIClient &apiClient() { return m_apiClient; }
    const QList<ServerConfig> &servers() const { return m_servers.servers(); }
    ServerListModel *serversModel() { return &m_servers; }
    CategoryListModel *categoriesModel() { return &m_categories; }
    bool isLoadingCategories() const { return m_isLoadingCategories; }
    // The saved profile with that serverId; an invalid value when there is none.
    Q_INVOKABLE ServerProfile profile(const QString &serverId) const;
    // The saved profile with that id text; none for an unknown or malformed id.
    const ServerConfig *savedServer(const QString &id) const;
    const std::optional<ServerConfig> &activeServer() const { return m_activeServer; }
    bool isConnecting() const { return m_isConnecting; }
    const std::optional<QString> &serverVersion() const { return m_serverVersion; }
    const ErrorPtr &error() const { return m_error; }
    Q_INVOKABLE void clearError();

    // Logs "❌ 添加服务器失败: ..." and resolves to false on failure.
    QCoro::Task<bool> addServer(ServerConfig server, ServerSecrets secrets);
    // On failure the error is held and logged. A change of the profile the client is on is a
    // user's action: a remembered credential failure is forgotten, and unless only the name
    // changed the client logs in again with the new settings.
    QCoro::Task<bool> updateServer(ServerConfig server, SecretChanges changes);
    QCoro::Task<void> deleteServer(QUuid id);
    // Returns at once when a needed secret is not stored (error set); otherwise runs the connect
    // flow. A refused certificate becomes the certificate prompt instead of the error.
    QCoro::Task<void> connectToServer(ServerConfig server);
    struct TestResult
    {
        bool success = false;
        ErrorPtr error;
    };
    // A certificate refused during the test is the test's error only; it raises no prompt here.
    QCoro::Task<TestResult> testConnection(ServerConfig server, ServerSecrets secrets);
    QCoro::Task<void> loadServerVersion();

    // For the screens; ids are UUID texts.
    Q_INVOKABLE void connectTo(const QString &id);
    Q_INVOKABLE void remove(const QString &id);
    const CertificatePrompt &certificatePrompt() const { return m_prompt; }
    // Pins the prompt's certificate in its profile, then connects to it again.
    Q_INVOKABLE void trustCertificate();
    QCoro::Task<void> trustPromptedCertificate();
    // Closes the prompt; the same certificate of that profile is not asked about again until
    // the user connects to it.
    Q_INVOKABLE void dismissCertificatePrompt();
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
    void certificatePromptChanged();

private:
    void askAboutCertificate(const ServerConfig &server, std::shared_ptr<const CertificateError> error);
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
    QList<QUuid> m_tested; // profiles under a connection test, whose refusals the test shows
    QList<std::pair<QUuid, QString>> m_dismissed; // profile and fingerprint
    std::optional<QUuid> m_promptServer;
    std::shared_ptr<const CertificateError> m_certificateError;
    CertificatePrompt m_prompt;
};
