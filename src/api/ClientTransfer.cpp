// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Server-wide endpoints of QBittorrentAPIClient: transfer figures, synchronisation,
// categories, tags and the global limits.
#include "BackgroundDecoding.h"
#include "Gzip.h"
#include "HttpExchange.h"
#include "Logging.h"
#include "NetworkError.h"
#include "QBittorrentAPIClient.h"
#include "model/DecodingError.h"
#include "model/Json.h"

#include <qcoro/qcorofuture.h>

QCoro::Task<TransferInfo> QBittorrentAPIClient::getTransferInfo()
{
    const QByteArray body = co_await fetch(APIEndpoint::transferInfo(), requireServer(), true);
    co_return TransferInfo::fromJson(body);
}

QCoro::Task<SyncData> QBittorrentAPIClient::getSyncData(std::optional<qint64> rid, LoadProgressReport report)
{
    ByteProgress received;
    if (report)
        received = [report](qint64 bytes, qint64 total) {
            report(LoadProgress{LoadProgress::Stage::receiving, bytes, total, -1});
        };
    QByteArray body =
        co_await fetch(APIEndpoint::mainData(rid), requireServer(), true, true, std::move(received));
    const qint64 bodySize = body.size();
    if (report)
        report(LoadProgress{LoadProgress::Stage::processing, bodySize, bodySize, -1});
    // Inflated and decoded on the decoding thread: a full answer of a big server (150 MB of
    // JSON from 15 MB of gzip) would stall the UI for longer than a frame many times over. The
    // body goes with the work and is freed there.
    const qint64 limit = limits().maxResponseBytes;
    QFuture<Decoded<SyncData>> decoding = decodeInBackground([body = std::move(body), limit]() mutable {
        QByteArray bytes = std::exchange(body, QByteArray());
        // The parser gets ready for a big answer while it is inflated; not for one that will be
        // refused as too large.
        const qint64 inflatedSize = inflatedSizeHint(bytes);
        const json::ParserWarmUp warmUp(inflatedSize <= limit ? size_t(inflatedSize) : 0);
        if (isGzip(bytes)) {
            bytes = inflateGzip(bytes, limit);
            // A proxy's page passes the check on the way in only by its content type.
            if (HttpAnswer{200, bytes, {}, {}}.isWebPage())
                throw NetworkError::htmlPage();
        }
        return SyncData::fromJsonInPlace(bytes);
    });
    Decoded<SyncData> decoded = co_await decoding;
    if (decoded.error) {
        try {
            std::rethrow_exception(decoded.error);
        } catch (const DecodingError &failure) {
            logLine(lcApi(), QStringLiteral("❌ SyncData 解码失败: ") + failure.debugDescription());
            reportDecodingFailure(failure);
            throw;
        }
    }
    const qsizetype torrentCount = decoded.value->torrents ? decoded.value->torrents->size() : 0;
    if (report)
        report(LoadProgress{LoadProgress::Stage::processing, bodySize, bodySize, torrentCount});
    logLine(lcApi(), QStringLiteral("✅ SyncData 解码成功: rid=%1, torrents=%2个").arg(decoded.value->rid).arg(torrentCount));
    co_return std::move(*decoded.value);
}

QCoro::Task<MainDataResponse> QBittorrentAPIClient::getMainData(std::optional<qint64> rid)
{
    const QByteArray body = co_await fetch(APIEndpoint::mainData(rid), requireServer(), true);
    co_return MainDataResponse::fromJson(body);
}

QCoro::Task<QList<Category>> QBittorrentAPIClient::getCategories()
{
    const QByteArray body = co_await fetch(APIEndpoint::categories(), requireServer(), true);
    co_return decodeCategories(body);
}

QCoro::Task<QStringList> QBittorrentAPIClient::getTags()
{
    const QByteArray body = co_await fetch(APIEndpoint::tags(), requireServer(), true);
    co_return decodeTags(body);
}

QCoro::Task<void> QBittorrentAPIClient::setDownloadLimit(qint64 limit)
{
    co_await postForm(APIEndpoint::setDownloadLimit(), "limit=" + QByteArray::number(limit));
}

QCoro::Task<void> QBittorrentAPIClient::setUploadLimit(qint64 limit)
{
    co_await postForm(APIEndpoint::setUploadLimit(), "limit=" + QByteArray::number(limit));
}

QCoro::Task<bool> QBittorrentAPIClient::getSpeedLimitsMode()
{
    const QByteArray body = co_await fetch(APIEndpoint::speedLimitsMode(), requireServer(), true);
    const QByteArray mode = body.trimmed();
    if (mode != "0" && mode != "1")
        json::throwDataCorrupted(json::Path{}, QStringLiteral("期望 0 或 1"));
    co_return mode == "1";
}

QCoro::Task<void> QBittorrentAPIClient::setSpeedLimitsMode(bool alternative)
{
    const bool current = co_await getSpeedLimitsMode();
    if (current != alternative)
        co_await postForm(APIEndpoint::toggleSpeedLimitsMode(), QByteArray());
}

QCoro::Task<SpeedPreferences> QBittorrentAPIClient::getSpeedPreferences()
{
    const QByteArray body = co_await fetch(APIEndpoint::preferences(), requireServer(), true);
    co_return SpeedPreferences::fromJson(body);
}

QCoro::Task<void> QBittorrentAPIClient::setAlternativeLimits(qint64 download, qint64 upload)
{
    const QByteArray json = SpeedPreferences{download, upload}.toJson();
    co_await postForm(APIEndpoint::setPreferences(), "json=" + json.toPercentEncoding());
}
