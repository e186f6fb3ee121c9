// Server-wide endpoints of QBittorrentAPIClient: transfer figures, synchronisation,
// categories, tags and the global limits.
#include "QBittorrentAPIClient.h"
#include "model/DecodingError.h"
#include "model/Log.h"

QCoro::Task<TransferInfo> QBittorrentAPIClient::getTransferInfo()
{
    const QByteArray body = co_await fetch(APIEndpoint::transferInfo(), requireServer(), true);
    co_return TransferInfo::fromJson(body);
}

QCoro::Task<SyncData> QBittorrentAPIClient::getSyncData(std::optional<qint64> rid)
{
    const QByteArray body = co_await fetch(APIEndpoint::mainData(rid), requireServer(), true);
    try {
        SyncData data = SyncData::fromJson(body);
        logLine(QStringLiteral("✅ SyncData 解码成功: rid=%1, torrents=%2个")
                    .arg(data.rid)
                    .arg(data.torrents ? data.torrents->size() : 0));
        co_return data;
    } catch (const DecodingError &error) {
        logLine(QStringLiteral("❌ SyncData 解码失败: ") + error.debugDescription());
        reportDecodingFailure(error);
        throw;
    }
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
