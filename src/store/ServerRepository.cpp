// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeychainHelper.h"
#include "Logging.h"
#include "Persistence.h"
#include "ProfileRows.h"
#include "ProfileSecrets.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <limits>

using namespace profilerows;
using namespace profilesecrets;

namespace {

QVariant uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QVariant millisOrNull(const std::optional<QDateTime> &date)
{
    if (!date || !date->isValid())
        return QVariant(QMetaType::fromType<qlonglong>());
    return QVariant(qlonglong(date->toMSecsSinceEpoch()));
}

std::optional<QDateTime> dateFromMillis(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const qlonglong millis = value.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(millis);
}

// Runs the body inside one transaction; the body throws to roll everything back.
template <typename Body> void inTransaction(QSqlDatabase db, const QString &operation, Body &&body)
{
    if (!db.transaction())
        throw StoreError(operation, db.lastError().text());
    try {
        body(db);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) {
        const QString reason = db.lastError().text();
        db.rollback();
        throw StoreError(operation, reason);
    }
}

QSqlQuery run(QSqlDatabase &db, const QString &operation, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw StoreError(operation, query.lastError().text());
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError(operation, query.lastError().text());
    return query;
}

bool exists(QSqlDatabase &db, const QString &operation, const QUuid &id)
{
    QSqlQuery query =
        run(db, operation, QStringLiteral("SELECT 1 FROM ServerConfigEntity WHERE id = ? LIMIT 1"),
            {uuidText(id)});
    return query.next();
}

struct StoredRow
{
    bool isActive = false;
    qsizetype headerCount = 0; // header names the row has, so header values it may have
};

std::optional<StoredRow> storedRow(QSqlDatabase &db, const QString &operation, const QUuid &id)
{
    QSqlQuery query =
        run(db, operation,
            QStringLiteral("SELECT isActive, proxyHeaderNames FROM ServerConfigEntity WHERE id = "
                           "? ORDER BY rowid LIMIT 1"),
            {uuidText(id)});
    if (!query.next())
        return std::nullopt;
    return StoredRow{query.value(0).toBool(), headerNamesFrom(query.value(1)).size()};
}

void deactivateAll(QSqlDatabase &db)
{
    try {
        run(db, QCoreApplication::translate("ServerRepository", "取消活动状态"),
            QStringLiteral("UPDATE ServerConfigEntity SET isActive = 0"));
    } catch (const AppError &error) {
        logLine(lcStore(), QStringLiteral("❌ 取消活动状态失败: ") + error.localizedDescription());
        throw;
    }
}

QString saveOperation()
{
    return QCoreApplication::translate("ServerRepository", "保存服务器失败");
}

} // namespace

ServerRepository::ServerRepository(PersistenceController &persistenceController,
                                   KeychainHelper &keychainHelper, QObject *parent)
    : QObject(parent), m_persistence(persistenceController), m_keychain(keychainHelper)
{
    loadServers();
}

ServerRepository &ServerRepository::shared()
{
    static auto *instance = new ServerRepository(PersistenceController::shared(), KeychainHelper::shared());
    return *instance;
}

void ServerRepository::loadServers()
{
    QList<ServerConfig> servers;
    try {
        if (!m_persistence.isOpen())
            throw StoreError(tr("加载服务器"), QStringLiteral("the profile store is not open"));
        QSqlDatabase db = m_persistence.database();
        QSqlQuery query = run(db, tr("加载服务器"),
                              QStringLiteral("SELECT id, isActive, createdAt, lastConnectedAt, %1 FROM "
                                             "ServerConfigEntity ORDER BY createdAt DESC, rowid DESC")
                                  .arg(settingColumns.join(QStringLiteral(", "))));
        const QDateTime now = QDateTime::currentDateTime();
        while (query.next()) {
            ServerConfig server;
            const QUuid id = QUuid::fromString(query.value(0).toString());
            server.id = id.isNull() ? QUuid::createUuid() : id;
            server.isActive = query.value(1).toBool();
            server.createdAt = dateFromMillis(query.value(2)).value_or(now);
            server.lastConnectedAt = dateFromMillis(query.value(3));
            readSettings(server, query, 4);
            servers.append(std::move(server));
        }
    } catch (const AppError &error) {
        logLine(lcStore(), QStringLiteral("❌ 加载服务器失败: ") + error.localizedDescription());
        return;
    }

    std::optional<ServerConfig> active;
    for (const ServerConfig &server : servers) {
        if (server.isActive) {
            active = server;
            break;
        }
    }
    qCDebug(lcStore).noquote() << "loaded" << servers.size() << "profiles, active:"
                               << (active ? active->id.toString(QUuid::WithoutBraces) : QStringLiteral("none"));
    if (m_servers != servers) {
        m_servers = std::move(servers);
        Q_EMIT serversChanged();
    }
    if (m_activeServer != active) {
        m_activeServer = std::move(active);
        Q_EMIT activeServerChanged();
    }
}

QCoro::Task<void> ServerRepository::addServer(ServerConfig server, ServerSecrets secrets)
{
    if (server.port < std::numeric_limits<qint32>::min() || server.port > std::numeric_limits<qint32>::max())
        throw StoreError(saveOperation(), QStringLiteral("the port %1 is out of range").arg(server.port));
    QPointer<ServerRepository> self(this);
    KeychainHelper &keychain = m_keychain;
    const SecretPlan plan =
        planSecrets(server, {std::move(secrets.password), std::move(secrets.proxyPassword),
                             std::move(secrets.headerValues), std::move(secrets.apiKey)});
    // The secrets go first: when the credential store refuses one, the database is untouched.
    const PreviousSecrets previous = co_await saveSecrets(keychain, plan.writes);
    if (!self) {
        co_await restoreSecrets(keychain, previous);
        throw RepositoryError(RepositoryError::Kind::saveFailed);
    }

    std::exception_ptr failure;
    try {
        inTransaction(m_persistence.database(), saveOperation(), [&](QSqlDatabase &db) {
            if (server.isActive)
                deactivateAll(db);
            run(db, saveOperation(),
                QStringLiteral(
                    "INSERT INTO ServerConfigEntity (id, isActive, createdAt, lastConnectedAt, %1) "
                    "VALUES (?, ?, ?, ?%2)")
                    .arg(settingColumns.join(QStringLiteral(", ")),
                         QStringLiteral(", ?").repeated(settingColumns.size())),
                QVariantList{
                    uuidText(server.id), server.isActive,
                    millisOrNull(server.createdAt.isValid() ? std::optional(server.createdAt) : std::nullopt),
                    millisOrNull(server.lastConnectedAt)} +
                    settingValues(server));
        });
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // The profile was not saved, so none of its secrets may stay behind.
        co_await restoreSecrets(keychain, previous);
        std::rethrow_exception(failure);
    }
    if (self)
        loadServers();
}

QCoro::Task<void> ServerRepository::updateServer(ServerConfig server, SecretChanges changes)
{
    QPointer<ServerRepository> self(this);
    KeychainHelper &keychain = m_keychain;
    {
        QSqlDatabase db = m_persistence.database();
        if (!exists(db, saveOperation(), server.id))
            throw RepositoryError(RepositoryError::Kind::serverNotFound);
    }

    SecretPlan plan = planSecrets(server, changes);
    const PreviousSecrets previous = co_await saveSecrets(keychain, plan.writes);
    if (!self) {
        co_await restoreSecrets(keychain, previous);
        throw RepositoryError(RepositoryError::Kind::saveFailed);
    }

    qsizetype storedHeaderCount = 0;
    std::exception_ptr failure;
    try {
        inTransaction(m_persistence.database(), saveOperation(), [&](QSqlDatabase &db) {
            const std::optional<StoredRow> stored = storedRow(db, saveOperation(), server.id);
            if (!stored)
                throw RepositoryError(RepositoryError::Kind::serverNotFound);
            storedHeaderCount = stored->headerCount;
            if (server.isActive && !stored->isActive)
                deactivateAll(db);
            run(db, saveOperation(),
                QStringLiteral(
                    "UPDATE ServerConfigEntity SET %1 = ?, isActive = ? WHERE rowid = (SELECT rowid "
                    "FROM ServerConfigEntity WHERE id = ? ORDER BY rowid LIMIT 1)")
                    .arg(settingColumns.join(QStringLiteral(" = ?, "))),
                settingValues(server) + QVariantList{server.isActive, uuidText(server.id)});
        });
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        co_await restoreSecrets(keychain, previous);
        std::rethrow_exception(failure);
    }
    if (self)
        loadServers();

    // Only once the row no longer needs them: the emptied secrets and those of settings that were
    // turned off or header names that were dropped. A failed delete leaves an unused entry.
    const QStringList used = usedAccounts(server);
    for (const QString &account :
         otherAccounts(server, std::max(storedHeaderCount, server.proxyHeaderNames.size()))) {
        if (!used.contains(account))
            plan.removals.append(account);
    }
    for (const QString &account : std::as_const(plan.removals))
        co_await keychain.deletePassword(account);
}

QCoro::Task<void> ServerRepository::deleteServer(QUuid id)
{
    QPointer<ServerRepository> self(this);
    KeychainHelper &keychain = m_keychain;
    const QString operation = tr("删除服务器失败");
    qsizetype headerCount = 0;
    // The row goes first: a failed delete keeps both the profile and its secrets.
    inTransaction(m_persistence.database(), operation, [&](QSqlDatabase &db) {
        const std::optional<StoredRow> stored = storedRow(db, operation, id);
        if (!stored)
            throw RepositoryError(RepositoryError::Kind::serverNotFound);
        headerCount = stored->headerCount;
        run(db, operation,
            QStringLiteral(
                "DELETE FROM ServerConfigEntity WHERE rowid = (SELECT rowid FROM ServerConfigEntity "
                "WHERE id = ? ORDER BY rowid LIMIT 1)"),
            {uuidText(id)});
    });
    if (self)
        loadServers();
    ServerConfig removed;
    removed.id = id;
    co_await keychain.deletePassword(removed.accountName());
    for (const QString &account : otherAccounts(removed, headerCount))
        co_await keychain.deletePassword(account);
}

QCoro::Task<std::optional<ServerSecrets>> ServerRepository::loadSecrets(ServerConfig server)
{
    KeychainHelper &keychain = m_keychain;
    ServerSecrets secrets;
    // The key replaces the login, so a profile with one needs no password.
    if (server.useApiKey) {
        const std::optional<QString> apiKey =
            co_await keychain.getPassword(server.secretAccount(ServerConfig::Secret::apiKey));
        if (!apiKey)
            co_return std::nullopt;
        secrets.apiKey = *apiKey;
    } else {
        const std::optional<QString> password = co_await keychain.getPassword(server.accountName());
        if (!password)
            co_return std::nullopt;
        secrets.password = *password;
    }
    if (server.proxyAuthentication == ProxyAuthentication::basic) {
        secrets.proxyPassword =
            (co_await keychain.getPassword(server.secretAccount(ServerConfig::Secret::proxyPassword)))
                .value_or(QString());
    }
    if (server.proxyAuthentication == ProxyAuthentication::headers) {
        for (qsizetype i = 0; i < server.proxyHeaderNames.size(); ++i) {
            secrets.headerValues.append((co_await keychain.getPassword(
                                             server.secretAccount(ServerConfig::Secret::headerValue, int(i))))
                                            .value_or(QString()));
        }
    }
    co_return secrets;
}

void ServerRepository::setActiveServer(QUuid id)
{
    const QString operation = tr("激活服务器失败");
    inTransaction(m_persistence.database(), operation, [&](QSqlDatabase &db) {
        deactivateAll(db);
        if (!exists(db, operation, id))
            throw RepositoryError(RepositoryError::Kind::serverNotFound);
        run(db, operation,
            QStringLiteral("UPDATE ServerConfigEntity SET isActive = 1, lastConnectedAt = ? WHERE rowid = "
                           "(SELECT rowid FROM ServerConfigEntity WHERE id = ? ORDER BY rowid LIMIT 1)"),
            {qlonglong(QDateTime::currentMSecsSinceEpoch()), uuidText(id)});
    });
    loadServers();
}
