// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TorrentListModel.h"

#include "model/Formatting.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace {

using Roles = QList<int>;

// The roles whose values differ between two records of the same torrent.
Roles changedRoles(const Torrent &a, const Torrent &b)
{
    using R = TorrentListModel::Role;
    static const Roles groups[] = {
        {R::NameRole},
        {R::SizeRole, R::SizeTextRole},
        {R::ProgressRole, R::ProgressTextRole},
        {R::DlspeedRole, R::DlspeedTextRole},
        {R::UpspeedRole, R::UpspeedTextRole},
        {R::RatioRole, R::RatioTextRole},
        {R::EtaRole, R::EtaTextRole},
        {R::TorrentStateRole, R::StateNameRole, R::StateIconRole, R::IsPausedRole},
        {R::TagListRole},
        {R::CategoryRole},
        {R::SavePathRole},
    };
    const bool differs[] = {a.name != b.name,         a.size != b.size,     a.progress != b.progress,
                            a.dlspeed != b.dlspeed,   a.upspeed != b.upspeed, a.ratio != b.ratio,
                            a.eta != b.eta,           a.state != b.state,   a.tags != b.tags,
                            a.category != b.category, a.savePath != b.savePath};
    static_assert(std::size(differs) == std::size(groups));
    unsigned changed = 0;
    for (std::size_t i = 0; i < std::size(differs); ++i)
        changed |= unsigned(differs[i]) << i;
    if (changed == 0)
        return {};
    // The same few combinations come on every tick: each list is made once and then shared.
    thread_local QHash<unsigned, Roles> made;
    auto it = made.constFind(changed);
    if (it == made.cend()) {
        Roles roles;
        for (std::size_t i = 0; i < std::size(groups); ++i) {
            if (changed & (1u << i))
                roles.append(groups[i]);
        }
        it = made.insert(changed, roles);
    }
    return *it;
}

// Marks the members of one longest increasing subsequence of `values` (all distinct), in
// O(n log n). Those rows keep their place; every other row is moved.
std::vector<char> longestIncreasingMembers(const std::vector<qsizetype> &values)
{
    const qsizetype n = qsizetype(values.size());
    std::vector<qsizetype> tails; // per length, the index of the smallest tail value
    std::vector<qsizetype> previous(std::size_t(n), -1);
    for (qsizetype i = 0; i < n; ++i) {
        auto it = std::lower_bound(
            tails.begin(), tails.end(), values[std::size_t(i)],
            [&values](qsizetype index, qsizetype value) { return values[std::size_t(index)] < value; });
        if (it != tails.begin())
            previous[std::size_t(i)] = *(it - 1);
        if (it == tails.end())
            tails.push_back(i);
        else
            *it = i;
    }
    std::vector<char> member(std::size_t(n), 0);
    for (qsizetype i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[std::size_t(i)])
        member[std::size_t(i)] = 1;
    return member;
}

} // namespace

TorrentListModel::TorrentListModel(QObject *parent) : QAbstractListModel(parent)
{
    connect(this, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { forgetSelected(first, last); });
    connect(this, &QAbstractItemModel::modelReset, this, &TorrentListModel::keepSelectedOfRows);
}

void TorrentListModel::forgetSelected(int first, int last)
{
    if (m_selected.isEmpty())
        return;
    const qsizetype before = m_selected.size();
    for (int row = first; row <= last && row < m_rows.size(); ++row)
        m_selected.remove(m_rows[row]->id);
    if (m_selected.size() != before)
        Q_EMIT selectionChanged();
}

void TorrentListModel::keepSelectedOfRows()
{
    if (m_selected.isEmpty())
        return;
    QSet<QString> kept;
    for (const TorrentPtr &row : std::as_const(m_rows)) {
        if (m_selected.contains(row->id))
            kept.insert(row->id);
    }
    if (kept.size() == m_selected.size())
        return;
    m_selected = std::move(kept);
    Q_EMIT selectionChanged();
}

void TorrentListModel::toggleSelected(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    const QString &id = m_rows[row]->id;
    if (!m_selected.remove(id))
        m_selected.insert(id);
    Q_EMIT dataChanged(index(row), index(row), {IsSelectedRole});
    Q_EMIT selectionChanged();
}

void TorrentListModel::selectAll()
{
    if (m_rows.isEmpty() || m_selected.size() == m_rows.size())
        return;
    for (const TorrentPtr &row : std::as_const(m_rows))
        m_selected.insert(row->id);
    Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {IsSelectedRole});
    Q_EMIT selectionChanged();
}

void TorrentListModel::clearSelection()
{
    if (m_selected.isEmpty())
        return;
    m_selected.clear();
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {IsSelectedRole});
    Q_EMIT selectionChanged();
}

QStringList TorrentListModel::selectedHashes() const
{
    QStringList hashes;
    if (m_selected.isEmpty())
        return hashes;
    hashes.reserve(m_selected.size());
    for (const TorrentPtr &row : m_rows) {
        if (m_selected.contains(row->id))
            hashes.append(row->id);
    }
    return hashes;
}

int TorrentListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant TorrentListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Torrent &t = *m_rows.at(index.row());
    switch (role) {
    case HashRole:
        return t.id;
    case Qt::DisplayRole:
    case NameRole:
        return t.name;
    case SizeRole:
        return t.size;
    case SizeTextRole:
        return formatBytes(t.size);
    case ProgressRole:
        return t.progress;
    case ProgressTextRole:
        return formatProgress(t.progress);
    case DlspeedRole:
        return t.dlspeed;
    case DlspeedTextRole:
        return formatRate(t.dlspeed);
    case UpspeedRole:
        return t.upspeed;
    case UpspeedTextRole:
        return formatRate(t.upspeed);
    case RatioRole:
        return t.ratio;
    case RatioTextRole:
        return formatRatio(t.ratio);
    case EtaRole:
        return t.eta;
    case EtaTextRole:
        return t.formattedETA();
    case TorrentStateRole:
        return TorrentStates::rawValue(t.state);
    case StateNameRole:
        return TorrentStates::displayName(t.state);
    case StateIconRole:
        return TorrentStates::iconName(t.state);
    case IsPausedRole:
        return t.isPaused();
    case TagListRole:
        return t.tagList();
    case CategoryRole:
        return t.category;
    case SavePathRole:
        return t.savePath;
    case IsSelectedRole:
        return m_selected.contains(t.id);
    default:
        return {};
    }
}

QHash<int, QByteArray> TorrentListModel::roleNames() const
{
    return {
        {HashRole, "hash"},
        {IsSelectedRole, "isSelected"},
        {NameRole, "name"},
        {SizeRole, "size"},
        {SizeTextRole, "sizeText"},
        {ProgressRole, "progress"},
        {ProgressTextRole, "progressText"},
        {DlspeedRole, "dlspeed"},
        {DlspeedTextRole, "dlspeedText"},
        {UpspeedRole, "upspeed"},
        {UpspeedTextRole, "upspeedText"},
        {RatioRole, "ratio"},
        {RatioTextRole, "ratioText"},
        {EtaRole, "eta"},
        {EtaTextRole, "etaText"},
        {TorrentStateRole, "torrentState"},
        {StateNameRole, "stateName"},
        {StateIconRole, "stateIcon"},
        {IsPausedRole, "isPaused"},
        {TagListRole, "tagList"},
        {CategoryRole, "category"},
        {SavePathRole, "savePath"},
    };
}

QVariant TorrentListModel::torrentAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return QVariant::fromValue(*m_rows.at(row));
}

int TorrentListModel::indexOf(const QString &id) const
{
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row)->id == id)
            return int(row);
    }
    return -1;
}

QList<Torrent> TorrentListModel::torrents() const
{
    QList<Torrent> copies;
    copies.reserve(m_rows.size());
    for (const TorrentPtr &record : m_rows)
        copies.append(*record);
    return copies;
}

void TorrentListModel::setTorrents(const QList<Torrent> &torrents)
{
    QList<TorrentPtr> records;
    records.reserve(torrents.size());
    for (const Torrent &torrent : torrents)
        records.append(std::make_shared<const Torrent>(torrent));
    setRecords(records);
}

void TorrentListModel::setRecords(const QList<TorrentPtr> &records, Ids ids, std::vector<qint64> keys)
{
    // Otherwise made again when next needed, for the order of the rows to come.
    m_keys = keys.size() == size_t(records.size()) ? std::move(keys) : std::vector<qint64>();
    const qsizetype oldCount = m_rows.size();
    const qsizetype newCount = records.size();
    if (oldCount == 0 && newCount == 0)
        return;

    // The common case: the same torrents in the same order, some values changed.
    const bool sameRows = oldCount == newCount &&
                          std::equal(m_rows.cbegin(), m_rows.cend(), records.cbegin(),
                                     [](const TorrentPtr &a, const TorrentPtr &b) {
                                         return a == b || a->id == b->id;
                                     });
    if (sameRows && m_uniqueIds) {
        applyValueChanges(records);
        return;
    }

    bool nextUnique = ids == Ids::unique;
    if (!nextUnique) {
        QSet<QString> seen;
        seen.reserve(newCount);
        for (const TorrentPtr &record : records)
            seen.insert(record->id);
        nextUnique = seen.size() == newCount;
    }

    if (!m_uniqueIds || !nextUnique) {
        // Rows cannot be matched by id; start over.
        reset(records);
    } else if (oldCount == 0) {
        beginInsertRows({}, 0, int(newCount - 1));
        m_rows = records;
        endInsertRows();
    } else if (newCount == 0) {
        beginRemoveRows({}, 0, int(oldCount - 1));
        m_rows.clear();
        endRemoveRows();
    } else if (2 * std::abs(newCount - oldCount) <= std::max(oldCount, newCount) && applyDifference(records)) {
        applyValueChanges(records);
    } else {
        reset(records);
    }
    m_uniqueIds = nextUnique;
    if (m_rows.size() != oldCount)
        Q_EMIT countChanged();
}

void TorrentListModel::replaceRecords(const QList<TorrentPtr> &records, std::vector<qint64> keys)
{
    // Rows stay rows: the rows both lists have take the new records, the others are removed
    // or added at the end. A view keeps its delegates instead of making each one anew.
    const qsizetype oldCount = m_rows.size();
    const qsizetype newCount = records.size();
    const QSet<QString> selected = m_selected; // the removed rows' torrents may still be listed
    m_keys = keys.size() == size_t(newCount) ? std::move(keys) : std::vector<qint64>();
    m_uniqueIds = true;
    if (newCount < oldCount) {
        beginRemoveRows({}, int(newCount), int(oldCount - 1));
        m_rows.resize(newCount);
        endRemoveRows();
    } else if (newCount > oldCount) {
        beginInsertRows({}, int(oldCount), int(newCount - 1));
        m_rows.append(records.sliced(oldCount));
        endInsertRows();
    }
    m_rows = records;
    m_selected = selected;
    if (const qsizetype common = std::min(oldCount, newCount); common > 0)
        Q_EMIT dataChanged(index(0), index(int(common - 1)), {});
    keepSelectedOfRows();
    if (newCount != oldCount)
        Q_EMIT countChanged();
}

void TorrentListModel::reset(const QList<TorrentPtr> &records)
{
    beginResetModel();
    m_rows = records;
    endResetModel();
}

// Removes, moves and inserts rows until the ids of m_rows are those of `next` in its order.
// Values of the rows that stay are left for applyValueChanges(). Answers false, having changed
// nothing, when the difference is too large to be worth applying row by row.
bool TorrentListModel::applyDifference(const QList<TorrentPtr> &next)
{
    const qsizetype oldCount = m_rows.size();
    const qsizetype newCount = next.size();

    // Rows are matched by record first: a torrent that did not change is the same record in
    // both lists, and its address hashes without reading the record. The few left over (changed
    // records) are matched by id.
    std::vector<qsizetype> newRowOfOld(std::size_t(oldCount), -1);
    std::vector<qsizetype> oldRowOfNew(std::size_t(newCount), -1);
    {
        QHash<const Torrent *, qsizetype> oldRowOfRecord;
        oldRowOfRecord.reserve(oldCount);
        for (qsizetype row = 0; row < oldCount; ++row)
            oldRowOfRecord.insert(m_rows.at(row).get(), row);
        std::vector<qsizetype> unmatched;
        for (qsizetype row = 0; row < newCount; ++row) {
            const auto it = oldRowOfRecord.constFind(next.at(row).get());
            if (it != oldRowOfRecord.cend() && newRowOfOld[std::size_t(it.value())] < 0) {
                newRowOfOld[std::size_t(it.value())] = row;
                oldRowOfNew[std::size_t(row)] = it.value();
            } else {
                unmatched.push_back(row);
            }
        }
        if (!unmatched.empty()) {
            QHash<QString, qsizetype> oldRowOfId;
            for (qsizetype row = 0; row < oldCount; ++row) {
                if (newRowOfOld[std::size_t(row)] < 0)
                    oldRowOfId.insert(m_rows.at(row)->id, row);
            }
            for (const qsizetype row : unmatched) {
                const auto it = oldRowOfId.constFind(next.at(row)->id);
                if (it != oldRowOfId.cend()) {
                    newRowOfOld[std::size_t(it.value())] = row;
                    oldRowOfNew[std::size_t(row)] = it.value();
                }
            }
        }
    }

    // The rank of each kept row among the kept rows in the old order.
    std::vector<qsizetype> oldRank(std::size_t(oldCount), -1);
    qsizetype kept = 0;
    for (qsizetype row = 0; row < oldCount; ++row) {
        if (newRowOfOld[std::size_t(row)] >= 0)
            oldRank[std::size_t(row)] = kept++;
    }
    // The kept rows in the new order: their old rows and their new rows; whether each new row
    // is new.
    std::vector<qsizetype> keptOldRows;
    std::vector<qsizetype> keptNewRows;
    std::vector<char> isNew(std::size_t(newCount), 0);
    keptOldRows.reserve(std::size_t(kept));
    keptNewRows.reserve(std::size_t(kept));
    for (qsizetype row = 0; row < newCount; ++row) {
        if (const qsizetype old = oldRowOfNew[std::size_t(row)]; old >= 0) {
            keptOldRows.push_back(old);
            keptNewRows.push_back(row);
        } else {
            isNew[std::size_t(row)] = 1;
        }
    }
    const std::vector<char> staying = longestIncreasingMembers(keptOldRows);

    // Cost of the row operations, counted in rows shifted by each of them.
    const qsizetype removed = oldCount - kept;
    const qsizetype inserted = newCount - kept;
    qsizetype moved = 0;
    qint64 shifted = 0;
    qsizetype keptAfter = 0;
    for (qsizetype row = oldCount - 1; row >= 0; --row) {
        if (newRowOfOld[std::size_t(row)] >= 0)
            ++keptAfter;
        else if (row == 0 || newRowOfOld[std::size_t(row - 1)] >= 0)
            shifted += keptAfter; // one removal per run
    }
    for (qsizetype rank = 0; rank < kept; ++rank) {
        if (!staying[std::size_t(rank)]) {
            ++moved;
            shifted += std::abs(oldRank[std::size_t(keptOldRows[std::size_t(rank)])] - rank);
        }
    }
    for (qsizetype row = 0; row < newCount; ++row) {
        if (isNew[std::size_t(row)] && (row == 0 || !isNew[std::size_t(row - 1)]))
            shifted += newCount - row; // one insertion per run
    }
    if (2 * (removed + inserted + moved) > std::max(oldCount, newCount) || shifted > maxShiftedRows)
        return false;

    // 1. Removals, last run first so that the earlier rows keep their numbers.
    for (qsizetype row = oldCount - 1; row >= 0;) {
        if (newRowOfOld[std::size_t(row)] >= 0) {
            --row;
            continue;
        }
        const qsizetype last = row;
        while (row >= 0 && newRowOfOld[std::size_t(row)] < 0)
            --row;
        const qsizetype first = row + 1;
        beginRemoveRows({}, int(first), int(last));
        m_rows.remove(first, last - first + 1);
        endRemoveRows();
    }

    // 2. Moves. Now the list holds the kept rows in the old order. Each row outside the longest
    // run already in order goes right behind its predecessor in the new order; the rows placed
    // so far stay in the new relative order, so at the end all of them are.
    std::vector<qsizetype> current; // new row of the row at each position
    current.reserve(std::size_t(kept));
    for (qsizetype row = 0; row < oldCount; ++row) {
        if (newRowOfOld[std::size_t(row)] >= 0)
            current.push_back(newRowOfOld[std::size_t(row)]);
    }
    std::vector<qsizetype> positionOf(std::size_t(newCount), -1);
    for (qsizetype pos = 0; pos < kept; ++pos)
        positionOf[std::size_t(current[std::size_t(pos)])] = pos;
    for (qsizetype rank = 0; rank < kept; ++rank) {
        if (staying[std::size_t(rank)])
            continue;
        const qsizetype from = positionOf[std::size_t(keptNewRows[std::size_t(rank)])];
        const qsizetype behind = rank == 0 ? -1 : positionOf[std::size_t(keptNewRows[std::size_t(rank - 1)])];
        const qsizetype destination = behind + 1; // before the move
        if (from == destination)
            continue;
        const qsizetype to = from < destination ? destination - 1 : destination; // after the move
        beginMoveRows({}, int(from), int(from), {}, int(destination));
        m_rows.move(from, to);
        endMoveRows();
        const auto begin = current.begin();
        if (from < to)
            std::rotate(begin + from, begin + from + 1, begin + to + 1);
        else
            std::rotate(begin + to, begin + from, begin + from + 1);
        for (qsizetype pos = std::min(from, to); pos <= std::max(from, to); ++pos)
            positionOf[std::size_t(current[std::size_t(pos)])] = pos;
    }

    // 3. Insertions. Every row before a run is in place, so a run goes in at its own row.
    for (qsizetype row = 0; row < newCount;) {
        if (!isNew[std::size_t(row)]) {
            ++row;
            continue;
        }
        const qsizetype first = row;
        while (row < newCount && isNew[std::size_t(row)])
            ++row;
        beginInsertRows({}, int(first), int(row - 1));
        m_rows.insert(first, row - first, TorrentPtr{});
        for (qsizetype at = first; at < row; ++at)
            m_rows[at] = next.at(at);
        endInsertRows();
    }
    return true;
}

// The rows of m_rows are those of `next`, in order; takes over its records and signals each
// changed row with the roles that changed (neighbouring rows with the same roles together).
void TorrentListModel::applyValueChanges(const QList<TorrentPtr> &next)
{
    std::vector<std::pair<qsizetype, Roles>> changes;
    for (qsizetype row = 0; row < next.size(); ++row) {
        const TorrentPtr &now = m_rows.at(row);
        const TorrentPtr &then = next.at(row);
        if (now == then || *now == *then)
            continue;
        Roles roles = changedRoles(*now, *then);
        if (!roles.isEmpty())
            changes.emplace_back(row, std::move(roles));
    }
    // Shares the caller's list instead of holding a second copy.
    m_rows = next;
    for (std::size_t i = 0; i < changes.size();) {
        std::size_t j = i + 1;
        while (j < changes.size() && changes[j].first == changes[j - 1].first + 1 &&
               changes[j].second == changes[i].second)
            ++j;
        Q_EMIT dataChanged(index(int(changes[i].first)), index(int(changes[j - 1].first)), changes[i].second);
        i = j;
    }
}

namespace {

using KeyIterator = std::vector<qint64>::const_iterator;

// The first place in [from, end) whose key is not below `key` (or, with `past`, above it),
// found by galloping from `from`: a search that starts near its answer costs little.
KeyIterator gallop(KeyIterator from, KeyIterator end, qint64 key, bool past)
{
    const auto before = [key, past](qint64 k) { return past ? k <= key : k < key; };
    std::ptrdiff_t step = 1;
    while (from != end && before(*from)) {
        const KeyIterator probe = step < end - from ? from + step : end;
        if (probe == end || !before(*probe))
            return past ? std::upper_bound(from, probe, key) : std::lower_bound(from, probe, key);
        from = probe;
        step *= 2;
    }
    return from;
}

} // namespace

qsizetype TorrentListModel::placeOf(const Torrent &record, const Order &order, const KeyOf &keyOf) const
{
    const qint64 key = keyOf(record);
    return placeAt(record, order, key, std::lower_bound(m_keys.cbegin(), m_keys.cend(), key));
}

qsizetype TorrentListModel::placeAt(const Torrent &record, const Order &order, qint64 key, KeyIterator first) const
{
    // The rows of an equal key are mostly few.
    const KeyIterator last = gallop(first, m_keys.cend(), key, true);
    const auto begin = m_rows.cbegin();
    return std::lower_bound(begin + (first - m_keys.cbegin()), begin + (last - m_keys.cbegin()), record,
                            [&order](const TorrentPtr &row, const Torrent &r) { return order(*row, r); }) -
           begin;
}

void TorrentListModel::applyChangesInPlace(const QList<TorrentChange> &changes, const Admits &admits,
                                           const Order &order, const KeyOf &keyOf, std::vector<bool> &done)
{
    struct InPlace
    {
        qint64 key;
        qsizetype change;
    };
    std::vector<InPlace> inPlace;
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const TorrentChange &change = changes[i];
        if (change.before && change.after && !order(*change.before, *change.after) &&
            !order(*change.after, *change.before) && admits(*change.after))
            inPlace.push_back({keyOf(*change.before), i});
    }
    // In the order of their keys, each search starts where the one before ended.
    std::sort(inPlace.begin(), inPlace.end(), [](const InPlace &a, const InPlace &b) { return a.key < b.key; });
    std::vector<std::pair<qsizetype, Roles>> changed;
    KeyIterator from = m_keys.cbegin();
    for (const InPlace &candidate : inPlace) {
        const TorrentChange &change = changes[candidate.change];
        from = gallop(from, m_keys.cend(), candidate.key, false);
        const qsizetype row = placeAt(*change.before, order, candidate.key, from);
        // Not shown (the filter took it in only now): left for the row by row path.
        if (row == m_rows.size() || m_rows.at(row)->id != change.before->id)
            continue;
        done[std::size_t(candidate.change)] = true;
        Roles roles = changedRoles(*m_rows.at(row), *change.after);
        m_rows[row] = change.after;
        m_keys[std::size_t(row)] = keyOf(*change.after);
        if (!roles.isEmpty())
            changed.emplace_back(row, std::move(roles));
    }
    for (auto &[row, roles] : changed)
        Q_EMIT dataChanged(index(int(row)), index(int(row)), roles);
}

std::vector<qint64> TorrentListModel::keysOf(const QList<TorrentPtr> &records, const KeyOf &keyOf)
{
    std::vector<qint64> keys;
    keys.reserve(std::size_t(records.size()));
    for (const TorrentPtr &record : records)
        keys.push_back(keyOf(*record));
    return keys;
}

void TorrentListModel::applyChanges(const QList<TorrentChange> &changes, const Admits &admits, const Order &order,
                                    const KeyOf &keyOf)
{
    const qsizetype oldCount = m_rows.size();
    if (qsizetype(m_keys.size()) != oldCount)
        m_keys = keysOf(m_rows, keyOf);
    const auto keyAt = [this](qsizetype row) { return m_keys.begin() + row; };
    std::vector<bool> done(std::size_t(changes.size()), false);
    applyChangesInPlace(changes, admits, order, keyOf, done);
    for (qsizetype i = 0; i < changes.size(); ++i) {
        if (done[std::size_t(i)])
            continue;
        const TorrentChange &change = changes[i];
        qsizetype row = -1;
        if (change.before) {
            row = placeOf(*change.before, order, keyOf);
            if (row == m_rows.size() || m_rows.at(row)->id != change.before->id)
                row = -1;
        }
        const bool shown = change.after && admits(*change.after);
        if (row < 0) {
            if (!shown)
                continue;
            const qsizetype at = placeOf(*change.after, order, keyOf);
            beginInsertRows({}, int(at), int(at));
            m_rows.insert(at, change.after);
            m_keys.insert(keyAt(at), keyOf(*change.after));
            endInsertRows();
            continue;
        }
        if (!shown) {
            beginRemoveRows({}, int(row), int(row));
            m_rows.remove(row);
            m_keys.erase(keyAt(row));
            endRemoveRows();
            continue;
        }
        const Torrent &held = *m_rows.at(row);
        const Roles roles = changedRoles(held, *change.after);
        // Most changes leave the sort key alone (a rate under the default order): the record
        // stays where it is. Otherwise the rows stay sorted with the held record in its place,
        // so the place of the new one is found among them; right before or after the held
        // record means it stays too.
        const bool sameKey = !order(held, *change.after) && !order(*change.after, held);
        const qsizetype place = sameKey ? row : placeOf(*change.after, order, keyOf);
        qsizetype at = row;
        if (place < row || place > row + 1) {
            at = place > row ? place - 1 : place;
            beginMoveRows({}, int(row), int(row), {}, int(place));
            m_rows.move(row, at);
            if (at > row)
                std::rotate(keyAt(row), keyAt(row + 1), keyAt(at + 1));
            else
                std::rotate(keyAt(at), keyAt(row), keyAt(row + 1));
            endMoveRows();
        }
        m_rows[at] = change.after;
        *keyAt(at) = keyOf(*change.after);
        if (!roles.isEmpty())
            Q_EMIT dataChanged(index(int(at)), index(int(at)), roles);
    }
    if (m_rows.size() != oldCount)
        Q_EMIT countChanged();
}
