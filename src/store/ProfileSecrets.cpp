// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ProfileSecrets.h"

#include "KeychainHelper.h"
#include "Persistence.h"

#include <exception>

namespace profilesecrets {

namespace {

// The failure of a task, kept as a value so that no co_await sits inside a try block: GCC 12
// corrupts the frame when an awaited temporary throws there. The task is a parameter, so the
// awaited object outlives the handler. (A task cannot carry an exception_ptr bare.)
struct Failure
{
    std::exception_ptr error;
};

QCoro::Task<Failure> failureOf(QCoro::Task<void> task)
{
    Failure failure;
    try {
        co_await std::move(task);
    } catch (...) {
        failure.error = std::current_exception();
    }
    co_return failure;
}

} // namespace

QStringList usedAccounts(const ServerConfig &server)
{
    QStringList accounts;
    if (server.proxyAuthentication == ProxyAuthentication::basic)
        accounts.append(server.secretAccount(ServerConfig::Secret::proxyPassword));
    if (server.proxyAuthentication == ProxyAuthentication::headers) {
        for (qsizetype i = 0; i < server.proxyHeaderNames.size(); ++i)
            accounts.append(server.secretAccount(ServerConfig::Secret::headerValue, int(i)));
    }
    if (server.useApiKey)
        accounts.append(server.secretAccount(ServerConfig::Secret::apiKey));
    return accounts;
}

QStringList otherAccounts(const ServerConfig &server, qsizetype headerCount)
{
    QStringList accounts = {server.secretAccount(ServerConfig::Secret::proxyPassword),
                            server.secretAccount(ServerConfig::Secret::apiKey)};
    for (qsizetype i = 0; i < headerCount; ++i)
        accounts.append(server.secretAccount(ServerConfig::Secret::headerValue, int(i)));
    return accounts;
}

SecretPlan planSecrets(const ServerConfig &server, const SecretChanges &changes)
{
    SecretPlan plan;
    const auto put = [&](const QString &account, const QString &value) {
        if (value.isEmpty())
            plan.removals.append(account);
        else
            plan.writes.append({account, value});
    };
    using Secret = ServerConfig::Secret;
    if (changes.password)
        plan.writes.append({server.accountName(), *changes.password});
    if (changes.proxyPassword && server.proxyAuthentication == ProxyAuthentication::basic)
        put(server.secretAccount(Secret::proxyPassword), *changes.proxyPassword);
    if (changes.headerValues && server.proxyAuthentication == ProxyAuthentication::headers) {
        for (qsizetype i = 0; i < server.proxyHeaderNames.size(); ++i)
            put(server.secretAccount(Secret::headerValue, int(i)), changes.headerValues->value(i));
    }
    if (changes.apiKey && server.useApiKey)
        put(server.secretAccount(Secret::apiKey), *changes.apiKey);
    return plan;
}

QCoro::Task<void> restoreSecrets(KeychainHelper &keychain, PreviousSecrets previous)
{
    for (const auto &[account, value] : std::as_const(previous)) {
        if (value)
            co_await failureOf(keychain.savePassword(*value, account));
        else
            co_await keychain.deletePassword(account);
    }
}

QCoro::Task<PreviousSecrets> saveSecrets(KeychainHelper &keychain, SecretWrites writes)
{
    PreviousSecrets previous;
    std::exception_ptr failure;
    for (const auto &[account, value] : std::as_const(writes)) {
        previous.append({account, co_await keychain.getPassword(account)});
        failure = (co_await failureOf(keychain.savePassword(value, account))).error;
        if (failure)
            break;
    }
    if (failure) {
        co_await restoreSecrets(keychain, previous);
        std::rethrow_exception(failure);
    }
    co_return previous;
}

} // namespace profilesecrets
