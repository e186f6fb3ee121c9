#include "TorrentDetailViewModel.h"

#include "ErrorState.h"
#include "api/Attempt.h"
#include "api/QBittorrentAPIClient.h"
#include "model/Formatting.h"
#include "model/Log.h"

#include <QPointer>
#include <QVariantMap>

namespace {

QVariantMap row(const QString &label, const QString &value)
{
    return {{QStringLiteral("label"), label}, {QStringLiteral("value"), value}};
}

QVariantMap fileMap(const TorrentFile &file)
{
    return {
        {QStringLiteral("index"), file.index},
        {QStringLiteral("name"), file.name},
        {QStringLiteral("size"), file.size},
        {QStringLiteral("sizeText"), formatBytes(file.size)},
        {QStringLiteral("progress"), file.progress},
        {QStringLiteral("progressText"), formatProgress(file.progress)},
    };
}

QVariantMap trackerMap(const TorrentTracker &tracker)
{
    const QString counts = QStringLiteral("种子: %1 • 下载: %2")
                               .arg(tracker.numSeeds.value_or(0))
                               .arg(tracker.numLeeches.value_or(0));
    return {
        {QStringLiteral("url"), tracker.url},
        {QStringLiteral("status"), tracker.status},
        {QStringLiteral("statusText"), tracker.statusText()},
        {QStringLiteral("isWorking"), tracker.status == 2},
        {QStringLiteral("seedsAndLeechesText"), counts},
    };
}

QVariantMap peerMap(const TorrentPeer &peer)
{
    return {
        {QStringLiteral("address"), peer.ip + u':' + QString::number(peer.port)},
        {QStringLiteral("client"), peer.client},
        {QStringLiteral("progress"), peer.progress},
        {QStringLiteral("progressText"), formatProgress(peer.progress)},
        {QStringLiteral("dlSpeedText"), formatRate(peer.dlSpeed)},
        {QStringLiteral("upSpeedText"), formatRate(peer.upSpeed)},
    };
}

template <typename T, typename ToMap> QVariantList mapped(const QList<T> &items, ToMap toMap)
{
    QVariantList list;
    list.reserve(items.size());
    for (const T &item : items)
        list.append(toMap(item));
    return list;
}

} // namespace

TorrentDetailViewModel::TorrentDetailViewModel(QObject *parent)
    : QObject(parent), m_apiClient(QBittorrentAPIClient::shared())
{}

TorrentDetailViewModel::TorrentDetailViewModel(Torrent torrent, QBittorrentAPIClient &apiClient,
                                               QObject *parent)
    : QObject(parent), m_apiClient(apiClient), m_torrent(std::move(torrent)), m_torrentSet(true)
{}

QVariant TorrentDetailViewModel::torrentVariant() const
{
    return m_torrentSet ? QVariant::fromValue(m_torrent) : QVariant();
}

void TorrentDetailViewModel::setTorrentVariant(const QVariant &value)
{
    // The screen shows the torrent as it was when it was opened: the first value stays.
    if (m_torrentSet || value.metaType() != QMetaType::fromType<Torrent>())
        return;
    m_torrent = value.value<Torrent>();
    m_torrentSet = true;
    Q_EMIT torrentChanged();
}

QVariantList TorrentDetailViewModel::infoRows() const
{
    if (!m_torrentSet)
        return {};
    const Torrent &t = m_torrent;
    QVariantList rows{
        row(QStringLiteral("名称"), t.name),
        row(QStringLiteral("大小"), formatBytes(t.size)),
        row(QStringLiteral("进度"), formatProgress(t.progress)),
        row(QStringLiteral("状态"), TorrentStates::displayName(t.state)),
        row(QStringLiteral("下载速度"), formatRate(t.dlspeed)),
        row(QStringLiteral("上传速度"), formatRate(t.upspeed)),
        row(QStringLiteral("已下载"), formatBytes(t.downloaded)),
        row(QStringLiteral("已上传"), formatBytes(t.uploaded)),
        row(QStringLiteral("分享率"), formatRatio(t.ratio)),
        row(QStringLiteral("添加时间"), formattedDate(t.addedOn)),
    };
    if (t.completionOn)
        rows.append(row(QStringLiteral("完成时间"), formattedDate(*t.completionOn)));
    rows.append(row(QStringLiteral("保存路径"), t.savePath));
    return rows;
}

QVariantList TorrentDetailViewModel::filesVariant() const
{
    return mapped(m_files, fileMap);
}

QVariantList TorrentDetailViewModel::trackersVariant() const
{
    return mapped(m_trackers, trackerMap);
}

QVariantList TorrentDetailViewModel::peersVariant() const
{
    return mapped(m_peers, peerMap);
}

QString TorrentDetailViewModel::errorMessage() const
{
    return errorTexts(m_error).message;
}

void TorrentDetailViewModel::loadAll()
{
    loadFiles();
    loadTrackers();
    loadPeers();
}

void TorrentDetailViewModel::startLoadFiles()
{
    loadFiles();
}

void TorrentDetailViewModel::startLoadTrackers()
{
    loadTrackers();
}

void TorrentDetailViewModel::startLoadPeers()
{
    loadPeers();
}

void TorrentDetailViewModel::beginLoad()
{
    if (m_isLoading)
        return;
    m_isLoading = true;
    Q_EMIT isLoadingChanged();
}

void TorrentDetailViewModel::finishLoad(const ErrorPtr &failure)
{
    if (failure) {
        m_error = failure;
        Q_EMIT errorChanged();
    }
    if (!m_isLoading)
        return;
    m_isLoading = false;
    Q_EMIT isLoadingChanged();
}

// Each load touches the model after its answer only through the guard: a screen closed while
// the request is in flight leaves the answer unread.
QCoro::Task<void> TorrentDetailViewModel::loadFiles()
{
    QPointer<TorrentDetailViewModel> self(this);
    beginLoad();
    auto [files, failure] = co_await attempt(m_apiClient.getTorrentFiles(m_torrent.id));
    if (failure)
        logLine(QStringLiteral("❌ 加载文件列表失败: ") + failure->localizedDescription());
    if (!self)
        co_return;
    if (files) {
        m_files = std::move(*files);
        Q_EMIT filesChanged();
    }
    finishLoad(failure);
}

QCoro::Task<void> TorrentDetailViewModel::loadTrackers()
{
    QPointer<TorrentDetailViewModel> self(this);
    beginLoad();
    auto [trackers, failure] = co_await attempt(m_apiClient.getTorrentTrackers(m_torrent.id));
    if (failure)
        logLine(QStringLiteral("❌ 加载 Tracker 失败: ") + failure->localizedDescription());
    if (!self)
        co_return;
    if (trackers) {
        m_trackers = std::move(*trackers);
        Q_EMIT trackersChanged();
    }
    finishLoad(failure);
}

QCoro::Task<void> TorrentDetailViewModel::loadPeers()
{
    QPointer<TorrentDetailViewModel> self(this);
    beginLoad();
    auto [peers, failure] = co_await attempt(m_apiClient.getTorrentPeers(m_torrent.id));
    if (failure)
        logLine(QStringLiteral("❌ 加载 Peer 失败: ") + failure->localizedDescription());
    if (!self)
        co_return;
    if (peers) {
        m_peers = std::move(*peers);
        Q_EMIT peersChanged();
    }
    finishLoad(failure);
}
