// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DecodingError.h"

#include <QCoreApplication>

DecodingError::DecodingError(Kind kind, QString expectedType, QString key, QStringList codingPath,
                             QString debugDescription)
    : m_kind(kind), m_expectedType(std::move(expectedType)), m_key(std::move(key)),
      m_codingPath(std::move(codingPath)), m_debugDescription(std::move(debugDescription))
{}

DecodingError DecodingError::typeMismatch(QString expectedType, QStringList codingPath,
                                          QString debugDescription)
{
    return DecodingError(Kind::TypeMismatch, std::move(expectedType), {}, std::move(codingPath),
                         std::move(debugDescription));
}

DecodingError DecodingError::valueNotFound(QString expectedType, QStringList codingPath,
                                           QString debugDescription)
{
    return DecodingError(Kind::ValueNotFound, std::move(expectedType), {}, std::move(codingPath),
                         std::move(debugDescription));
}

DecodingError DecodingError::keyNotFound(QString key, QStringList codingPath, QString debugDescription)
{
    return DecodingError(Kind::KeyNotFound, {}, std::move(key), std::move(codingPath),
                         std::move(debugDescription));
}

DecodingError DecodingError::dataCorrupted(QStringList codingPath, QString debugDescription)
{
    return DecodingError(Kind::DataCorrupted, {}, {}, std::move(codingPath), std::move(debugDescription));
}

QString DecodingError::localizedDescription() const
{
    // The same sentence for every kind, as users see it for any unreadable answer; the kind and
    // the path are for diagnostics.
    return QCoreApplication::translate("DecodingError", "数据格式不正确，无法读取。");
}

QString DecodingError::debugDescription() const
{
    const QString at = m_codingPath.isEmpty() ? QStringLiteral("<root>") : codingPathText();
    switch (m_kind) {
    case Kind::TypeMismatch:
        return QStringLiteral("typeMismatch(%1, at %2): %3").arg(m_expectedType, at, m_debugDescription);
    case Kind::ValueNotFound:
        return QStringLiteral("valueNotFound(%1, at %2): %3").arg(m_expectedType, at, m_debugDescription);
    case Kind::KeyNotFound:
        return QStringLiteral("keyNotFound(%1, at %2): %3").arg(m_key, at, m_debugDescription);
    case Kind::DataCorrupted:
        return QStringLiteral("dataCorrupted(at %1): %2").arg(at, m_debugDescription);
    }
    return m_debugDescription;
}
