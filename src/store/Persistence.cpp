// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Persistence.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <atomic>
#include <span>

QString RepositoryError::localizedDescription() const
{
    return m_kind == Kind::serverNotFound ? QCoreApplication::translate("RepositoryError", "服务器未找到")
                                          : QCoreApplication::translate("RepositoryError", "保存失败");
}

QString StoreError::localizedDescription() const
{
    return m_operation + QStringLiteral(": ") + m_message;
}

namespace {

QString describe(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

// One step per schema version; step i turns version i into version i + 1. A step's statements
// run in one transaction together with the version bump, so a step that fails halfway leaves
// the file as it was.
const char *const schema1[] = {
    "CREATE TABLE ServerConfigEntity ("
    " id TEXT,"
    " name TEXT,"
    " host TEXT,"
    " port INTEGER NOT NULL DEFAULT 0,"
    " username TEXT,"
    " useHTTPS INTEGER NOT NULL DEFAULT 0,"
    " isActive INTEGER NOT NULL DEFAULT 0,"
    " createdAt INTEGER,"      // milliseconds since 1970, UTC
    " lastConnectedAt INTEGER" // milliseconds since 1970, UTC
    ")",
};
// Connections through a reverse proxy, certificate trust and API keys. No secret is a column.
const char *const schema2[] = {
    "ALTER TABLE ServerConfigEntity ADD COLUMN pathPrefix TEXT",
    "ALTER TABLE ServerConfigEntity ADD COLUMN certificateTrust INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE ServerConfigEntity ADD COLUMN caCertificate BLOB",
    "ALTER TABLE ServerConfigEntity ADD COLUMN pinnedCertificate BLOB",
    "ALTER TABLE ServerConfigEntity ADD COLUMN pinnedFingerprint TEXT",
    "ALTER TABLE ServerConfigEntity ADD COLUMN proxyAuthentication INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE ServerConfigEntity ADD COLUMN proxyUsername TEXT",
    "ALTER TABLE ServerConfigEntity ADD COLUMN proxyHeaderNames TEXT", // a JSON array of strings
    "ALTER TABLE ServerConfigEntity ADD COLUMN useApiKey INTEGER NOT NULL DEFAULT 0",
};
const std::span<const char *const> migrationSteps[] = {schema1, schema2};
static_assert(std::size(migrationSteps) == PersistenceController::schemaVersion);

} // namespace

PersistenceController::PersistenceController(QString filePath) : m_filePath(std::move(filePath))
{
    static std::atomic<int> serial{0};
    m_connectionName = QStringLiteral("seedwhirl-store-%1").arg(serial++);
}

PersistenceController::~PersistenceController()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

QString PersistenceController::defaultFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QLatin1String(fileName));
}

PersistenceController &PersistenceController::shared()
{
    static auto *instance = new PersistenceController(defaultFilePath());
    return *instance;
}

std::optional<QString> PersistenceController::openShared()
{
    PersistenceController &controller = shared();
    if (controller.isOpen())
        return std::nullopt;
    return controller.open();
}

QSqlDatabase PersistenceController::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

std::optional<QString> PersistenceController::open()
{
    const auto failure = [this](const QString &reason) -> std::optional<QString> {
        if (QSqlDatabase::contains(m_connectionName)) {
            QSqlDatabase::database(m_connectionName, false).close();
            QSqlDatabase::removeDatabase(m_connectionName);
        }
        m_isOpen = false;
        return QStringLiteral("Profile store error: cannot open %1: %2").arg(m_filePath, reason);
    };

    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath()))
        return failure(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(m_filePath);
        if (!db.open())
            return failure(describe(db.lastError()));

        QSqlQuery query(db);
        // The first statement reads the header: a file that is not a database fails here.
        if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
            return failure(describe(query.lastError()));
        if (const QString verdict = query.value(0).toString(); verdict != QLatin1String("ok"))
            return failure(QStringLiteral("the database is damaged (%1)").arg(verdict));
        query.finish();
        if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            return failure(describe(query.lastError()));
        query.finish();
        if (!query.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
            return failure(describe(query.lastError()));
        query.finish();
        if (const auto migrationFailure = migrate(db))
            return failure(*migrationFailure);
    }
    m_isOpen = true;
    return std::nullopt;
}

std::optional<QString> PersistenceController::migrate(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return describe(query.lastError());
    const int version = query.value(0).toInt();
    query.finish();
    if (version > schemaVersion)
        return QStringLiteral("the store was written by a newer release (schema %1, this release knows %2)")
            .arg(version)
            .arg(schemaVersion);

    qCDebug(lcStore).noquote() << "profile store at schema" << version << "of" << schemaVersion;
    for (int step = version; step < schemaVersion; ++step) {
        if (!db.transaction())
            return describe(db.lastError());
        QSqlQuery migration(db);
        bool ok = true;
        for (const char *statement : migrationSteps[step])
            ok = ok && migration.exec(QString::fromLatin1(statement));
        ok = ok && migration.exec(QStringLiteral("PRAGMA user_version = %1").arg(step + 1));
        if (!ok) {
            const QString reason = describe(migration.lastError());
            db.rollback();
            return reason;
        }
        if (!db.commit()) {
            const QString reason = describe(db.lastError());
            db.rollback();
            return reason;
        }
    }
    return std::nullopt;
}
