#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QUrl>

#include <qcoro/qcorotask.h>

class QNetworkReply;

// Bounds of one request: no data for `idleTimeoutMs`, or the whole exchange longer than
// `totalTimeoutMs`, ends it as a time-out; an answer above `maxResponseBytes` is given up.
struct HttpLimits
{
    int idleTimeoutMs = 30'000;
    int totalTimeoutMs = 60'000;
    qint64 maxResponseBytes = 512LL * 1024 * 1024;
};

struct HttpAnswer
{
    int statusCode = 0;
    QByteArray body;
};

// A request for `url` that carries the idle time-out and, for a POST, its content type; no
// other header is set (Qt adds its usual ones).
QNetworkRequest makeRequest(const QUrl &url, const HttpLimits &limits, const QByteArray &contentType = {});

// Waits for the reply and reads its answer, whatever the status. Takes ownership of the reply.
// Throws TransportError when no HTTP answer arrived (time-outs as QNetworkReply::TimeoutError),
// NetworkError::invalidResponse when the answer carries no HTTP status, and
// NetworkError::responseTooLarge when the body outgrows the bound.
QCoro::Task<HttpAnswer> receiveAnswer(QNetworkReply *reply, HttpLimits limits);
