#include "TransportError.h"

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
        return QStringLiteral("没有错误");
    case E::ConnectionRefusedError:
        return QStringLiteral("连接被拒绝");
    case E::RemoteHostClosedError:
        return QStringLiteral("服务器意外关闭了连接");
    case E::HostNotFoundError:
        return QStringLiteral("找不到服务器");
    case E::TimeoutError:
        return QStringLiteral("请求超时");
    case E::OperationCanceledError:
        return QStringLiteral("请求已取消");
    case E::SslHandshakeFailedError:
        return QStringLiteral("安全连接（TLS）握手失败");
    case E::TemporaryNetworkFailureError:
        return QStringLiteral("网络暂时不可用");
    case E::NetworkSessionFailedError:
        return QStringLiteral("网络不可达");
    case E::BackgroundRequestNotAllowedError:
        return QStringLiteral("不允许在后台发送请求");
    case E::TooManyRedirectsError:
        return QStringLiteral("重定向次数过多");
    case E::InsecureRedirectError:
        return QStringLiteral("服务器把请求转到了另一个地址（例如单点登录页面），已停止");
    case E::UnknownNetworkError:
        return QStringLiteral("网络错误");
    case E::ProxyConnectionRefusedError:
        return QStringLiteral("代理服务器拒绝连接");
    case E::ProxyConnectionClosedError:
        return QStringLiteral("代理服务器意外关闭了连接");
    case E::ProxyNotFoundError:
        return QStringLiteral("找不到代理服务器");
    case E::ProxyTimeoutError:
        return QStringLiteral("代理服务器响应超时");
    case E::ProxyAuthenticationRequiredError:
        return QStringLiteral("代理服务器要求身份验证");
    case E::UnknownProxyError:
        return QStringLiteral("代理服务器错误");
    case E::ContentAccessDenied:
        return QStringLiteral("访问被拒绝");
    case E::ContentOperationNotPermittedError:
        return QStringLiteral("服务器不允许此操作");
    case E::ContentNotFoundError:
        return QStringLiteral("资源未找到");
    case E::AuthenticationRequiredError:
        return QStringLiteral("服务器要求身份验证");
    case E::ContentReSendError:
        return QStringLiteral("请求需要重新发送");
    case E::ContentConflictError:
        return QStringLiteral("请求与资源的当前状态冲突");
    case E::ContentGoneError:
        return QStringLiteral("资源已不存在");
    case E::UnknownContentError:
        return QStringLiteral("服务器响应内容错误");
    case E::ProtocolUnknownError:
        return QStringLiteral("不支持的协议");
    case E::ProtocolInvalidOperationError:
        return QStringLiteral("协议不支持此操作");
    case E::ProtocolFailure:
        return QStringLiteral("服务器响应不符合 HTTP 协议");
    case E::InternalServerError:
        return QStringLiteral("服务器内部错误");
    case E::OperationNotImplementedError:
        return QStringLiteral("服务器不支持此操作");
    case E::ServiceUnavailableError:
        return QStringLiteral("服务暂时不可用");
    case E::UnknownServerError:
        return QStringLiteral("服务器错误");
    }
    return QStringLiteral("网络错误 (代码 %1)").arg(int(code));
}
