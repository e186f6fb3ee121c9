// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"

#include <QString>

#include <initializer_list>
#include <optional>

// Status and state problems of a Web API exchange, with the texts shown to the user.
class NetworkError final : public AppError
{
public:
    enum class Kind {
        serverError,
        networkError,
        decodingError,
        invalidURL,
        unauthorized,
        forbidden,
        notFound,
        noData,
        invalidResponse,
        timeout,
        connectionFailed,
        // The answer grew beyond the client's size bound and reading it was given up.
        responseTooLarge,
        // An upload the server answered with 2xx and "Fails.": nothing was added.
        torrentRejected,
        // The login was answered 403: too many failed logins from this address.
        loginBanned,
        // The server answered 401 even to a request that needs no login: it refused the
        // request itself (host header check, untrusted reverse proxy), not the credentials.
        requestRejected,
        // A reverse proxy in front of the server refused its own credentials (407, or 401
        // asking for Basic).
        proxyAuthenticationFailed,
        // A reverse proxy answered 502, 503 or 504: it cannot reach the server behind it.
        proxyUnreachable,
        // A web page (single sign-on form, proxy error page) came where the API answers data.
        htmlPage,
        // The server refused the API key of the profile (401 or 403).
        apiKeyRejected,
        // The server refused a change of torrents, categories or tags (400, 404 or 409); the
        // text says what that refusal means for that change.
        editRefused,
    };

    static NetworkError serverError(int statusCode);
    static NetworkError networkError(ErrorPtr underlying);
    static NetworkError decodingError(ErrorPtr underlying);
    static NetworkError invalidURL() { return NetworkError(Kind::invalidURL); }
    static NetworkError unauthorized() { return NetworkError(Kind::unauthorized); }
    static NetworkError forbidden() { return NetworkError(Kind::forbidden); }
    static NetworkError notFound() { return NetworkError(Kind::notFound); }
    static NetworkError noData() { return NetworkError(Kind::noData); }
    static NetworkError invalidResponse() { return NetworkError(Kind::invalidResponse); }
    static NetworkError timeout() { return NetworkError(Kind::timeout); }
    static NetworkError connectionFailed() { return NetworkError(Kind::connectionFailed); }
    static NetworkError responseTooLarge(qint64 limitBytes);
    static NetworkError torrentRejected() { return NetworkError(Kind::torrentRejected); }
    static NetworkError loginBanned() { return NetworkError(Kind::loginBanned); }
    static NetworkError requestRejected() { return NetworkError(Kind::requestRejected); }
    static NetworkError proxyAuthenticationFailed() { return NetworkError(Kind::proxyAuthenticationFailed); }
    static NetworkError proxyUnreachable(int statusCode);
    static NetworkError htmlPage() { return NetworkError(Kind::htmlPage); }
    static NetworkError apiKeyRejected() { return NetworkError(Kind::apiKeyRejected); }
    static NetworkError editRefused(int statusCode, QString text);

    Kind kind() const { return m_kind; }
    // The HTTP status of serverError, proxyUnreachable and editRefused; 0 otherwise.
    int statusCode() const { return m_statusCode; }
    // The wrapped error of networkError and decodingError; null otherwise.
    const ErrorPtr &underlying() const { return m_underlying; }
    // The bound that responseTooLarge exceeded; 0 otherwise.
    qint64 limitBytes() const { return m_limitBytes; }

    QString errorDescription() const;
    QString localizedDescription() const override { return errorDescription(); }
    std::optional<QString> recoverySuggestion() const override;
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<NetworkError>(*this); }

    // Whether `error` is a NetworkError of one of `kinds`.
    static bool isKind(const ErrorPtr &error, std::initializer_list<Kind> kinds);

private:
    explicit NetworkError(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    int m_statusCode = 0;
    ErrorPtr m_underlying;
    qint64 m_limitBytes = 0;
    QString m_text; // of editRefused
};
