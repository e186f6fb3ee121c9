#pragma once

#include "model/Torrent.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

// The shown torrent list for QML. setTorrents() applies the difference to the previous list:
// dataChanged for rows whose values changed (only the changed roles), row inserts, removals and
// moves when membership or order changes, and a reset only when most of the list changed, so
// a tick that changes one torrent's speed never resets a scrolled list.
class TorrentListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        SizeRole,
        SizeTextRole,
        ProgressRole,
        ProgressTextRole,
        DlspeedRole,
        DlspeedTextRole,
        UpspeedRole,
        UpspeedTextRole,
        RatioRole,
        RatioTextRole,
        EtaRole,
        EtaTextRole,
        StateRole,     // raw value
        StateNameRole, // display name
        StateIconRole, // symbol name
        IsPausedRole,
        TagListRole, // QStringList
        CategoryRole,
        SavePathRole,
    };
    Q_ENUM(Role)

    explicit TorrentListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_torrents.size()); }
    const QList<Torrent> &torrents() const { return m_torrents; }
    void setTorrents(const QList<Torrent> &torrents);

    // The torrent of a row, wrapped for QML (invalid QVariant when out of range).
    Q_INVOKABLE QVariant torrentAt(int row) const;
    Q_INVOKABLE int indexOf(const QString &id) const;

Q_SIGNALS:
    void countChanged();

private:
    QList<Torrent> m_torrents;
};
