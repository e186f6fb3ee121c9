// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TransportError.h"

#include <QCoreApplication>

TransportError::TransportError(QNetworkReply::NetworkError code, QString detail)
    : m_code(code), m_detail(std::move(detail))
{}

bool TransportError::isUnreachable() const
{
    // Qt has no code of its own for a missing route: it reports UnknownNetworkError with the
    // socket's text ("Network unreachable", "Host unreachable").
    return m_code == QNetworkReply::NetworkSessionFailedError ||
           (m_code == QNetworkReply::UnknownNetworkError &&
            m_detail.contains(QLatin1String("unreachable"), Qt::CaseInsensitive));
}

QString TransportError::localizedDescription() const
{
    return describe(m_code);
}

QString TransportError::debugDescription() const
{
    QString text = QStringLiteral("TransportError(%1)").arg(int(m_code));
    if (!m_detail.isEmpty())
        text += QStringLiteral(": ") + m_detail;
    return text;
}

QString TransportError::describe(QNetworkReply::NetworkError code)
{
    using E = QNetworkReply::NetworkError;
    switch (code) {
    case E::NoError:
        return QCoreApplication::translate("TransportError", "没有错误");
    case E::ConnectionRefusedError:
        return QCoreApplication::translate("TransportError", "连接被拒绝");
    case E::RemoteHostClosedError:
        return QCoreApplication::translate("TransportError", "服务器意外关闭了连接");
    case E::HostNotFoundError:
        return QCoreApplication::translate("TransportError", "找不到服务器");
    case E::TimeoutError:
        return QCoreApplication::translate("TransportError", "请求超时");
    case E::OperationCanceledError:
        return QCoreApplication::translate("TransportError", "请求已取消");
    case E::SslHandshakeFailedError:
        return QCoreApplication::translate("TransportError", "安全连接（TLS）握手失败");
    case E::TemporaryNetworkFailureError:
        return QCoreApplication::translate("TransportError", "网络暂时不可用");
    case E::NetworkSessionFailedError:
        return QCoreApplication::translate("TransportError", "网络不可达");
    case E::BackgroundRequestNotAllowedError:
        return QCoreApplication::translate("TransportError", "不允许在后台发送请求");
    case E::TooManyRedirectsError:
        return QCoreApplication::translate("TransportError", "重定向次数过多");
    case E::InsecureRedirectError:
        return QCoreApplication::translate("TransportError",
                                           "服务器把请求转到了另一个地址（例如单点登录页面），已停止");
    case E::UnknownNetworkError:
        return QCoreApplication::translate("TransportError", "网络错误");
    case E::ProxyConnectionRefusedError:
        return QCoreApplication::translate("TransportError", "代理服务器拒绝连接");
    case E::ProxyConnectionClosedError:
        return QCoreApplication::translate("TransportError", "代理服务器意外关闭了连接");
    case E::ProxyNotFoundError:
        return QCoreApplication::translate("TransportError", "找不到代理服务器");
    case E::ProxyTimeoutError:
        return QCoreApplication::translate("TransportError", "代理服务器响应超时");
    case E::ProxyAuthenticationRequiredError:
        return QCoreApplication::translate("TransportError", "代理服务器要求身份验证");
    case E::UnknownProxyError:
        return QCoreApplication::translate("TransportError", "代理服务器错误");
    case E::ContentAccessDenied:
        return QCoreApplication::translate("TransportError", "访问被拒绝");
    case E::ContentOperationNotPermittedError:
        return QCoreApplication::translate("TransportError", "服务器不允许此操作");
    case E::ContentNotFoundError:
        return QCoreApplication::translate("TransportError", "资源未找到");
    case E::AuthenticationRequiredError:
        return QCoreApplication::translate("TransportError", "服务器要求身份验证");
    case E::ContentReSendError:
        return QCoreApplication::translate("TransportError", "请求需要重新发送");
    case E::ContentConflictError:
        return QCoreApplication::translate("TransportError", "请求与资源的当前状态冲突");
    case E::ContentGoneError:
        return QCoreApplication::translate("TransportError", "资源已不存在");
    case E::UnknownContentError:
        return QCoreApplication::translate("TransportError", "服务器响应内容错误");
    case E::ProtocolUnknownError:
        return QCoreApplication::translate("TransportError", "不支持的协议");
    case E::ProtocolInvalidOperationError:
        return QCoreApplication::translate("TransportError", "协议不支持此操作");
    case E::ProtocolFailure:
        return QCoreApplication::translate("TransportError", "服务器响应不符合 HTTP 协议");
    case E::InternalServerError:
        return QCoreApplication::translate("TransportError", "服务器内部错误");
    case E::OperationNotImplementedError:
        return QCoreApplication::translate("TransportError", "服务器不支持此操作");
    case E::ServiceUnavailableError:
        return QCoreApplication::translate("TransportError", "服务暂时不可用");
    case E::UnknownServerError:
        return QCoreApplication::translate("TransportError", "服务器错误");
    }
    return QCoreApplication::translate("TransportError", "网络错误 (代码 %1)").arg(int(code));
}
