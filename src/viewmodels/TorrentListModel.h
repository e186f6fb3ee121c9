// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/Torrent.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QSet>

#include <functional>
#include <vector>

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
    // The rows chosen in the selection mode, by hash; a row that leaves the list leaves the
    // selection.
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY selectionChanged)

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
        IsSelectedRole,
    };
    Q_ENUM(Role)

    explicit TorrentListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    const QList<TorrentPtr> &records() const { return m_rows; }
    QList<Torrent> torrents() const; // copies
    // `unique`: the caller vouches that no two records are of one torrent (the repository's),
    // which spares checking.
    // `keys`: the records' keys (KeyOf below) for the order that is to come, when the caller has
    // them; otherwise they are made when a change is next placed.
    enum class Ids { mayRepeat, unique };
    void setRecords(const QList<TorrentPtr> &records, Ids ids = Ids::mayRepeat, std::vector<qint64> keys = {});
    void setTorrents(const QList<Torrent> &torrents); // each one a new record
    // Another list altogether, told as new values of the rows the two lists have and rows
    // removed or added at the end. The records are the caller's to vouch for.
    void replaceRecords(const QList<TorrentPtr> &records, std::vector<qint64> keys = {});

    // Whether a record belongs in the list, and whether one goes before another (strict and
    // total over the records shown).
    using Admits = std::function<bool(const Torrent &)>;
    using Order = std::function<bool(const Torrent &, const Torrent &)>;
    // A number that orders like `order` where numbers differ (smaller first); equal numbers
    // decide nothing. Kept per row, it spares reading records while searching.
    using KeyOf = std::function<qint64(const Torrent &)>;
    // The keys of `records`, in their order (for setRecords and replaceRecords).
    static std::vector<qint64> keysOf(const QList<TorrentPtr> &records, const KeyOf &keyOf);
    // Takes in changed records without visiting the other rows. The rows must hold the
    // `before` records in `order`, exactly those that `admits` takes; then a record that keeps
    // its place is one dataChanged, one that moves one row move, a new one an insert and a gone
    // one a removal. The rows of the records that keep their place are found in one ordered pass
    // over the keys; each other change costs a binary search.
    void applyChanges(const QList<TorrentChange> &changes, const Admits &admits, const Order &order,
                      const KeyOf &keyOf);

    // The torrent of a row, wrapped for QML (invalid QVariant when out of range).
    Q_INVOKABLE QVariant torrentAt(int row) const;
    Q_INVOKABLE int indexOf(const QString &id) const;
    // The hash of a row; empty when out of range.
    Q_INVOKABLE QString hashAt(int row) const
    {
        return row >= 0 && row < m_rows.size() ? m_rows[row]->id : QString();
    }

    int selectedCount() const { return int(m_selected.size()); }
    Q_INVOKABLE void toggleSelected(int row);
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void clearSelection();
    // The selected hashes in the order of the rows.
    Q_INVOKABLE QStringList selectedHashes() const;

Q_SIGNALS:
    void countChanged();
    void selectionChanged();

public:
    // setTorrents() rebuilds the model instead of applying the difference when more than half of
    // the rows would be removed, inserted or moved, or when the row operations would shift more
    // than this many rows in total (one by one they would cost more than a rebuild).
    static constexpr qint64 maxShiftedRows = 8'000'000;

private:
    void reset(const QList<TorrentPtr> &records);
    bool applyDifference(const QList<TorrentPtr> &next);
    void applyValueChanges(const QList<TorrentPtr> &next);
    // Where `record` goes in the rows, by its key and then by `order`.
    qsizetype placeOf(const Torrent &record, const Order &order, const KeyOf &keyOf) const;
    // The same, where `first` is the first row whose key is not below `key`, the record's.
    qsizetype placeAt(const Torrent &record, const Order &order, qint64 key,
                      std::vector<qint64>::const_iterator first) const;
    // Changes of values alone (the record stays shown, in its place): signalled, and marked in
    // `done`.
    void applyChangesInPlace(const QList<TorrentChange> &changes, const Admits &admits, const Order &order,
                             const KeyOf &keyOf, std::vector<bool> &done);

    void forgetSelected(int first, int last);
    void keepSelectedOfRows();

    QList<TorrentPtr> m_rows;
    QSet<QString> m_selected;
    bool m_uniqueIds = true; // no two rows of one torrent
    // The key of each row, made by the first applyChanges() after the rows were set and kept
    // by it; any other change of the rows drops it.
    std::vector<qint64> m_keys;
};
