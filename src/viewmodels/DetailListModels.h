// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RecordListModel.h"
#include "model/DetailRecords.h"

#include <QSet>
#include <QString>

// The rows of the detail screen's four tabs. Role names are the delegates' required
// properties.

// The torrent's figures as label/value lines, in screen order.
class InfoRowsModel : public RecordListModel
{
    Q_OBJECT

public:
    enum Role { LabelRole = Qt::UserRole + 1, ValueRole };
    Q_ENUM(Role)
    struct Row
    {
        QString label;
        QString value;
        bool operator==(const Row &) const = default;
    };

    using RecordListModel::RecordListModel;
    int count() const override { return int(m_rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    void setRows(QList<Row> rows) { replaceRows(m_rows, std::move(rows)); }

private:
    QList<Row> m_rows;
};

// The files of a torrent as a tree: a file's name is its path, "/" between folders. A folder
// row sums the sizes and the downloaded bytes of the files under it, and shows their priority
// when they share one. Only the rows of open folders exist, so a torrent of thousands of files
// costs the rows shown; a new answer keeps the open folders (by path) and tells the view only
// the rows that differ.
class TorrentFilesModel : public RecordListModel
{
    Q_OBJECT

public:
    enum Role {
        NameRole = Qt::UserRole + 1, // the last part of the path
        SizeRole,
        SizeTextRole,
        ProgressRole,
        ProgressTextRole,
        PathRole,
        DepthRole,
        IsFolderRole,
        IsExpandedRole,
        PriorityRole, // -1 for a folder whose files differ
        PriorityTextRole,
    };
    Q_ENUM(Role)

    using RecordListModel::RecordListModel;
    int count() const override { return int(m_rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    const QList<TorrentFile> &files() const { return m_files; }
    // A torrent whose files all sit in one folder opens with that folder open.
    void setFiles(QList<TorrentFile> files);
    Q_INVOKABLE void toggleExpanded(int row);
    // The row of a file or folder by its path; -1 when it is not shown.
    Q_INVOKABLE int rowOfPath(const QString &path) const;
    // The ids of the files a row stands for: a file's own, or those of every file under a folder.
    QList<qint64> fileIds(int row) const;
    // Shows a priority for those files before the server's next answer does.
    void setPriority(const QList<qint64> &ids, int priority);
    // 不下载 (0), 普通, 高 (6), 最高 (7); 混合 for -1.
    static QString priorityText(int priority);

private:
    struct Node
    {
        QString name;
        QString path;
        int parent = -1;
        int depth = 0;
        int file = -1; // the index into the files; -1 for a folder
        QList<int> children;
        qint64 size = 0;
        double doneBytes = 0;
        int priority = -2; // -2 until the first file is summed
    };
    struct Row
    {
        int node = 0;
        QString name;
        int depth = 0;
        bool isFolder = false;
        bool expanded = false;
        qint64 size = 0;
        double progress = 0;
        int priority = 0;
        bool operator==(const Row &) const = default;
    };

    void build();
    Row rowOf(int node) const;
    void appendShown(int node, QList<Row> &rows) const; // the node's children, open ones unfolded
    QList<Row> shownRows() const;

    QList<TorrentFile> m_files;
    QList<Node> m_nodes; // [0] is the root, parents before their children
    QSet<QString> m_expanded;
    bool m_loadedOnce = false;
    QList<Row> m_rows;
};

class TorrentTrackersModel : public RecordListModel
{
    Q_OBJECT

public:
    enum Role {
        UrlRole = Qt::UserRole + 1,
        StatusRole,
        StatusTextRole,
        IsWorkingRole,
        SeedsAndLeechesTextRole
    };
    Q_ENUM(Role)

    using RecordListModel::RecordListModel;
    int count() const override { return int(m_trackers.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    const QList<TorrentTracker> &trackers() const { return m_trackers; }
    void setTrackers(QList<TorrentTracker> trackers);

private:
    QList<TorrentTracker> m_trackers;
};

class TorrentPeersModel : public RecordListModel
{
    Q_OBJECT

public:
    enum Role {
        AddressRole = Qt::UserRole + 1,
        ClientRole,
        ProgressRole,
        ProgressTextRole,
        DlSpeedTextRole,
        UpSpeedTextRole,
    };
    Q_ENUM(Role)

    using RecordListModel::RecordListModel;
    int count() const override { return int(m_peers.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    const QList<TorrentPeer> &peers() const { return m_peers; }
    void setPeers(QList<TorrentPeer> peers) { replaceRows(m_peers, std::move(peers)); }

private:
    QList<TorrentPeer> m_peers;
};
