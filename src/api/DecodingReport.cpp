// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The diagnostic line that follows a failed decoding of a server answer.
#include "Logging.h"
#include "QBittorrentAPIClient.h"
#include "model/DecodingError.h"

void QBittorrentAPIClient::reportDecodingFailure(const AppError &error)
{
    const auto *decoding = dynamic_cast<const DecodingError *>(&error);
    if (!decoding)
        return;
    switch (decoding->kind()) {
    case DecodingError::Kind::TypeMismatch:
        logLine(lcApi(), QStringLiteral("   类型不匹配: 期望 ") + decoding->expectedType() + QStringLiteral(" at ") +
                decoding->codingPathText());
        return;
    case DecodingError::Kind::ValueNotFound:
        logLine(lcApi(), QStringLiteral("   值不存在: ") + decoding->expectedType() + QStringLiteral(" at ") +
                decoding->codingPathText());
        return;
    case DecodingError::Kind::KeyNotFound:
        logLine(lcApi(), QStringLiteral("   缺少字段: ") + decoding->key() + QStringLiteral(" at ") +
                decoding->codingPathText());
        return;
    case DecodingError::Kind::DataCorrupted:
        logLine(lcApi(), QStringLiteral("   数据损坏: ") + decoding->contextDescription());
        return;
    }
    logLine(lcApi(), QStringLiteral("   未知解析错误"));
}
