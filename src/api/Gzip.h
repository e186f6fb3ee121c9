#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Whether the bytes begin like a gzip stream. No JSON or plain text answer begins so.
bool isGzip(QByteArrayView bytes);

// The inflated bytes of a gzip stream (RFC 1952; members one after another are joined), with
// room for the JSON parser's padding behind them. Throws NetworkError::responseTooLarge when
// they would pass `limit` bytes (a small answer that inflates without end) and
// NetworkError::invalidResponse for a stream that is cut short or broken.
QByteArray inflateGzip(QByteArrayView compressed, qint64 limit);
