#pragma once

#include "model/Torrent.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

#include <functional>

// The shown torrent list for QML, holding the repository's shared records. setRecords() applies
// the difference to the previous list: dataChanged for rows whose values changed (only the
// changed roles), row inserts, removals and moves when membership or order changes, and a reset
// only when most of the list changed, so a tick that changes one torrent's speed never resets a
// scrolled list. applyChanges() does the same from a list of changed records alone, at the cost
// of what changed.
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

    int count() const { return int(m_rows.size()); }
    const QList<TorrentPtr> &records() const { return m_rows; }
    QList<Torrent> torrents() const; // copies
    void setRecords(const QList<TorrentPtr> &records);
    void setTorrents(const QList<Torrent> &torrents); // each one a new record

    // Whether a record belongs in the list, and whether one goes before another (strict and
    // total over the records shown).
    using Admits = std::function<bool(const Torrent &)>;
    using Order = std::function<bool(const Torrent &, const Torrent &)>;
    // Takes in changed records without visiting the other rows. The rows must hold the
    // `before` records in `order`, exactly those that `admits` takes; then a record that keeps
    // its place is one dataChanged, one that moves one row move, a new one an insert and a gone
    // one a removal. Costs a binary search per change.
    void applyChanges(const QList<TorrentChange> &changes, const Admits &admits, const Order &order);

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
    void reset(const QList<TorrentPtr> &records);
    bool applyDifference(const QList<TorrentPtr> &next, const QHash<QString, qsizetype> &nextRows);
    void applyValueChanges(const QList<TorrentPtr> &next);
    // The row holding the record of `record`'s torrent, found in `order`; -1 when none does.
    qsizetype rowOf(const Torrent &record, const Order &order) const;

    QList<TorrentPtr> m_rows;
    bool m_uniqueIds = true; // no two rows of one torrent
};
