// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Torrent actions, detail requests and uploads of QBittorrentAPIClient.
#include "MultipartBody.h"
#include "NetworkError.h"
#include "QBittorrentAPIClient.h"

#include <QCoreApplication>

namespace {

// What the server means when it answers an edit with 400, 404 or 409.
QString editRefusalText(APIEndpoint::Kind kind, int status)
{
    using K = APIEndpoint::Kind;
    if (status == 404 && (kind == K::createCategory || kind == K::createTags))
        return QCoreApplication::translate("QBittorrentAPIClient", "服务器不支持此操作");
    if (status == 404)
        return QCoreApplication::translate("QBittorrentAPIClient",
                                           "找不到该种子\n\n种子可能已被删除，或服务器不支持此操作。");
    switch (kind) {
    case K::setCategory:
        return QCoreApplication::translate(
            "QBittorrentAPIClient",
            "分类不存在\n\n服务器上没有这个分类，它可能已被删除。请刷新后重新选择，或新建该分类。");
    case K::createCategory:
        return status == 400
                   ? QCoreApplication::translate("QBittorrentAPIClient", "分类名称无效\n\n分类名称不能为空。")
                   : QCoreApplication::translate("QBittorrentAPIClient",
                                                 "无法创建分类\n\n分类名称无效，或同名分类已存在。");
    case K::setLocation:
        return status == 400 ? QCoreApplication::translate("QBittorrentAPIClient", "保存位置不能为空")
                             : QCoreApplication::translate(
                                   "QBittorrentAPIClient",
                                   "无法移动到该位置\n\n服务器无法创建该目录，或没有写入权限。");
    case K::rename:
        return QCoreApplication::translate("QBittorrentAPIClient", "名称无效\n\n种子名称不能为空。");
    case K::addTags:
    case K::removeTags:
    case K::createTags:
        return QCoreApplication::translate("QBittorrentAPIClient",
                                           "标签无效\n\n标签名称不能为空，也不能包含逗号。");
    case K::setTorrentDownloadLimit:
    case K::setTorrentUploadLimit:
        return QCoreApplication::translate("QBittorrentAPIClient", "限速值无效\n\n服务器不接受这个限速值。");
    case K::topPrio:
    case K::increasePrio:
    case K::decreasePrio:
    case K::bottomPrio:
        return QCoreApplication::translate(
            "QBittorrentAPIClient",
            "队列未启用\n\n服务器关闭了种子排队，无法调整队列位置。请在 qBittorrent 的设置中启用种子排队。");
    case K::filePrio:
        return status == 400
                   ? QCoreApplication::translate("QBittorrentAPIClient",
                                                 "文件优先级无效\n\n服务器不接受该优先级或文件编号。")
                   : QCoreApplication::translate(
                         "QBittorrentAPIClient",
                         "无法设置文件优先级\n\n种子的元数据尚未下载完成，或文件已不存在。");
    default:
        return status == 400
                   ? QCoreApplication::translate("QBittorrentAPIClient",
                                                 "服务器拒绝了修改 (400)\n\n请求的参数无效。")
                   : QCoreApplication::translate("QBittorrentAPIClient",
                                                 "服务器拒绝了修改 (409)\n\n种子当前的状态不允许此操作。");
    }
}

} // namespace

QCoro::Task<void> QBittorrentAPIClient::performAction(APIEndpoint endpoint)
{
    const QByteArray body = endpoint.actionBody();
    const APIEndpoint::Kind kind = endpoint.kind;
    const bool edit = endpoint.isEdit();
    int refusal = 0;
    try {
        co_await postForm(std::move(endpoint), body);
    } catch (const NetworkError &error) {
        using K = NetworkError::Kind;
        const int status = error.kind() == K::notFound ? 404 : error.kind() == K::serverError ? error.statusCode() : 0;
        if (!edit || (status != 400 && status != 404 && status != 409))
            throw;
        refusal = status;
    }
    if (refusal)
        throw NetworkError::editRefused(refusal, editRefusalText(kind, refusal));
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
