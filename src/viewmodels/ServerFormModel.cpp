// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ServerFormModel.h"

#include "ErrorState.h"
#include "Logging.h"
#include "SettingsViewModel.h"
#include "api/CertificateError.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QFile>
#include <QSslCertificate>

#include <algorithm>

namespace {

// Larger files are no certificate anyone would choose.
constexpr qint64 maxCertificateFileBytes = 1024 * 1024;

// Shown translated; the log keeps the source text.
const char *const unreadableHeader =
    QT_TRANSLATE_NOOP("ServerFormModel", "无法读取已保存的请求头，请重新输入其值");

} // namespace

ServerFormModel::ServerFormModel(QObject *parent)
    : QObject(parent), m_base(ServerConfig::create({}, {}, 0, {}, false))
{
    connect(this, &ServerFormModel::headersChanged, this, &ServerFormModel::changed);
}

ServerFormModel::~ServerFormModel() = default;

void ServerFormModel::setSettings(SettingsViewModel *settings)
{
    if (m_settings == settings)
        return;
    m_settings = settings;
    Q_EMIT settingsChanged();
}

void ServerFormModel::setCertificateTrust(int trust)
{
    const int highest = hasPin() ? int(CertificateTrust::pinned) : int(CertificateTrust::customCA);
    trust = std::clamp(trust, 0, highest);
    if (trust == m_certificateTrust)
        return;
    m_certificateTrust = trust;
    Q_EMIT changed();
}

bool ServerFormModel::portValid() const
{
    return SettingsViewModel::isValidPort(m_port);
}

QString ServerFormModel::advancedProblem() const
{
    const auto proxy = ProxyAuthentication(m_proxyAuthentication);
    const bool keptBasic = m_isEditing && m_base.proxyAuthentication == ProxyAuthentication::basic;
    if (m_useApiKey && proxy == ProxyAuthentication::basic)
        return tr("API 密钥和代理的 HTTP Basic 身份验证都使用 Authorization 请求头，不能同时启用");
    if (m_pathPrefix.contains(u'?') || m_pathPrefix.contains(u'#'))
        return tr("路径前缀不能包含 ? 或 #");
    if (CertificateTrust(m_certificateTrust) == CertificateTrust::customCA) {
        if (!m_caError.isEmpty())
            return m_caError;
        if (m_caCertificate.isEmpty())
            return tr("请选择 CA 证书文件");
    }
    if (proxy == ProxyAuthentication::basic) {
        if (m_proxyUsername.isEmpty())
            return tr("请填写代理用户名");
        if (m_proxyPassword.isEmpty() && !keptBasic)
            return tr("请填写代理密码");
        if (m_proxyPassword.contains(u'\r') || m_proxyPassword.contains(u'\n') ||
            m_proxyUsername.contains(u':'))
            return tr("代理用户名不能包含冒号，密码不能包含换行");
    }
    if (proxy == ProxyAuthentication::headers) {
        if (const QString problem = headerProblem(); !problem.isEmpty())
            return problem;
    }
    if (m_useApiKey && m_apiKey.isEmpty() && !(m_isEditing && m_base.useApiKey))
        return tr("请填写 API 密钥");
    return {};
}

bool ServerFormModel::canSave() const
{
    // With an API key the login name and password are not used.
    const bool login = m_useApiKey || (!m_username.isEmpty() && (m_isEditing || !m_password.isEmpty()));
    return !m_name.isEmpty() && !m_host.isEmpty() && portValid() && login && advancedProblem().isEmpty() &&
           !m_isSaving;
}

bool ServerFormModel::load(const QString &serverId)
{
    const ServerConfig *saved = m_settings ? m_settings->savedServer(serverId) : nullptr;
    if (!saved)
        return false;
    m_base = *saved;
    m_isEditing = true;
    m_name = saved->name;
    m_host = saved->host;
    m_port = QString::number(saved->port);
    m_username = saved->username;
    m_password.clear();
    m_useHTTPS = saved->useHTTPS;
    m_pathPrefix = saved->pathPrefix;
    m_certificateTrust = int(saved->certificateTrust);
    m_caCertificate = saved->caCertificate;
    m_caError.clear();
    m_pinnedCertificate = saved->pinnedCertificate;
    m_pinnedFingerprint = saved->pinnedFingerprint;
    m_proxyAuthentication = int(saved->proxyAuthentication);
    m_proxyUsername = saved->proxyUsername;
    m_proxyPassword.clear();
    m_headers.clear();
    for (int i = 0; i < saved->proxyHeaderNames.size(); ++i)
        m_headers.append({saved->proxyHeaderNames.at(i), {}, i});
    m_useApiKey = saved->useApiKey;
    m_apiKey.clear();
    Q_EMIT headersChanged();
    return true;
}

void ServerFormModel::normalizePathPrefix()
{
    const QString normalized = ServerConfig::normalizedPathPrefix(m_pathPrefix);
    if (normalized == m_pathPrefix)
        return;
    m_pathPrefix = normalized;
    Q_EMIT changed();
}

void ServerFormModel::chooseCaFile(const QUrl &file)
{
    QFile in(file.isLocalFile() ? file.toLocalFile() : file.toString());
    QByteArray bytes;
    if (in.size() <= maxCertificateFileBytes && in.open(QIODevice::ReadOnly))
        bytes = in.read(maxCertificateFileBytes);
    const QList<QSslCertificate> found = CertificateError::certificatesIn(bytes);
    if (found.isEmpty() || found.first().isNull()) {
        m_caCertificate.clear();
        m_caError = tr("不是有效的证书文件");
    } else {
        m_caCertificate = bytes;
        m_caError.clear();
    }
    Q_EMIT changed();
}

QString ServerFormModel::caSubject() const
{
    const QList<QSslCertificate> found = CertificateError::certificatesIn(m_caCertificate);
    return found.isEmpty() ? QString() : certificateName(found.first());
}

void ServerFormModel::forgetPin()
{
    m_pinnedCertificate.clear();
    m_pinnedFingerprint.clear();
    if (CertificateTrust(m_certificateTrust) == CertificateTrust::pinned)
        m_certificateTrust = int(CertificateTrust::system);
    Q_EMIT changed();
}

ServerConfig ServerFormModel::profile() const
{
    ServerConfig server = m_base;
    server.name = m_name;
    server.host = m_host;
    server.port = m_port.toLongLong();
    server.username = m_username;
    server.useHTTPS = m_useHTTPS;
    server.pathPrefix = ServerConfig::normalizedPathPrefix(m_pathPrefix);
    server.certificateTrust = CertificateTrust(m_certificateTrust);
    const bool customCA = server.certificateTrust == CertificateTrust::customCA;
    const bool pinned = server.certificateTrust == CertificateTrust::pinned;
    server.caCertificate = customCA ? m_caCertificate : QByteArray();
    server.pinnedCertificate = pinned ? m_pinnedCertificate : QByteArray();
    server.pinnedFingerprint = pinned ? m_pinnedFingerprint : QString();
    server.proxyAuthentication = ProxyAuthentication(m_proxyAuthentication);
    const bool basic = server.proxyAuthentication == ProxyAuthentication::basic;
    server.proxyUsername = basic ? m_proxyUsername : QString();
    server.proxyHeaderNames.clear();
    if (server.proxyAuthentication == ProxyAuthentication::headers) {
        for (const HeaderRow &row : m_headers)
            server.proxyHeaderNames.append(row.name.trimmed());
    }
    server.useApiKey = m_useApiKey;
    return server;
}

QCoro::Task<std::optional<QString>> ServerFormModel::saved(QString account)
{
    if (!m_isEditing || !m_settings)
        co_return QString();
    co_return co_await m_settings->repository().keychainHelper().getPassword(std::move(account));
}

QCoro::Task<std::optional<ServerSecrets>> ServerFormModel::secretsForUse()
{
    QPointer<ServerFormModel> self(this);
    // Copies first: the form may change or go while the saved values are read.
    const ServerConfig base = m_base;
    const QList<HeaderRow> headers = m_headers;
    ServerSecrets secrets{m_password, m_proxyPassword, {}, m_apiKey};
    if (secrets.password.isEmpty())
        secrets.password = (co_await saved(base.accountName())).value_or(QString());
    if (self && secrets.proxyPassword.isEmpty())
        secrets.proxyPassword =
            (co_await saved(base.secretAccount(ServerConfig::Secret::proxyPassword))).value_or(QString());
    if (self && secrets.apiKey.isEmpty() && m_useApiKey)
        secrets.apiKey =
            (co_await saved(base.secretAccount(ServerConfig::Secret::apiKey))).value_or(QString());
    for (const HeaderRow &row : headers) {
        QString value = row.value;
        if (self && value.isEmpty() && row.savedIndex >= 0) {
            // Sent or written as empty, the header would be dropped from the profile.
            const std::optional<QString> stored =
                co_await saved(base.secretAccount(ServerConfig::Secret::headerValue, row.savedIndex));
            if (!stored)
                co_return std::nullopt;
            value = *stored;
        }
        secrets.headerValues.append(value);
    }
    co_return secrets;
}

QCoro::Task<std::optional<SecretChanges>> ServerFormModel::secretChanges()
{
    const auto proxy = ProxyAuthentication(m_proxyAuthentication);
    const auto given = [](const QString &text) {
        return text.isEmpty() ? std::nullopt : std::optional(text);
    };
    SecretChanges changes;
    changes.password = given(m_password);
    changes.proxyPassword = proxy == ProxyAuthentication::basic ? given(m_proxyPassword) : QString();
    changes.apiKey = m_useApiKey ? given(m_apiKey) : QString();
    if (proxy != ProxyAuthentication::headers)
        changes.headerValues = QStringList();
    else if (!headersUnchanged()) {
        // Rows moved, went or came: the whole list is written, saved values where none was typed.
        const std::optional<ServerSecrets> secrets = co_await secretsForUse();
        if (!secrets)
            co_return std::nullopt;
        changes.headerValues = secrets->headerValues;
    }
    co_return changes;
}

QCoro::Task<bool> ServerFormModel::saveProfile()
{
    QPointer<ServerFormModel> self(this);
    const QPointer<SettingsViewModel> settings = m_settings;
    if (!settings || !canSave())
        co_return false;
    normalizePathPrefix();
    m_isSaving = true;
    Q_EMIT changed();
    ServerConfig server = profile();
    bool saved = false;
    if (m_isEditing) {
        const std::optional<SecretChanges> changes = co_await secretChanges();
        if (!changes && self) {
            logLine(lcViewModels(), QStringLiteral("❌ 更新服务器失败: ") + unreadableHeader);
            showFailure(tr(unreadableHeader));
        } else if (changes && self && settings) {
            saved = co_await settings->updateServer(std::move(server), *changes);
        }
    } else {
        // The very first profile becomes the active one.
        server.isActive = settings->servers().isEmpty();
        const std::optional<ServerSecrets> secrets = co_await secretsForUse();
        if (secrets && self && settings)
            saved = co_await settings->addServer(std::move(server), *secrets);
    }
    if (self) {
        m_isSaving = false;
        Q_EMIT changed();
    }
    co_return saved;
}

QCoro::QmlTask ServerFormModel::save()
{
    return saveProfile();
}

QCoro::Task<void> ServerFormModel::runTest()
{
    QPointer<ServerFormModel> self(this);
    const QPointer<SettingsViewModel> settings = m_settings;
    if (!settings || m_isTesting)
        co_return;
    m_isTesting = true;
    m_hasTestResult = false;
    m_certificateError.reset();
    m_prompt = {};
    Q_EMIT testChanged();
    const ServerConfig server = profile();
    const std::optional<ServerSecrets> secrets = co_await secretsForUse();
    if (!self || !settings)
        co_return;
    if (!secrets) {
        m_isTesting = false;
        showFailure(tr(unreadableHeader));
        co_return;
    }
    const SettingsViewModel::TestResult result = co_await settings->testConnection(server, *secrets);
    if (!self)
        co_return;
    m_isTesting = false;
    m_hasTestResult = true;
    m_testSucceeded = result.success;
    m_testError = errorTexts(result.error).message;
    m_certificateError = std::dynamic_pointer_cast<const CertificateError>(result.error);
    if (m_certificateError)
        m_prompt = CertificatePrompt::of(*m_certificateError);
    Q_EMIT testChanged();
}

void ServerFormModel::showFailure(const QString &message)
{
    m_hasTestResult = true;
    m_testSucceeded = false;
    m_testError = message;
    Q_EMIT testChanged();
}

void ServerFormModel::test()
{
    runTest();
}

void ServerFormModel::trustCertificate()
{
    if (!m_certificateError || !m_certificateError->canBeTrusted())
        return;
    m_pinnedCertificate = m_certificateError->certificate().toDer();
    m_pinnedFingerprint = m_certificateError->presentedFingerprint();
    m_certificateTrust = int(CertificateTrust::pinned);
    Q_EMIT changed();
    runTest();
}

void ServerFormModel::dismissCertificate()
{
    m_certificateError.reset();
    m_prompt = {};
    Q_EMIT testChanged();
}
