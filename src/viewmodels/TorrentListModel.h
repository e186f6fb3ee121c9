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
        // Named apart from the Item properties `id` and `state`, so that a delegate can
        // declare them as required properties.
        HashRole = Qt::UserRole + 1,
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
        TorrentStateRole, // raw value
        StateNameRole,    // display name
        StateIconRole,    // symbol name
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

public:
    // setTorrents() rebuilds the model instead of applying the difference when more than half of
    // the rows would be removed, inserted or moved, or when the row operations would shift more
    // than this many rows in total (one by one they would cost more than a rebuild).
    static constexpr qint64 maxShiftedRows = 8'000'000;

private:
    void reset(const QList<Torrent> &torrents);
    bool applyDifference(const QList<Torrent> &next, const QHash<QString, qsizetype> &nextRows);
    void applyValueChanges(const QList<Torrent> &next);

    QList<Torrent> m_torrents;
    // Row of each id in m_torrents; valid when m_uniqueIds.
    QHash<QString, qsizetype> m_rowOfId;
    bool m_uniqueIds = true;
};
