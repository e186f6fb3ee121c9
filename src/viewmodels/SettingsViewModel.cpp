// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SettingsViewModel.h"

#include "ErrorState.h"
#include "Logging.h"
#include "api/Attempt.h"
#include "api/CertificateError.h"
#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "api/TransportError.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QPointer>

#include <algorithm>
#include <utility>

namespace {

template <typename E> ErrorPtr shared(E error)
{
    return std::make_shared<E>(std::move(error));
}

// What a failed connection test shows: the transport failures the user can act on get the
// advice texts; the client's own status errors pass unchanged.
ErrorPtr connectionTestError(const ErrorPtr &error)
{
    if (const auto *transport = dynamic_cast<const TransportError *>(error.get())) {
        if (transport->isTimeout())
            return shared(NetworkError::timeout());
        if (transport->isCannotConnect() || transport->isCannotFindHost() || transport->isUnreachable())
            return shared(NetworkError::connectionFailed());
        return shared(NetworkError::networkError(error));
    }
    if (dynamic_cast<const NetworkError *>(error.get()) ||
        dynamic_cast<const CertificateError *>(error.get()))
        return error;
    return shared(NetworkError::networkError(error));
}

} // namespace

SettingsViewModel::SettingsViewModel(QObject *parent)
    : SettingsViewModel(ServerRepository::shared(), QBittorrentAPIClient::shared(), parent)
{}

SettingsViewModel::SettingsViewModel(ServerRepository &repository, QBittorrentAPIClient &apiClient,
                                     QObject *parent)
    : QObject(parent), m_repository(repository), m_apiClient(apiClient), m_servers(this), m_categories(this),
      m_activeServer(repository.activeServer())
{
    m_servers.setServers(repository.servers());
    connect(&m_repository, &ServerRepository::serversChanged, this,
            [this] { m_servers.setServers(m_repository.servers()); });
    connect(&m_repository, &ServerRepository::activeServerChanged, this, [this] {
        if (m_activeServer == m_repository.activeServer())
            return;
        m_activeServer = m_repository.activeServer();
        Q_EMIT activeServerChanged();
    });
    connect(&m_apiClient, &QBittorrentAPIClient::certificateRejected, this,
            [this](const ServerConfig &server, std::shared_ptr<const CertificateError> error) {
                askAboutCertificate(server, std::move(error));
            });
}

void SettingsViewModel::setError(ErrorPtr error)
{
    m_error = std::move(error);
    Q_EMIT errorChanged();
}

void SettingsViewModel::clearError()
{
    if (!m_error)
        return;
    m_error.reset();
    Q_EMIT errorChanged();
}

QString SettingsViewModel::errorMessage() const
{
    return errorTexts(m_error).message;
}

QCoro::Task<bool> SettingsViewModel::addServer(ServerConfig server, ServerSecrets secrets)
{
    // Only the repository is used, and only before the first suspension.
    const ErrorPtr failure = co_await attempt(m_repository.addServer(std::move(server), std::move(secrets)));
    if (failure)
        logLine(lcViewModels(), QStringLiteral("❌ 添加服务器失败: ") + failure->localizedDescription());
    co_return !failure;
}

QCoro::Task<bool> SettingsViewModel::updateServer(ServerConfig server, SecretChanges changes)
{
    QPointer<SettingsViewModel> self(this);
    const QPointer<QBittorrentAPIClient> client(&m_apiClient);
    const ServerConfig *saved = savedServer(server.accountName());
    const bool secretsChanged =
        changes.password || changes.proxyPassword || changes.headerValues || changes.apiKey;
    // Everything but the name, the activity and the dates decides how the server is reached,
    // the fields added later included.
    const auto reach = [](ServerConfig config) {
        config.name.clear();
        config.isActive = false;
        config.createdAt = {};
        config.lastConnectedAt.reset();
        return config;
    };
    const bool reachChanged = !saved || reach(*saved) != reach(server);
    const ServerConfig updated = server;
    const ErrorPtr failure =
        co_await attempt(m_repository.updateServer(std::move(server), std::move(changes)));
    if (failure) {
        logLine(lcViewModels(), QStringLiteral("❌ 更新服务器失败: ") + failure->localizedDescription());
        if (self)
            self->setError(failure);
        co_return false;
    }
    if (client && client->currentServer() && client->currentServer()->id == updated.id) {
        client->forgetCredentialFailure();
        // The session belongs to the old way of reaching the server: log in with the new one
        // at once rather than on the next failure (a login under new trust also drops the
        // connections made under the old one). The save is done; the connect goes on by
        // itself, shown as connecting.
        if ((secretsChanged || reachChanged) && self)
            self->connectToServer(updated);
    }
    co_return true;
}

QCoro::Task<void> SettingsViewModel::deleteServer(QUuid id)
{
    QPointer<SettingsViewModel> self(this);
    // The model and even the client may be gone when the store answers.
    const QPointer<QBittorrentAPIClient> client(&m_apiClient);
    const ErrorPtr failure = co_await attempt(m_repository.deleteServer(id));
    if (!failure) {
        if (client)
            client->forgetServer(id);
        co_return;
    }
    logLine(lcViewModels(), QStringLiteral("❌ 删除服务器失败: ") + failure->localizedDescription());
    if (self)
        self->setError(failure);
}

QCoro::Task<void> SettingsViewModel::connectToServer(ServerConfig server)
{
    QPointer<SettingsViewModel> self(this);
    // Connecting is the user's answer to an earlier dismissed question about this profile.
    m_dismissed.removeIf([&server](const auto &dismissed) { return dismissed.first == server.id; });
    const std::optional<ServerSecrets> secrets = co_await m_repository.loadSecrets(server);
    if (!self)
        co_return;
    if (!secrets) {
        setError(shared(NetworkError::unauthorized()));
        co_return;
    }

    m_isConnecting = true;
    Q_EMIT isConnectingChanged();
    const auto fail = [this, &server](const ErrorPtr &error) {
        if (auto certificate = std::dynamic_pointer_cast<const CertificateError>(error))
            askAboutCertificate(server, std::move(certificate));
        else
            setError(error);
        logLine(lcViewModels(), QStringLiteral("❌ 连接服务器失败: ") + error->localizedDescription());
        m_isConnecting = false;
        Q_EMIT isConnectingChanged();
    };

    ErrorPtr failure = co_await attempt(m_apiClient.login(server, *secrets));
    if (!self)
        co_return;
    if (failure) {
        fail(failure);
        co_return;
    }

    try {
        m_repository.setActiveServer(server.id);
    } catch (...) {
        failure = currentError();
    }
    if (failure) {
        fail(failure);
        co_return;
    }

    co_await loadServerVersion();
    if (!self)
        co_return;
    logLine(lcViewModels(), QStringLiteral("✅ 成功连接到服务器: ") + server.name);
    m_isConnecting = false;
    Q_EMIT isConnectingChanged();
}

QCoro::Task<SettingsViewModel::TestResult> SettingsViewModel::testConnection(ServerConfig server,
                                                                             ServerSecrets secrets)
{
    QPointer<SettingsViewModel> self(this);
    const QUuid id = server.id;
    m_tested.append(id);
    const ErrorPtr failure =
        co_await attempt(m_apiClient.testConnection(std::move(server), std::move(secrets)));
    if (self)
        m_tested.removeOne(id);
    if (!failure)
        co_return TestResult{true, nullptr};
    co_return TestResult{false, connectionTestError(failure)};
}

QCoro::Task<void> SettingsViewModel::loadServerVersion()
{
    QPointer<SettingsViewModel> self(this);
    const auto [version, failure] = co_await attempt(m_apiClient.getVersion());
    if (failure) {
        logLine(lcViewModels(), QStringLiteral("❌ 加载服务器版本失败: ") + failure->localizedDescription());
        co_return;
    }
    if (!self || m_serverVersion == *version)
        co_return;
    m_serverVersion = *version;
    Q_EMIT serverVersionChanged();
}

void SettingsViewModel::connectTo(const QString &id)
{
    if (const ServerConfig *server = savedServer(id)) {
        connectToServer(*server);
        return;
    }
    const ErrorPtr error = shared(RepositoryError(RepositoryError::Kind::serverNotFound));
    setError(error);
    logLine(lcViewModels(), QStringLiteral("❌ 连接服务器失败: ") + error->localizedDescription());
}

void SettingsViewModel::remove(const QString &id)
{
    deleteServer(QUuid::fromString(id));
}

void SettingsViewModel::askAboutCertificate(const ServerConfig &server,
                                            std::shared_ptr<const CertificateError> error)
{
    // An open question stays as it is until answered: replacing it under the user's eyes
    // could make them approve a certificate they did not read.
    if (!error || m_prompt.valid || m_tested.contains(server.id) ||
        m_dismissed.contains(std::pair(server.id, error->presentedFingerprint())))
        return;
    CertificatePrompt prompt = CertificatePrompt::of(*error);
    m_promptServer = server.id;
    m_certificateError = std::move(error);
    if (prompt == m_prompt)
        return;
    m_prompt = std::move(prompt);
    Q_EMIT certificatePromptChanged();
}

void SettingsViewModel::dismissCertificatePrompt()
{
    if (m_promptServer && m_certificateError)
        m_dismissed.append({*m_promptServer, m_certificateError->presentedFingerprint()});
    m_promptServer.reset();
    m_certificateError.reset();
    m_prompt = {};
    Q_EMIT certificatePromptChanged();
}

QCoro::Task<void> SettingsViewModel::trustPromptedCertificate()
{
    const std::shared_ptr<const CertificateError> error = std::exchange(m_certificateError, nullptr);
    const ServerConfig *saved = m_promptServer ? savedServer(m_promptServer->toString()) : nullptr;
    m_promptServer.reset();
    m_prompt = {};
    Q_EMIT certificatePromptChanged();
    if (!saved || !error || !error->canBeTrusted())
        co_return;
    ServerConfig server = *saved;
    server.certificateTrust = CertificateTrust::pinned;
    server.pinnedCertificate = error->certificate().toDer();
    server.pinnedFingerprint = error->presentedFingerprint();
    server.caCertificate.clear();
    QPointer<SettingsViewModel> self(this);
    const bool onIt = m_apiClient.currentServer() && m_apiClient.currentServer()->id == server.id;
    // Changing the profile the client is on connects again by itself.
    if (!co_await updateServer(server, SecretChanges{}) || !self || onIt)
        co_return;
    co_await connectToServer(server);
}

void SettingsViewModel::trustCertificate()
{
    trustPromptedCertificate();
}

void SettingsViewModel::startLoadServerVersion()
{
    loadServerVersion();
}

QCoro::Task<void> SettingsViewModel::loadCategories()
{
    QPointer<SettingsViewModel> self(this);
    const quint64 serial = ++m_categoriesLoadSerial;
    if (!m_isLoadingCategories) {
        m_isLoadingCategories = true;
        Q_EMIT isLoadingCategoriesChanged();
    }
    auto [categories, failure] = co_await attempt(m_apiClient.getCategories());
    // Only the latest of overlapping loads (the screen is shown again while one is out) settles
    // the menu and the loading state.
    if (!self || serial != m_categoriesLoadSerial)
        co_return;
    // A failure only leaves the menu as it was: the path can always be typed in.
    if (categories)
        m_categories.setCategories(std::move(*categories));
    m_isLoadingCategories = false;
    Q_EMIT isLoadingCategoriesChanged();
}

void SettingsViewModel::startLoadCategories()
{
    loadCategories();
}

bool SettingsViewModel::isValidPort(const QString &text)
{
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(u'+') || digits.startsWith(u'-')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        return false;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
    }
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.mid(1);
    if (negative || digits.size() > 5)
        return false;
    const int value = digits.toInt();
    return value >= 1 && value <= 65535;
}

const ServerConfig *SettingsViewModel::savedServer(const QString &id) const
{
    const QUuid uuid = QUuid::fromString(id);
    if (uuid.isNull())
        return nullptr;
    const auto found = std::find_if(servers().cbegin(), servers().cend(),
                                    [&uuid](const ServerConfig &server) { return server.id == uuid; });
    return found == servers().cend() ? nullptr : &*found;
}

ServerProfile SettingsViewModel::profile(const QString &serverId) const
{
    const ServerConfig *server = savedServer(serverId);
    return server ? ServerProfile::of(*server) : ServerProfile{};
}

ServerProfile SettingsViewModel::activeProfile() const
{
    return m_activeServer ? ServerProfile::of(*m_activeServer) : ServerProfile{};
}
