// The diagnostic line that follows a failed decoding of a server answer.
#include "QBittorrentAPIClient.h"
#include "model/DecodingError.h"
#include "model/Log.h"

void QBittorrentAPIClient::reportDecodingFailure(const AppError &error)
{
    const auto *decoding = dynamic_cast<const DecodingError *>(&error);
    if (!decoding)
        return;
    switch (decoding->kind()) {
    case DecodingError::Kind::TypeMismatch:
        logLine(QStringLiteral("   类型不匹配: 期望 ") + decoding->expectedType() + QStringLiteral(" at ") +
                decoding->codingPathText());
        return;
    case DecodingError::Kind::ValueNotFound:
        logLine(QStringLiteral("   值不存在: ") + decoding->expectedType() + QStringLiteral(" at ") +
                decoding->codingPathText());
        return;
    case DecodingError::Kind::KeyNotFound:
        logLine(QStringLiteral("   缺少字段: ") + decoding->key() + QStringLiteral(" at ") +
                decoding->codingPathText());
        return;
    case DecodingError::Kind::DataCorrupted:
        logLine(QStringLiteral("   数据损坏: ") + decoding->contextDescription());
        return;
    }
    logLine(QStringLiteral("   未知解析错误"));
}
