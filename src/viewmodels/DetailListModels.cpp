// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

QString TorrentFilesModel::priorityText(int priority)
{
    switch (priority) {
    case -1:
        return tr("混合");
    case 0:
        return tr("不下载");
    case 6:
        return tr("高");
    case 7:
        return tr("最高");
    default:
        return tr("普通");
    }
}

void TorrentFilesModel::build()
{
    m_nodes = {Node{}};
    QHash<QString, int> folders;
    for (int i = 0; i < m_files.size(); ++i) {
        const QStringList parts = m_files[i].name.split(u'/', Qt::SkipEmptyParts);
        int parent = 0;
        QString path;
        for (qsizetype p = 0; p + 1 < parts.size(); ++p) {
            path += (path.isEmpty() ? QString() : QStringLiteral("/")) + parts[p];
            int &folder = folders[path];
            if (folder == 0) {
                folder = int(m_nodes.size());
                m_nodes.append(Node{parts[p], path, parent, m_nodes[parent].depth + 1, -1, {}, 0, 0, -2});
                m_nodes[parent].children.append(folder);
            }
            parent = folder;
        }
        const int node = int(m_nodes.size());
        const TorrentFile &file = m_files[i];
        m_nodes.append(Node{parts.isEmpty() ? file.name : parts.last(), file.name, parent,
                            m_nodes[parent].depth + 1, i, {}, file.size, double(file.size) * file.progress,
                            int(file.priority)});
        m_nodes[parent].children.append(node);
    }
    // Children come after their parents, so one backward sweep sums every folder.
    for (qsizetype n = m_nodes.size() - 1; n > 0; --n) {
        const Node &child = m_nodes[n];
        Node &parent = m_nodes[child.parent];
        parent.size += child.size;
        parent.doneBytes += child.doneBytes;
        parent.priority = parent.priority == -2 || parent.priority == child.priority ? child.priority : -1;
    }
    // Folders before files, each in the order of the answer.
    for (Node &node : m_nodes) {
        std::stable_partition(node.children.begin(), node.children.end(),
                              [this](int child) { return m_nodes[child].file < 0; });
    }
}

TorrentFilesModel::Row TorrentFilesModel::rowOf(int node) const
{
    const Node &n = m_nodes[node];
    const bool folder = n.file < 0;
    const double progress = folder ? (n.size > 0 ? n.doneBytes / double(n.size) : 0) : m_files[n.file].progress;
    return Row{node, n.name, n.depth - 1, folder, folder && m_expanded.contains(n.path), n.size,
               progress, n.priority < 0 ? -1 : n.priority};
}

void TorrentFilesModel::appendShown(int node, QList<Row> &rows) const
{
    for (const int child : m_nodes[node].children) {
        rows.append(rowOf(child));
        if (rows.last().expanded)
            appendShown(child, rows);
    }
}

QList<TorrentFilesModel::Row> TorrentFilesModel::shownRows() const
{
    QList<Row> rows;
    appendShown(0, rows);
    return rows;
}

void TorrentFilesModel::setFiles(QList<TorrentFile> files)
{
    m_files = std::move(files);
    build();
    if (!m_loadedOnce && !m_files.isEmpty()) {
        m_loadedOnce = true;
        const QList<int> &top = m_nodes[0].children;
        if (top.size() == 1 && m_nodes[top[0]].file < 0)
            m_expanded.insert(m_nodes[top[0]].path);
    }
    replaceRows(m_rows, shownRows());
}

void TorrentFilesModel::toggleExpanded(int row)
{
    if (row < 0 || row >= m_rows.size() || !m_rows[row].isFolder)
        return;
    const qsizetype before = m_rows.size();
    const Node &node = m_nodes[m_rows[row].node];
    if (m_rows[row].expanded) {
        m_expanded.remove(node.path);
        int end = row + 1;
        while (end < m_rows.size() && m_rows[end].depth > m_rows[row].depth)
            ++end;
        if (end > row + 1) {
            beginRemoveRows({}, row + 1, end - 1);
            m_rows.remove(row + 1, end - row - 1);
            endRemoveRows();
        }
    } else {
        m_expanded.insert(node.path);
        QList<Row> children;
        appendShown(m_rows[row].node, children);
        if (!children.isEmpty()) {
            beginInsertRows({}, row + 1, row + int(children.size()));
            m_rows.insert(row + 1, children.size(), Row{});
            std::move(children.begin(), children.end(), m_rows.begin() + row + 1);
            endInsertRows();
        }
    }
    m_rows[row].expanded = !m_rows[row].expanded;
    Q_EMIT dataChanged(index(row), index(row), {IsExpandedRole});
    if (m_rows.size() != before)
        Q_EMIT countChanged();
}

int TorrentFilesModel::rowOfPath(const QString &path) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_nodes[m_rows[row].node].path == path)
            return row;
    }
    return -1;
}

QList<qint64> TorrentFilesModel::fileIds(int row) const
{
    QList<qint64> ids;
    if (row < 0 || row >= m_rows.size())
        return ids;
    QList<int> pending{m_rows[row].node};
    while (!pending.isEmpty()) {
        const Node &node = m_nodes[pending.takeLast()];
        if (node.file >= 0)
            ids.append(m_files[node.file].index);
        for (auto child = node.children.crbegin(); child != node.children.crend(); ++child)
            pending.append(*child);
    }
    return ids;
}

void TorrentFilesModel::setPriority(const QList<qint64> &ids, int priority)
{
    const QSet<qint64> chosen(ids.begin(), ids.end());
    QList<TorrentFile> files = m_files;
    for (TorrentFile &file : files) {
        if (chosen.contains(file.index))
            file.priority = priority;
    }
    setFiles(std::move(files));
}

QVariant TorrentFilesModel::data(const QModelIndex &index, int role) const
{
    if (!validRow(index))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return row.name;
    case SizeRole:
        return row.size;
    case SizeTextRole:
        return formatBytes(row.size);
    case ProgressRole:
        return row.progress;
    case ProgressTextRole:
        return formatProgress(row.progress);
    case PathRole:
        return m_nodes[row.node].path;
    case DepthRole:
        return row.depth;
    case IsFolderRole:
        return row.isFolder;
    case IsExpandedRole:
        return row.expanded;
    case PriorityRole:
        return row.priority;
    case PriorityTextRole:
        return priorityText(row.priority);
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
            {ProgressTextRole, "progressText"},
            {PathRole, "path"},
            {DepthRole, "depth"},
            {IsFolderRole, "isFolder"},
            {IsExpandedRole, "isExpanded"},
            {PriorityRole, "priority"},
            {PriorityTextRole, "priorityText"}};
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
        return tr("种子: %1 • 下载: %2")
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
