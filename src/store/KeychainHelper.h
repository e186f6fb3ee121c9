// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"

#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

class KeychainError final : public AppError
{
public:
    enum class Kind { saveFailed, deleteFailed };
    KeychainError(Kind kind, qint32 status) : m_kind(kind), m_status(status) {}

    Kind kind() const { return m_kind; }
    qint32 status() const { return m_status; }
    QString localizedDescription() const override; // "保存密码失败: " / "删除密码失败: " + status
    ErrorPtr clone() const override { return std::make_shared<KeychainError>(*this); }

private:
    Kind m_kind;
    qint32 m_status;
};

// Passwords in the platform credential store (Secret Service on Linux), one generic-password
// entry per account under one fixed service name. Never falls back to an insecure store.
// The operations are virtual so that tests can make the store refuse a write.
class KeychainHelper
{
public:
    static constexpr const char *defaultService = "app.seedwhirl.Seedwhirl";

    explicit KeychainHelper(QString service = QString::fromLatin1(defaultService));
    virtual ~KeychainHelper() = default;
    static KeychainHelper &shared();

    const QString &service() const { return m_service; }

    // Replaces any existing entry; a failed write keeps it. Throws KeychainError::saveFailed.
    virtual QCoro::Task<void> savePassword(QString password, QString account);
    // Absent when missing or unreadable; never throws.
    virtual QCoro::Task<std::optional<QString>> getPassword(QString account);
    // True when deleted or not there; never throws.
    virtual QCoro::Task<bool> deletePassword(QString account);

private:
    QString m_service;
};
