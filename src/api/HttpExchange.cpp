#include "HttpExchange.h"

#include "NetworkError.h"
#include "TransportError.h"

#include <QNetworkReply>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include <qcoro/qcorosignal.h>

#include <memory>

namespace {

struct ReadState
{
    QByteArray body;
    bool timedOut = false;
    bool tooLarge = false;
};

// Qt reports an HTTP error status as an error code of its own; those answers are still HTTP
// answers whose status the caller maps. Every other code means the exchange itself failed.
bool comesFromHttpStatus(QNetworkReply::NetworkError error)
{
    const int code = int(error);
    if (error == QNetworkReply::ContentReSendError)
        return false;
    return error == QNetworkReply::ProtocolInvalidOperationError || (code >= 201 && code <= 299) ||
           (code >= 401 && code <= 499);
}

} // namespace

QNetworkRequest makeRequest(const QUrl &url, const HttpLimits &limits, const QByteArray &contentType)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(limits.idleTimeoutMs);
    if (!contentType.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    return request;
}

QCoro::Task<HttpAnswer> receiveAnswer(QNetworkReply *rawReply, HttpLimits limits)
{
    QPointer<QNetworkReply> reply(rawReply);
    auto state = std::make_shared<ReadState>();
    const auto release = qScopeGuard([reply] {
        if (reply)
            reply->deleteLater();
    });

    auto *deadline = new QTimer(rawReply);
    deadline->setSingleShot(true);
    deadline->setInterval(limits.totalTimeoutMs);
    QObject::connect(deadline, &QTimer::timeout, rawReply, [rawReply, state] {
        state->timedOut = true;
        rawReply->abort();
    });
    QObject::connect(rawReply, &QNetworkReply::metaDataChanged, rawReply, [rawReply, state, limits] {
        const QVariant length = rawReply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits.maxResponseBytes) {
            state->tooLarge = true;
            rawReply->abort();
        }
    });
    // Draining on every readyRead keeps Qt's own buffer small; the copy here is bounded.
    QObject::connect(rawReply, &QNetworkReply::readyRead, rawReply, [rawReply, state, limits] {
        if (state->tooLarge)
            return;
        const qint64 available = rawReply->bytesAvailable();
        if (state->body.size() + available > limits.maxResponseBytes) {
            state->tooLarge = true;
            state->body.clear();
            rawReply->abort();
            return;
        }
        state->body += rawReply->read(available);
    });
    deadline->start();

    if (!rawReply->isFinished())
        co_await qCoro(rawReply, &QNetworkReply::finished);
    if (!reply)
        throw TransportError(QNetworkReply::OperationCanceledError);
    deadline->stop();

    if (state->tooLarge)
        throw NetworkError::responseTooLarge(limits.maxResponseBytes);
    const QNetworkReply::NetworkError error = reply->error();
    if (state->timedOut || error == QNetworkReply::OperationCanceledError ||
        error == QNetworkReply::TimeoutError)
        throw TransportError(QNetworkReply::TimeoutError, reply->errorString());

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (error != QNetworkReply::NoError && !(status.isValid() && comesFromHttpStatus(error)))
        throw TransportError(error, reply->errorString());
    if (!status.isValid())
        throw NetworkError::invalidResponse();

    const qint64 available = reply->bytesAvailable();
    if (state->body.size() + available > limits.maxResponseBytes)
        throw NetworkError::responseTooLarge(limits.maxResponseBytes);
    state->body += reply->read(available);
    co_return HttpAnswer{status.toInt(), std::move(state->body)};
}
