// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Whether the bytes begin like a gzip stream. No JSON or plain text answer begins so.
bool isGzip(QByteArrayView bytes);

// The size the inflated bytes of a gzip stream will have, as its trailer tells, or 0 when that
// is not believable for JSON (the answers of a server shrink some tenfold; past 64-fold the
// trailer is more likely to lie). Only a hint for getting ready: of several members the trailer
// tells the last one's size, and a stream may lie within that bound too.
qint64 inflatedSizeHint(QByteArrayView compressed);

// The inflated bytes of a gzip stream (RFC 1952; members one after another are joined), with
// room for the JSON parser's padding behind them. Throws NetworkError::responseTooLarge when
// they would pass `limit` bytes (a small answer that inflates without end) and
// NetworkError::invalidResponse for a stream that is cut short or broken.
QByteArray inflateGzip(QByteArrayView compressed, qint64 limit);
