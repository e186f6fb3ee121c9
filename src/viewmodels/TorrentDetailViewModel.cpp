// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TorrentDetailViewModel.h"

#include "ErrorState.h"
#include "Logging.h"
#include "api/Attempt.h"
#include "api/QBittorrentAPIClient.h"
#include "model/Formatting.h"
#include "sync/TorrentRepository.h"

#include <QPointer>

TorrentDetailViewModel::TorrentDetailViewModel(QObject *parent)
    : TorrentDetailViewModel(Torrent{}, QBittorrentAPIClient::shared(), parent)
{
    m_torrentSet = false;
    m_info.setRows({});
}

TorrentDetailViewModel::TorrentDetailViewModel(Torrent torrent, QBittorrentAPIClient &apiClient,
                                               QObject *parent)
    : QObject(parent), m_apiClient(apiClient), m_repository(TorrentRepository::shared(apiClient)),
      m_torrent(std::move(torrent)), m_torrentSet(true), m_info(this), m_files(this), m_trackers(this),
      m_peers(this)
{
    m_info.setRows(infoRows());
    connect(m_repository.get(), &TorrentRepository::torrentsChanged, this, &TorrentDetailViewModel::follow);
}

// A torrent that is gone keeps the record last seen.
void TorrentDetailViewModel::follow(const TorrentChanges &changes)
{
    if (!m_torrentSet)
        return;
    const bool mine = changes.everything || std::any_of(changes.changes.cbegin(), changes.changes.cend(),
                                                        [this](const TorrentChange &change) {
                                                            const TorrentPtr &r = change.after ? change.after : change.before;
                                                            return r && r->id == m_torrent.id;
                                                        });
    if (!mine)
        return;
    const TorrentPtr record = m_repository->records().value(m_torrent.id);
    if (!record || *record == m_torrent)
        return;
    m_torrent = *record;
    m_info.setRows(infoRows());
    Q_EMIT torrentChanged();
}

QVariant TorrentDetailViewModel::torrentVariant() const
{
    return m_torrentSet ? QVariant::fromValue(m_torrent) : QVariant();
}

void TorrentDetailViewModel::setTorrentVariant(const QVariant &value)
{
    // The first value names the torrent; the sync stream keeps it current from then on.
    if (m_torrentSet || value.metaType() != QMetaType::fromType<Torrent>())
        return;
    m_torrent = value.value<Torrent>();
    m_torrentSet = true;
    m_info.setRows(infoRows());
    Q_EMIT torrentChanged();
}

QList<InfoRowsModel::Row> TorrentDetailViewModel::infoRows() const
{
    const Torrent &t = m_torrent;
    QList<InfoRowsModel::Row> rows{
        {tr("名称"), t.name},
        {tr("大小"), formatBytes(t.size)},
        {tr("进度"), formatProgress(t.progress)},
        {tr("状态"), TorrentStates::displayName(t.state)},
        {tr("下载速度"), formatRate(t.dlspeed)},
        {tr("上传速度"), formatRate(t.upspeed)},
        {tr("已下载"), formatBytes(t.downloaded)},
        {tr("已上传"), formatBytes(t.uploaded)},
        {tr("分享率"), formatRatio(t.ratio)},
        {tr("添加时间"), formattedDate(t.addedOn)},
    };
    if (t.completionOn)
        rows.append({tr("完成时间"), formattedDate(*t.completionOn)});
    rows.append({tr("保存路径"), t.savePath});
    if (!t.category.isEmpty())
        rows.append({tr("分类"), t.category});
    if (!t.tags.isEmpty())
        rows.append({tr("标签"), t.tagList().join(QStringLiteral(", "))});
    return rows;
}

QString TorrentDetailViewModel::errorMessage() const
{
    return errorTexts(m_error).message;
}

void TorrentDetailViewModel::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active)
        loadAll();
    Q_EMIT activeChanged();
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
    if (m_loadsInFlight++ == 0)
        Q_EMIT isLoadingChanged();
}

void TorrentDetailViewModel::finishLoad(const ErrorPtr &failure)
{
    if (failure) {
        m_error = failure;
        Q_EMIT errorChanged();
    }
    if (--m_loadsInFlight == 0)
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
        logLine(lcViewModels(), QStringLiteral("❌ 加载文件列表失败: ") + failure->localizedDescription());
    if (!self)
        co_return;
    if (files)
        m_files.setFiles(std::move(*files));
    finishLoad(failure);
}

void TorrentDetailViewModel::clearActionError()
{
    if (m_actionError.isEmpty())
        return;
    m_actionError.clear();
    Q_EMIT actionErrorChanged();
}

void TorrentDetailViewModel::setFilePriority(int row, int priority)
{
    const QList<qint64> ids = m_files.fileIds(row);
    if (ids.isEmpty() || (priority != 0 && priority != 1 && priority != 6 && priority != 7))
        return;
    setFilePriorities(ids, priority);
}

QCoro::Task<void> TorrentDetailViewModel::setFilePriorities(QList<qint64> ids, int priority)
{
    QPointer<TorrentDetailViewModel> self(this);
    QStringList joined;
    for (const qint64 id : ids)
        joined.append(QString::number(id));
    m_files.setPriority(ids, priority);
    const ErrorPtr failure =
        co_await attempt(m_apiClient.performAction(APIEndpoint::filePrio(m_torrent.id, joined.join(u'|'), priority)));
    if (failure)
        logLine(lcViewModels(), QStringLiteral("❌ 设置文件优先级失败: ") + failure->localizedDescription());
    else
        logLine(lcViewModels(), QStringLiteral("✅ 已设置文件优先级: %1 (%2个文件)")
                    .arg(TorrentFilesModel::priorityText(priority))
                    .arg(ids.size()));
    if (!self)
        co_return;
    if (failure) {
        m_actionError = errorTexts(failure).message;
        Q_EMIT actionErrorChanged();
    }
    co_await loadFiles(); // the server's word, also where it refused
}

QCoro::Task<void> TorrentDetailViewModel::loadTrackers()
{
    QPointer<TorrentDetailViewModel> self(this);
    beginLoad();
    auto [trackers, failure] = co_await attempt(m_apiClient.getTorrentTrackers(m_torrent.id));
    if (failure)
        logLine(lcViewModels(), QStringLiteral("❌ 加载 Tracker 失败: ") + failure->localizedDescription());
    if (!self)
        co_return;
    if (trackers)
        m_trackers.setTrackers(std::move(*trackers));
    finishLoad(failure);
}

QCoro::Task<void> TorrentDetailViewModel::loadPeers()
{
    QPointer<TorrentDetailViewModel> self(this);
    beginLoad();
    auto [peers, failure] = co_await attempt(m_apiClient.getTorrentPeers(m_torrent.id));
    if (failure)
        logLine(lcViewModels(), QStringLiteral("❌ 加载 Peer 失败: ") + failure->localizedDescription());
    if (!self)
        co_return;
    if (peers)
        m_peers.setPeers(std::move(*peers));
    finishLoad(failure);
}
