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

#include <QHash>
#include <QStringList>
#include <QTest>

#include <memory>

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

// Verifies that an outcome failed with the given NetworkError kind.
#define VERIFY_NETWORK_ERROR(outcome, networkKind)                                                           \
    do {                                                                                                     \
        const auto &outcome_ = (outcome);                                                                    \
        QVERIFY2(outcome_.finished, "the operation did not finish");                                         \
        QVERIFY2(isNetworkError(outcome_.error, networkKind), qPrintable(describe(outcome_.error)));         \
    } while (false)

#define VERIFY_OK(outcome)                                                                                   \
    do {                                                                                                     \
        const auto &outcome_ = (outcome);                                                                    \
        QVERIFY2(outcome_.finished, "the operation did not finish");                                         \
        QVERIFY2(!outcome_.error, qPrintable(describe(outcome_.error)));                                     \
    } while (false)

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
            const auto found = passwords.constFind(account);
            co_return found == passwords.constEnd() ? std::nullopt : std::optional<QString>(*found);
        };
    }

    // Keeps the password where a re-login looks for it.
    bool storePassword(const QString &value = password)
    {
        passwords.insert(profile.accountName(), value);
        return true;
    }

    // Logs in and forgets the requests and log lines of the login.
    bool connect(LogCapture *log = nullptr)
    {
        const bool ok = runTask(client.login(profile, password)).ok() && client.isAuthenticated();
        server.clearRequests();
        if (log)
            log->clear();
        return ok;
    }

    qsizetype loginCount() const { return server.requestsTo(loginPath).size(); }
};

// No captured line may carry a credential or the session id.
inline void verifyNoSecretsIn(const LogCapture &log, const QStringList &secrets)
{
    for (const QString &line : log.lines()) {
        for (const QString &secret : secrets)
            QVERIFY2(!line.contains(secret), qPrintable(QStringLiteral("secret in log line: ") + line));
    }
}
