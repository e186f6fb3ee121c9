// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <exception>
#include <memory>
#include <optional>

// Root of every error the system raises. Failures travel as thrown exceptions through
// co_await; presentation models catch them as `const AppError &` and keep a copy (clone()) in
// their observable `error`.
class AppError : public std::exception
{
public:
    ~AppError() override = default;

    // The user-facing text shown in alerts and appended to "❌ ...: " log lines.
    virtual QString localizedDescription() const = 0;
    virtual std::optional<QString> recoverySuggestion() const { return std::nullopt; }
    // A developer-facing description of the failure (kind and context), for diagnostic lines.
    virtual QString debugDescription() const { return localizedDescription(); }
    virtual std::shared_ptr<const AppError> clone() const = 0;

    const char *what() const noexcept override;

private:
    mutable QByteArray m_what;
};

using ErrorPtr = std::shared_ptr<const AppError>;

// An error that is not one of ours (std::exception from a library, for instance), wrapped so
// that it can be stored and shown like any other.
class UnexpectedError final : public AppError
{
public:
    explicit UnexpectedError(QString message) : m_message(std::move(message)) {}
    QString localizedDescription() const override { return m_message; }
    ErrorPtr clone() const override { return std::make_shared<UnexpectedError>(*this); }

private:
    QString m_message;
};

// Turns the exception currently being handled into an ErrorPtr; for use inside catch (...).
ErrorPtr currentError();
