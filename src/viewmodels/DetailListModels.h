#pragma once

#include "RecordListModel.h"
#include "model/DetailRecords.h"

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

class TorrentFilesModel : public RecordListModel
{
    Q_OBJECT

public:
    enum Role { NameRole = Qt::UserRole + 1, SizeRole, SizeTextRole, ProgressRole, ProgressTextRole };
    Q_ENUM(Role)

    using RecordListModel::RecordListModel;
    int count() const override { return int(m_files.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    const QList<TorrentFile> &files() const { return m_files; }
    void setFiles(QList<TorrentFile> files) { replaceRows(m_files, std::move(files)); }

private:
    QList<TorrentFile> m_files;
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
