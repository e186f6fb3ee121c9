// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NetworkError.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
// Translated where they are shown: a catalogue is installed only after static initialisation.
const char *const reconnectSuggestion = QT_TRANSLATE_NOOP("NetworkError", "检查服务器设置并重新连接");
const char *const restartSuggestion =
    QT_TRANSLATE_NOOP("NetworkError", "尝试重新连接服务器或重启 qBittorrent");
} // namespace

bool NetworkError::isKind(const ErrorPtr &error, std::initializer_list<Kind> kinds)
{
    const auto *network = dynamic_cast<const NetworkError *>(error.get());
    return network && std::find(kinds.begin(), kinds.end(), network->kind()) != kinds.end();
}

NetworkError NetworkError::serverError(int statusCode)
{
    NetworkError error(Kind::serverError);
    error.m_statusCode = statusCode;
    return error;
}

NetworkError NetworkError::proxyUnreachable(int statusCode)
{
    NetworkError error(Kind::proxyUnreachable);
    error.m_statusCode = statusCode;
    return error;
}

NetworkError NetworkError::editRefused(int statusCode, QString text)
{
    NetworkError error(Kind::editRefused);
    error.m_statusCode = statusCode;
    error.m_text = std::move(text);
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
        return QCoreApplication::translate("NetworkError", "服务器错误 (%1)").arg(m_statusCode);
    case Kind::networkError:
        return QCoreApplication::translate("NetworkError", "网络连接失败\n\n请检查：\n• 服务器是否在线\n"
                                                           "• 网络连接是否正常\n• 防火墙设置\n\n详细信息：%1")
            .arg(m_underlying ? m_underlying->localizedDescription() : QString());
    case Kind::decodingError:
        return QCoreApplication::translate(
            "NetworkError", "数据解析失败\n\n可能原因：\n• 服务器返回了空数据\n• qBittorrent 版本不兼容\n• "
                            "服务器未正确响应\n\n请检查 qBittorrent 是否正常运行");
    case Kind::invalidURL:
        return QCoreApplication::translate("NetworkError", "无效的 URL");
    case Kind::unauthorized:
        return QCoreApplication::translate(
            "NetworkError", "未连接到服务器\n\n请先在「设置」页面中添加并连接 qBittorrent 服务器");
    case Kind::forbidden:
        return QCoreApplication::translate("NetworkError", "访问被拒绝");
    case Kind::notFound:
        return QCoreApplication::translate("NetworkError", "资源未找到");
    case Kind::noData:
        return QCoreApplication::translate("NetworkError",
                                           "服务器没有返回数据\n\n请检查 qBittorrent 服务器是否正常运行");
    case Kind::invalidResponse:
        return QCoreApplication::translate("NetworkError",
                                           "服务器响应无效\n\n请检查服务器地址和端口是否正确");
    case Kind::timeout:
        return QCoreApplication::translate(
            "NetworkError",
            "连接超时\n\n请检查：\n• 服务器地址和端口是否正确\n• 服务器是否在线\n• 网络连接是否正常");
    case Kind::connectionFailed:
        return QCoreApplication::translate(
            "NetworkError",
            "无法连接到服务器\n\n请检查：\n• 服务器地址和端口\n• qBittorrent Web UI 是否已启用\n• "
            "网络连接是否正常");
    case Kind::responseTooLarge:
        return QCoreApplication::translate("NetworkError", "服务器响应过大，已中止读取");
    case Kind::torrentRejected:
        return QCoreApplication::translate(
            "NetworkError", "服务器未添加种子\n\n请检查链接或种子文件是否有效，以及该种子是否已在列表中");
    case Kind::loginBanned:
        return QCoreApplication::translate(
            "NetworkError",
            "登录已被服务器暂时禁止\n\n登录失败次数过多，服务器封禁了本机的地址。封禁默认持续 1 "
            "小时（服务器可能改过封禁时长），期间的每次登录都会被拒绝。");
    case Kind::requestRejected:
        return QCoreApplication::translate(
            "NetworkError",
            "服务器拒绝了请求\n\nqBittorrent 在验证身份之前就拒绝了请求，可能原因：\n"
            "• 启用了主机头验证，而访问的端口与 qBittorrent 自身监听的端口不同（容器或端口转发）\n"
            "• 请求经过了 qBittorrent 不信任的反向代理");
    case Kind::proxyAuthenticationFailed:
        return QCoreApplication::translate(
            "NetworkError",
            "反向代理身份验证失败\n\n服务器前的反向代理拒绝了请求：代理的用户名、密码或请求头缺失"
            "或不正确。这不是 qBittorrent 的登录失败。");
    case Kind::proxyUnreachable:
        return QCoreApplication::translate("NetworkError",
                                           "反向代理无法连接到 qBittorrent (%1)\n\n服务器前的反向代理在工作，"
                                           "但连接不到后面的 qBittorrent：qBittorrent 可能没有运行，"
                                           "或代理的目标地址有误。")
            .arg(m_statusCode);
    case Kind::htmlPage:
        return QCoreApplication::translate(
            "NetworkError",
            "服务器返回了网页而不是数据\n\n这通常是单点登录的登录页面或反向代理的错误页面，请求"
            "没有到达 qBittorrent 的 Web API。");
    case Kind::apiKeyRejected:
        return QCoreApplication::translate(
            "NetworkError", "API 密钥被拒绝\n\n服务器不接受此 API 密钥：密钥可能有误或已被撤销。API 密钥需要 "
                            "qBittorrent 5.2 或更高版本。");
    case Kind::editRefused:
        return m_text;
    }
    return {};
}

std::optional<QString> NetworkError::recoverySuggestion() const
{
    switch (m_kind) {
    case Kind::networkError:
    case Kind::connectionFailed:
        return QCoreApplication::translate("NetworkError", reconnectSuggestion);
    case Kind::decodingError:
    case Kind::noData:
        return QCoreApplication::translate("NetworkError", restartSuggestion);
    case Kind::unauthorized:
        return QCoreApplication::translate("NetworkError",
                                           "前往「设置」页面，添加并连接到 qBittorrent 服务器");
    case Kind::loginBanned:
        return QCoreApplication::translate("NetworkError", "等封禁结束后，确认用户名和密码无误再连接");
    case Kind::requestRejected:
        return QCoreApplication::translate(
            "NetworkError",
            "使用与 qBittorrent 相同的端口，或在其 Web UI 设置中关闭主机头验证；经反向代理访问时，"
            "启用反向代理支持并把代理加入受信任列表");
    case Kind::proxyAuthenticationFailed:
        return QCoreApplication::translate("NetworkError", "在服务器设置中检查反向代理的身份验证信息");
    case Kind::proxyUnreachable:
        return QCoreApplication::translate("NetworkError", "确认 qBittorrent 正在运行，并检查反向代理的配置");
    case Kind::htmlPage:
        return QCoreApplication::translate("NetworkError",
                                           "检查服务器地址、路径前缀和反向代理的身份验证设置");
    case Kind::apiKeyRejected:
        return QCoreApplication::translate("NetworkError",
                                           "在服务器设置中检查 API 密钥，或改用用户名和密码登录");
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
    case Kind::loginBanned:
        return QStringLiteral("loginBanned");
    case Kind::requestRejected:
        return QStringLiteral("requestRejected");
    case Kind::proxyAuthenticationFailed:
        return QStringLiteral("proxyAuthenticationFailed");
    case Kind::proxyUnreachable:
        return QStringLiteral("proxyUnreachable(%1)").arg(m_statusCode);
    case Kind::htmlPage:
        return QStringLiteral("htmlPage");
    case Kind::apiKeyRejected:
        return QStringLiteral("apiKeyRejected");
    case Kind::editRefused:
        return QStringLiteral("editRefused(%1)").arg(m_statusCode);
    }
    return {};
}
