#include "NetworkError.h"

namespace {
const QString reconnectSuggestion = QStringLiteral("检查服务器设置并重新连接");
const QString restartSuggestion = QStringLiteral("尝试重新连接服务器或重启 qBittorrent");
} // namespace

NetworkError NetworkError::serverError(int statusCode)
{
    NetworkError error(Kind::serverError);
    error.m_statusCode = statusCode;
    return error;
}

NetworkError NetworkError::networkError(ErrorPtr underlying)
{
    NetworkError error(Kind::networkError);
    error.m_underlying = std::move(underlying);
    return error;
}

NetworkError NetworkError::decodingError(ErrorPtr underlying)
{
    NetworkError error(Kind::decodingError);
    error.m_underlying = std::move(underlying);
    return error;
}

NetworkError NetworkError::responseTooLarge(qint64 limitBytes)
{
    NetworkError error(Kind::responseTooLarge);
    error.m_limitBytes = limitBytes;
    return error;
}

QString NetworkError::errorDescription() const
{
    switch (m_kind) {
    case Kind::serverError:
        return QStringLiteral("服务器错误 (") + QString::number(m_statusCode) + QStringLiteral(")");
    case Kind::networkError:
        return QStringLiteral("网络连接失败\n\n请检查：\n• 服务器是否在线\n• 网络连接是否正常\n• "
                              "防火墙设置\n\n详细信息：") +
               (m_underlying ? m_underlying->localizedDescription() : QString());
    case Kind::decodingError:
        return QStringLiteral("数据解析失败\n\n可能原因：\n• 服务器返回了空数据\n• qBittorrent 版本不兼容\n• "
                              "服务器未正确响应\n\n请检查 qBittorrent 是否正常运行");
    case Kind::invalidURL:
        return QStringLiteral("无效的 URL");
    case Kind::unauthorized:
        return QStringLiteral("未连接到服务器\n\n请先在「设置」页面中添加并连接 qBittorrent 服务器");
    case Kind::forbidden:
        return QStringLiteral("访问被拒绝");
    case Kind::notFound:
        return QStringLiteral("资源未找到");
    case Kind::noData:
        return QStringLiteral("服务器没有返回数据\n\n请检查 qBittorrent 服务器是否正常运行");
    case Kind::invalidResponse:
        return QStringLiteral("服务器响应无效\n\n请检查服务器地址和端口是否正确");
    case Kind::timeout:
        return QStringLiteral(
            "连接超时\n\n请检查：\n• 服务器地址和端口是否正确\n• 服务器是否在线\n• 网络连接是否正常");
    case Kind::connectionFailed:
        return QStringLiteral(
            "无法连接到服务器\n\n请检查：\n• 服务器地址和端口\n• qBittorrent Web UI 是否已启用\n• "
            "网络连接是否正常");
    case Kind::responseTooLarge:
        return QStringLiteral("服务器响应过大，已中止读取");
    case Kind::torrentRejected:
        return QStringLiteral("服务器未添加种子\n\n请检查链接或种子文件是否有效，以及该种子是否已在列表中");
    }
    return {};
}

std::optional<QString> NetworkError::recoverySuggestion() const
{
    switch (m_kind) {
    case Kind::networkError:
    case Kind::connectionFailed:
        return reconnectSuggestion;
    case Kind::decodingError:
    case Kind::noData:
        return restartSuggestion;
    case Kind::unauthorized:
        return QStringLiteral("前往「设置」页面，添加并连接到 qBittorrent 服务器");
    default:
        return std::nullopt;
    }
}

QString NetworkError::debugDescription() const
{
    switch (m_kind) {
    case Kind::serverError:
        return QStringLiteral("serverError(%1)").arg(m_statusCode);
    case Kind::networkError:
        return QStringLiteral("networkError(%1)")
            .arg(m_underlying ? m_underlying->debugDescription() : QString());
    case Kind::decodingError:
        return QStringLiteral("decodingError(%1)")
            .arg(m_underlying ? m_underlying->debugDescription() : QString());
    case Kind::invalidURL:
        return QStringLiteral("invalidURL");
    case Kind::unauthorized:
        return QStringLiteral("unauthorized");
    case Kind::forbidden:
        return QStringLiteral("forbidden");
    case Kind::notFound:
        return QStringLiteral("notFound");
    case Kind::noData:
        return QStringLiteral("noData");
    case Kind::invalidResponse:
        return QStringLiteral("invalidResponse");
    case Kind::timeout:
        return QStringLiteral("timeout");
    case Kind::connectionFailed:
        return QStringLiteral("connectionFailed");
    case Kind::responseTooLarge:
        return QStringLiteral("responseTooLarge(limit %1 bytes)").arg(m_limitBytes);
    case Kind::torrentRejected:
        return QStringLiteral("torrentRejected");
    }
    return {};
}
