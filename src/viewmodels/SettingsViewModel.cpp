#include "SettingsViewModel.h"

#include "ErrorState.h"
#include "api/Attempt.h"
#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "api/TransportError.h"
#include "model/Log.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QPointer>

#include <algorithm>

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
    if (dynamic_cast<const NetworkError *>(error.get()))
        return error;
    return shared(NetworkError::networkError(error));
}

// Takes the repository, not the model: nothing here needs the model once the profile is built.
QCoro::Task<bool> addProfile(ServerRepository &repository, ServerConfig server, QString password)
{
    const ErrorPtr failure = co_await attempt(repository.addServer(std::move(server), std::move(password)));
    if (failure) {
        logLine(QStringLiteral("❌ 添加服务器失败: ") + failure->localizedDescription());
        co_return false;
    }
    co_return true;
}

QCoro::Task<QVariant> testResultMap(QCoro::Task<SettingsViewModel::TestResult> test)
{
    const SettingsViewModel::TestResult result = co_await std::move(test);
    co_return QVariant::fromValue(ConnectionTestResult{result.success, errorTexts(result.error).message});
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

QCoro::Task<void> SettingsViewModel::updateServer(ServerConfig server, std::optional<QString> password)
{
    QPointer<SettingsViewModel> self(this);
    const ErrorPtr failure =
        co_await attempt(m_repository.updateServer(std::move(server), std::move(password)));
    if (!failure)
        co_return;
    logLine(QStringLiteral("❌ 更新服务器失败: ") + failure->localizedDescription());
    if (self)
        self->setError(failure);
}

QCoro::Task<void> SettingsViewModel::deleteServer(QUuid id)
{
    QPointer<SettingsViewModel> self(this);
    const ErrorPtr failure = co_await attempt(m_repository.deleteServer(id));
    if (!failure)
        co_return;
    logLine(QStringLiteral("❌ 删除服务器失败: ") + failure->localizedDescription());
    if (self)
        self->setError(failure);
}

QCoro::Task<void> SettingsViewModel::connectToServer(ServerConfig server)
{
    QPointer<SettingsViewModel> self(this);
    const std::optional<QString> password =
        co_await m_repository.keychainHelper().getPassword(server.accountName());
    if (!self)
        co_return;
    if (!password) {
        setError(shared(NetworkError::unauthorized()));
        co_return;
    }

    m_isConnecting = true;
    Q_EMIT isConnectingChanged();
    const auto fail = [this](const ErrorPtr &error) {
        setError(error);
        logLine(QStringLiteral("❌ 连接服务器失败: ") + error->localizedDescription());
        m_isConnecting = false;
        Q_EMIT isConnectingChanged();
    };

    ErrorPtr failure = co_await attempt(m_apiClient.login(server, *password));
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
    logLine(QStringLiteral("✅ 成功连接到服务器: ") + server.name);
    m_isConnecting = false;
    Q_EMIT isConnectingChanged();
}

QCoro::Task<SettingsViewModel::TestResult> SettingsViewModel::testConnection(ServerConfig server,
                                                                             QString password)
{
    // Only the client is used, and only before the first suspension: the result stays valid
    // whatever happens to the model meanwhile.
    const ErrorPtr failure =
        co_await attempt(m_apiClient.testConnection(std::move(server), std::move(password)));
    if (!failure)
        co_return TestResult{true, nullptr};
    co_return TestResult{false, connectionTestError(failure)};
}

QCoro::Task<void> SettingsViewModel::loadServerVersion()
{
    QPointer<SettingsViewModel> self(this);
    const auto [version, failure] = co_await attempt(m_apiClient.getVersion());
    if (failure) {
        logLine(QStringLiteral("❌ 加载服务器版本失败: ") + failure->localizedDescription());
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
    logLine(QStringLiteral("❌ 连接服务器失败: ") + error->localizedDescription());
}

void SettingsViewModel::remove(const QString &id)
{
    deleteServer(QUuid::fromString(id));
}

QCoro::QmlTask SettingsViewModel::addServer(const QString &name, const QString &host, int port,
                                            const QString &username, const QString &password, bool useHTTPS)
{
    ServerConfig server = ServerConfig::create(name, host, port, username, useHTTPS);
    // The very first profile becomes the active one.
    server.isActive = servers().isEmpty();
    return addProfile(m_repository, std::move(server), password);
}

QCoro::QmlTask SettingsViewModel::update(const QString &id, const QString &name, const QString &host,
                                         int port, const QString &username, bool useHTTPS,
                                         const QVariant &password)
{
    // Identity, activity and dates stay those of the saved profile; an id that is not in the
    // list reaches the repository as it is, which answers it with "server not found".
    ServerConfig server;
    server.id = QUuid::fromString(id);
    if (const ServerConfig *saved = savedServer(id))
        server = *saved;
    server.name = name;
    server.host = host;
    server.port = port;
    server.username = username;
    server.useHTTPS = useHTTPS;
    std::optional<QString> newPassword;
    if (password.isValid() && !password.isNull())
        newPassword = password.toString();
    return updateServer(std::move(server), std::move(newPassword));
}

QCoro::QmlTask SettingsViewModel::test(const QString &name, const QString &host, int port,
                                       const QString &username, const QString &password, bool useHTTPS)
{
    return testResultMap(
        testConnection(ServerConfig::create(name, host, port, username, useHTTPS), password));
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
