#include "DetailListModels.h"

#include "model/Formatting.h"

QVariant InfoRowsModel::data(const QModelIndex &index, int role) const
{
    if (!validRow(index))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case LabelRole:
        return row.label;
    case Qt::DisplayRole:
    case ValueRole:
        return row.value;
    default:
        return {};
    }
}

QHash<int, QByteArray> InfoRowsModel::roleNames() const
{
    return {{LabelRole, "label"}, {ValueRole, "value"}};
}

QVariant TorrentFilesModel::data(const QModelIndex &index, int role) const
{
    if (!validRow(index))
        return {};
    const TorrentFile &file = m_files.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return file.name;
    case SizeRole:
        return file.size;
    case SizeTextRole:
        return formatBytes(file.size);
    case ProgressRole:
        return file.progress;
    case ProgressTextRole:
        return formatProgress(file.progress);
    default:
        return {};
    }
}

QHash<int, QByteArray> TorrentFilesModel::roleNames() const
{
    return {{NameRole, "name"},
            {SizeRole, "size"},
            {SizeTextRole, "sizeText"},
            {ProgressRole, "progress"},
            {ProgressTextRole, "progressText"}};
}

QVariant TorrentTrackersModel::data(const QModelIndex &index, int role) const
{
    if (!validRow(index))
        return {};
    const TorrentTracker &tracker = m_trackers.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case UrlRole:
        return tracker.url;
    case StatusRole:
        return tracker.status;
    case StatusTextRole:
        return tracker.statusText();
    case IsWorkingRole:
        return tracker.status == 2;
    case SeedsAndLeechesTextRole:
        // Counts the server left out show as 0.
        return QStringLiteral("种子: %1 • 下载: %2")
            .arg(tracker.numSeeds.value_or(0))
            .arg(tracker.numLeeches.value_or(0));
    default:
        return {};
    }
}

QHash<int, QByteArray> TorrentTrackersModel::roleNames() const
{
    return {{UrlRole, "url"},
            {StatusRole, "status"},
            {StatusTextRole, "statusText"},
            {IsWorkingRole, "isWorking"},
            {SeedsAndLeechesTextRole, "seedsAndLeechesText"}};
}

void TorrentTrackersModel::setTrackers(QList<TorrentTracker> trackers)
{
    // Every decoding gives a tracker a new id: comparing it would report every row as changed.
    replaceRows(m_trackers, std::move(trackers), [](const TorrentTracker &a, const TorrentTracker &b) {
        TorrentTracker sameId = b;
        sameId.id = a.id;
        return a == sameId;
    });
}

QVariant TorrentPeersModel::data(const QModelIndex &index, int role) const
{
    if (!validRow(index))
        return {};
    const TorrentPeer &peer = m_peers.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case AddressRole:
        return QString(peer.ip + u':' + QString::number(peer.port));
    case ClientRole:
        return peer.client;
    case ProgressRole:
        return peer.progress;
    case ProgressTextRole:
        return formatProgress(peer.progress);
    case DlSpeedTextRole:
        return formatRate(peer.dlSpeed);
    case UpSpeedTextRole:
        return formatRate(peer.upSpeed);
    default:
        return {};
    }
}

QHash<int, QByteArray> TorrentPeersModel::roleNames() const
{
    return {{AddressRole, "address"},         {ClientRole, "client"},
            {ProgressRole, "progress"},       {ProgressTextRole, "progressText"},
            {DlSpeedTextRole, "dlSpeedText"}, {UpSpeedTextRole, "upSpeedText"}};
}
