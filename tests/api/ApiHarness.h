// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A client wired to a local test server and a version manager of its own, with the passwords
// a re-login finds kept in memory, so that tests share no state with the application or with
// each other.

#include "support/LogCapture.h"
#include "support/TaskRunner.h"
#include "support/TestHttpServer.h"

#include "api/APIVersionManager.h"
#include "api/NetworkError.h"
#include "api/QBittorrentAPIClient.h"
#include "api/TransportError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// The operation without its result, for lists of operations of different result types.
template <typename T> QCoro::Task<void> discard(QCoro::Task<T> task)
{
    co_await std::move(task);
}

inline bool isNetworkError(const ErrorPtr &error, NetworkError::Kind kind)
{
    const auto *network = dynamic_cast<const NetworkError *>(error.get());
    return network && network->kind() == kind;
}

inline QString describe(const ErrorPtr &error)
{
    return error ? error->debugDescription() : QStringLiteral("(no error)");
}

// How an operation ended, in the error's own debug words ("serverError(404)", "unauthorized"),
// so that tables can name the outcome they expect and a failure shows what happened instead.
template <typename T> QString verdict(const Outcome<T> &outcome)
{
    return !outcome.finished ? QStringLiteral("unfinished") : outcome.error ? describe(outcome.error) : "ok";
}

#define VERIFY_OK(outcome) QCOMPARE(verdict(outcome), QStringLiteral("ok"))

// The rows of a table of api-cases.json as data rows, each named by its "name" and passed whole
// as the column "row".
inline void rowsFrom(const char *table)
{
    QFile file(QFINDTESTDATA("api-cases.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QTest::addColumn<QJsonObject>("row");
    for (const QJsonValue row : QJsonDocument::fromJson(file.readAll())[QLatin1String(table)].toArray())
        QTest::newRow(qPrintable(row["name"].toString())) << row.toObject();
}

// The body of a row: "body" is text sent as UTF-8, "bytes" raw bytes written as Latin-1 text.
inline QByteArray bytesOf(const QJsonObject &row)
{
    return row.contains("bytes") ? row["bytes"].toString().toLatin1() : row["body"].toString().toUtf8();
}

// The answer a row describes: "status", the body, and optionally "type" (Content-Type) and
// "challenge" (WWW-Authenticate).
inline TestResponse answerOf(const QJsonObject &row)
{
    TestResponse answer = TestResponse::withStatus(row["status"].toInt(), bytesOf(row));
    if (row.contains("type"))
        answer.withHeader("Content-Type", row["type"].toString().toLatin1());
    if (row.contains("challenge"))
        answer.withHeader("WWW-Authenticate", row["challenge"].toString().toLatin1());
    return answer;
}

struct ApiHarness
{
    static inline const QString password = QStringLiteral("s3cret pässword&=+%");
    static inline const QByteArray sid = QByteArrayLiteral("harnessSid0123456789");
    static inline const QByteArray loginPath = QByteArrayLiteral("/api/v2/auth/login");
    static inline const QByteArray versionPath = QByteArrayLiteral("/api/v2/app/version");

    TestHttpServer server;
    APIVersionManager versions;
    QBittorrentAPIClient client{versions};
    ServerConfig profile = server.serverConfig();
    QHash<QString, QString> passwords; // what a re-login finds, by account
    QStringList readAccounts;          // the accounts a re-login asked for

    // A qBittorrent-like server that knows `password` and answers the version `version`.
    explicit ApiHarness(const QByteArray &version = QByteArrayLiteral("v4.5.2"))
    {
        server.emulateLogin(profile.username, password, sid);
        server.on(versionPath, TestResponse::text(version));
        client.setPasswordProvider(provider());
    }

    PasswordProvider provider()
    {
        return [this](QString account) -> QCoro::Task<std::optional<QString>> {
            readAccounts.append(account);
            co_return passwords.contains(account) ? std::optional(passwords[account]) : std::nullopt;
        };
    }

    // Keeps the password where a re-login looks for it.
    void storePassword(const QString &value = password) { passwords.insert(profile.accountName(), value); }

    // Logs in and forgets the requests of the login.
    bool connect()
    {
        const bool ok = runTask(client.login(profile, password)).ok() && client.isAuthenticated();
        server.clearRequests();
        return ok;
    }

    qsizetype loginCount() const { return server.requestsTo(loginPath).size(); }
};
