// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"
#include "model/ServerConfig.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QUuid>

#include <qcoro/qcorotask.h>

#include <optional>

class KeychainHelper;

class RepositoryError final : public AppError
{
public:
    enum class Kind { serverNotFound, saveFailed };
    explicit RepositoryError(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    QString localizedDescription() const override; // "服务器未找到" / "保存失败"
    ErrorPtr clone() const override { return std::make_shared<RepositoryError>(*this); }

private:
    Kind m_kind;
};

// A failure of the profile database itself, with SQLite's own message.
class StoreError final : public AppError
{
public:
    StoreError(QString operation, QString message)
        : m_operation(std::move(operation)), m_message(std::move(message))
    {}

    const QString &operation() const { return m_operation; }
    const QString &message() const { return m_message; }
    QString localizedDescription() const override; // "<operation>: <message>"
    ErrorPtr clone() const override { return std::make_shared<StoreError>(*this); }

private:
    QString m_operation;
    QString m_message;
};

// Owns the SQLite file of the saved server profiles (Seedwhirl.sqlite), its schema and its
// migrations. A file that cannot be opened, is not a database, is damaged or comes from a newer
// release is reported and left exactly as it is; a new empty store is never put in its place.
class PersistenceController
{
public:
    static constexpr int schemaVersion = 2;
    static constexpr const char *fileName = "Seedwhirl.sqlite";

    explicit PersistenceController(QString filePath);
    ~PersistenceController();
    PersistenceController(const PersistenceController &) = delete;
    PersistenceController &operator=(const PersistenceController &) = delete;

    // The store in the application data folder. openShared() opens it once and returns the
    // start-up report on failure (nothing when the store is ready).
    static PersistenceController &shared();
    static std::optional<QString> openShared();
    static QString defaultFilePath();

    // Opens the file, creating it (and its folder) when missing, and migrates the schema.
    // Returns the report of a failure; the file is then closed and untouched.
    std::optional<QString> open();
    bool isOpen() const { return m_isOpen; }
    const QString &filePath() const { return m_filePath; }
    // The main-thread connection every operation uses.
    QSqlDatabase database() const;

private:
    std::optional<QString> migrate(QSqlDatabase &db);

    QString m_filePath;
    QString m_connectionName;
    bool m_isOpen = false;
};

// Changes to a profile's secrets: an absent field keeps what is stored, a present one replaces
// it (an empty text or list removes it; an empty password is kept, as a password of its own).
struct SecretChanges
{
    std::optional<QString> password;
    std::optional<QString> proxyPassword;
    std::optional<QStringList> headerValues;
    std::optional<QString> apiKey;
};

// The saved server profiles and the active one. Every change is all or nothing: a refused
// password write or a failed database write leaves both stores as they were.
class ServerRepository : public QObject
{
    Q_OBJECT

public:
    ServerRepository(PersistenceController &persistenceController, KeychainHelper &keychainHelper,
                     QObject *parent = nullptr);
    static ServerRepository &shared();

    const QList<ServerConfig> &servers() const { return m_servers; }
    const std::optional<ServerConfig> &activeServer() const { return m_activeServer; }
    PersistenceController &persistenceController() const { return m_persistence; }
    KeychainHelper &keychainHelper() const { return m_keychain; }

    // Newest first; the active profile is the first one marked active. Never throws.
    void loadServers();
    // These throw KeychainError, RepositoryError or StoreError. Secrets the profile does not
    // use (a proxy password without Basic authentication, header values beyond its header
    // names, an API key it does not use) are not kept.
    QCoro::Task<void> addServer(ServerConfig server, ServerSecrets secrets);
    QCoro::Task<void> addServer(ServerConfig server, QString password)
    {
        return addServer(std::move(server), ServerSecrets{std::move(password), {}, {}, {}});
    }
    QCoro::Task<void> updateServer(ServerConfig server, SecretChanges changes);
    // An absent password keeps the stored one; an empty one replaces it.
    QCoro::Task<void> updateServer(ServerConfig server, std::optional<QString> password)
    {
        return updateServer(std::move(server), SecretChanges{std::move(password), {}, {}, {}});
    }
    // Removes the profile and every secret of it.
    QCoro::Task<void> deleteServer(QUuid id);
    // The secrets of a saved profile for connecting; absent when a secret it needs is missing
    // from the credential store (the password, or the API key when it uses one). Never throws.
    QCoro::Task<std::optional<ServerSecrets>> loadSecrets(ServerConfig server);
    void setActiveServer(QUuid id);

Q_SIGNALS:
    void serversChanged();
    void activeServerChanged();

private:
    PersistenceController &m_persistence;
    KeychainHelper &m_keychain;
    QList<ServerConfig> m_servers;
    std::optional<ServerConfig> m_activeServer;
};
