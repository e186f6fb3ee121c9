// Torrent actions, detail requests and uploads of QBittorrentAPIClient.
#include "MultipartBody.h"
#include "QBittorrentAPIClient.h"

QCoro::Task<void> QBittorrentAPIClient::performAction(APIEndpoint endpoint)
{
    const QByteArray body = endpoint.actionBody();
    co_await postForm(std::move(endpoint), body);
}

QCoro::Task<QList<TorrentFile>> QBittorrentAPIClient::getTorrentFiles(QString hash)
{
    const QByteArray body = co_await fetch(APIEndpoint::files(std::move(hash)), requireServer(), true);
    co_return decodeTorrentFiles(body);
}

QCoro::Task<QList<TorrentTracker>> QBittorrentAPIClient::getTorrentTrackers(QString hash)
{
    const QByteArray body = co_await fetch(APIEndpoint::trackers(std::move(hash)), requireServer(), true);
    co_return decodeTorrentTrackers(body);
}

QCoro::Task<QList<TorrentPeer>> QBittorrentAPIClient::getTorrentPeers(QString hash)
{
    const QByteArray body = co_await fetch(APIEndpoint::torrentPeers(std::move(hash)), requireServer(), true);
    co_return decodeTorrentPeers(body);
}

QCoro::Task<void> QBittorrentAPIClient::addTorrent(QString urls, std::optional<QString> savePath,
                                                   std::optional<QString> category,
                                                   std::optional<QString> tags)
{
    const MultipartBody multipart =
        MultipartBody::forUrls(urls, {std::move(savePath), std::move(category), std::move(tags)});
    co_await postMultipart(multipart.contentType(), multipart.bytes);
}

QCoro::Task<void> QBittorrentAPIClient::addTorrentFile(QString fileName, QByteArray fileData,
                                                       std::optional<QString> savePath,
                                                       std::optional<QString> category,
                                                       std::optional<QString> tags)
{
    const MultipartBody multipart = MultipartBody::forFile(
        fileName, fileData, {std::move(savePath), std::move(category), std::move(tags)});
    fileData.clear();
    co_await postMultipart(multipart.contentType(), multipart.bytes);
}
