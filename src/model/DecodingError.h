// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "AppError.h"

#include <QStringList>

// A failure to read a server answer (or any JSON document) into a record. It keeps the kind,
// the expected type or missing key, and the coding path (keys and array indexes from the top
// of the document to the failing value) so diagnostic lines can name exactly what went wrong.
class DecodingError final : public AppError
{
public:
    enum class Kind { TypeMismatch, ValueNotFound, KeyNotFound, DataCorrupted };

    static DecodingError typeMismatch(QString expectedType, QStringList codingPath, QString debugDescription);
    static DecodingError valueNotFound(QString expectedType, QStringList codingPath,
                                       QString debugDescription);
    static DecodingError keyNotFound(QString key, QStringList codingPath, QString debugDescription);
    static DecodingError dataCorrupted(QStringList codingPath, QString debugDescription);

    Kind kind() const { return m_kind; }
    // Unqualified type name ("Int64", "String", "Double", "Bool", "SyncData", ...) for the first
    // two kinds; empty otherwise.
    const QString &expectedType() const { return m_expectedType; }
    // The missing key for KeyNotFound; empty otherwise.
    const QString &key() const { return m_key; }
    const QStringList &codingPath() const { return m_codingPath; }
    QString codingPathText() const { return m_codingPath.join(QLatin1Char('.')); }
    const QString &contextDescription() const { return m_debugDescription; }

    QString localizedDescription() const override;
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<DecodingError>(*this); }

private:
    DecodingError(Kind kind, QString expectedType, QString key, QStringList codingPath,
                  QString debugDescription);

    Kind m_kind;
    QString m_expectedType;
    QString m_key;
    QStringList m_codingPath;
    QString m_debugDescription;
};
