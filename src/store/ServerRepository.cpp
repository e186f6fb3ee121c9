#include "KeychainHelper.h"
#include "Persistence.h"
#include "model/Log.h"

#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <limits>

namespace {

QVariant uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QVariant textOrNull(const QString &text)
{
    return text.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
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

std::optional<bool> storedIsActive(QSqlDatabase &db, const QString &operation, const QUuid &id)
{
    QSqlQuery query =
        run(db, operation,
            QStringLiteral("SELECT isActive FROM ServerConfigEntity WHERE id = ? ORDER BY rowid LIMIT 1"),
            {uuidText(id)});
    if (!query.next())
        return std::nullopt;
    return query.value(0).toBool();
}

void deactivateAll(QSqlDatabase &db)
{
    try {
        run(db, QStringLiteral("取消活动状态"), QStringLiteral("UPDATE ServerConfigEntity SET isActive = 0"));
    } catch (const AppError &error) {
        logLine(QStringLiteral("❌ 取消活动状态失败: ") + error.localizedDescription());
        throw;
    }
}

const QString saveOperation = QStringLiteral("保存服务器失败");

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
            throw StoreError(QStringLiteral("加载服务器"), QStringLiteral("the profile store is not open"));
        QSqlDatabase db = m_persistence.database();
        QSqlQuery query =
            run(db, QStringLiteral("加载服务器"),
                QStringLiteral(
                    "SELECT id, name, host, port, username, useHTTPS, isActive, createdAt, lastConnectedAt "
                    "FROM ServerConfigEntity ORDER BY createdAt DESC, rowid DESC"));
        const QDateTime now = QDateTime::currentDateTime();
        while (query.next()) {
            ServerConfig server;
            const QUuid id = QUuid::fromString(query.value(0).toString());
            server.id = id.isNull() ? QUuid::createUuid() : id;
            server.name = query.value(1).toString();
            server.host = query.value(2).toString();
            server.port = query.value(3).toLongLong();
            server.username = query.value(4).toString();
            server.useHTTPS = query.value(5).toBool();
            server.isActive = query.value(6).toBool();
            server.createdAt = dateFromMillis(query.value(7)).value_or(now);
            server.lastConnectedAt = dateFromMillis(query.value(8));
            servers.append(std::move(server));
        }
    } catch (const AppError &error) {
        logLine(QStringLiteral("❌ 加载服务器失败: ") + error.localizedDescription());
        return;
    }

    std::optional<ServerConfig> active;
    for (const ServerConfig &server : servers) {
        if (server.isActive) {
            active = server;
            break;
        }
    }
    if (m_servers != servers) {
        m_servers = std::move(servers);
        Q_EMIT serversChanged();
    }
    if (m_activeServer != active) {
        m_activeServer = std::move(active);
        Q_EMIT activeServerChanged();
    }
}

QCoro::Task<void> ServerRepository::addServer(ServerConfig server, QString password)
{
    if (server.port < std::numeric_limits<qint32>::min() || server.port > std::numeric_limits<qint32>::max())
        throw StoreError(saveOperation, QStringLiteral("the port %1 is out of range").arg(server.port));
    QPointer<ServerRepository> self(this);
    const QString account = server.accountName();
    KeychainHelper &keychain = m_keychain;
    // The password goes first: when the credential store refuses it, the database is untouched.
    co_await keychain.savePassword(password, account);
    if (!self) {
        co_await keychain.deletePassword(account);
        throw RepositoryError(RepositoryError::Kind::saveFailed);
    }

    std::exception_ptr failure;
    try {
        inTransaction(m_persistence.database(), saveOperation, [&](QSqlDatabase &db) {
            if (server.isActive)
                deactivateAll(db);
            run(db, saveOperation,
                QStringLiteral(
                    "INSERT INTO ServerConfigEntity (id, name, host, port, username, useHTTPS, isActive, "
                    "createdAt, lastConnectedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {uuidText(server.id), textOrNull(server.name), textOrNull(server.host),
                 qlonglong(server.port), textOrNull(server.username), server.useHTTPS, server.isActive,
                 millisOrNull(server.createdAt.isValid() ? std::optional(server.createdAt) : std::nullopt),
                 millisOrNull(server.lastConnectedAt)});
        });
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // The profile was not saved, so its password must not stay behind.
        co_await keychain.deletePassword(account);
        std::rethrow_exception(failure);
    }
    if (self)
        loadServers();
}

QCoro::Task<void> ServerRepository::updateServer(ServerConfig server, std::optional<QString> password)
{
    QPointer<ServerRepository> self(this);
    KeychainHelper &keychain = m_keychain;
    const QString account = server.accountName();
    {
        QSqlDatabase db = m_persistence.database();
        if (!exists(db, saveOperation, server.id))
            throw RepositoryError(RepositoryError::Kind::serverNotFound);
    }

    std::optional<QString> previousPassword;
    if (password) {
        previousPassword = co_await keychain.getPassword(account);
        co_await keychain.savePassword(*password, account);
    }
    const auto restorePassword = [&]() -> QCoro::Task<void> {
        if (!password)
            co_return;
        if (previousPassword) {
            try {
                co_await keychain.savePassword(*previousPassword, account);
            } catch (...) {
            }
        } else {
            co_await keychain.deletePassword(account);
        }
    };
    if (!self) {
        co_await restorePassword();
        throw RepositoryError(RepositoryError::Kind::saveFailed);
    }

    std::exception_ptr failure;
    try {
        inTransaction(m_persistence.database(), saveOperation, [&](QSqlDatabase &db) {
            const std::optional<bool> wasActive = storedIsActive(db, saveOperation, server.id);
            if (!wasActive)
                throw RepositoryError(RepositoryError::Kind::serverNotFound);
            if (server.isActive && !*wasActive)
                deactivateAll(db);
            run(db, saveOperation,
                QStringLiteral(
                    "UPDATE ServerConfigEntity SET name = ?, host = ?, port = ?, username = ?, "
                    "useHTTPS = ?, isActive = ? WHERE rowid = (SELECT rowid FROM ServerConfigEntity "
                    "WHERE id = ? ORDER BY rowid LIMIT 1)"),
                {textOrNull(server.name), textOrNull(server.host), qlonglong(server.port),
                 textOrNull(server.username), server.useHTTPS, server.isActive, uuidText(server.id)});
        });
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        co_await restorePassword();
        std::rethrow_exception(failure);
    }
    if (self)
        loadServers();
}

QCoro::Task<void> ServerRepository::deleteServer(QUuid id)
{
    QPointer<ServerRepository> self(this);
    KeychainHelper &keychain = m_keychain;
    const QString operation = QStringLiteral("删除服务器失败");
    // The row goes first: a failed delete keeps both the profile and its password.
    inTransaction(m_persistence.database(), operation, [&](QSqlDatabase &db) {
        if (!exists(db, operation, id))
            throw RepositoryError(RepositoryError::Kind::serverNotFound);
        run(db, operation,
            QStringLiteral(
                "DELETE FROM ServerConfigEntity WHERE rowid = (SELECT rowid FROM ServerConfigEntity "
                "WHERE id = ? ORDER BY rowid LIMIT 1)"),
            {uuidText(id)});
    });
    if (self)
        loadServers();
    co_await keychain.deletePassword(id.toString(QUuid::WithoutBraces).toUpper());
}

void ServerRepository::setActiveServer(QUuid id)
{
    const QString operation = QStringLiteral("激活服务器失败");
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
