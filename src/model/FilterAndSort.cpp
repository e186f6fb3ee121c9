// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The shown list's pipeline. It runs over the whole torrent list (100k rows on big servers)
// when a choice changes, so it sorts small {key, pointer} records instead of Torrent copies and
// takes each kept torrent exactly once, at the end.

#include "TorrentFilter.h"

#include "NameOrder.h"
#include "SortKeys.h"
#include "TagText.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// A row is a pointer to a torrent, or to the shared record that holds one.
const Torrent &torrentOf(const Torrent *row)
{
    return *row;
}

const Torrent &torrentOf(const TorrentPtr *row)
{
    return **row;
}

// How torrents with equal keys are ordered: as they came, or by hash.
enum class Ties { inputOrder, byHash };

template <typename Row, typename Key> struct Keyed
{
    Key key;
    Row row;
};

template <typename Row, typename KeyOf, typename Before>
void sortByKey(std::vector<Row> &rows, Ties ties, KeyOf keyOf, Before before)
{
    using Key = decltype(keyOf(torrentOf(rows.front())));
    std::vector<Keyed<Row, Key>> keyed;
    keyed.reserve(rows.size());
    for (Row row : rows)
        keyed.push_back({keyOf(torrentOf(row)), row});
    std::stable_sort(keyed.begin(), keyed.end(), [&before, ties](const auto &a, const auto &b) {
        if (before(a.key, b.key))
            return true;
        if (ties == Ties::inputOrder || before(b.key, a.key))
            return false;
        return torrentOf(a.row).id < torrentOf(b.row).id;
    });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].row;
}

// Names are normalised once per row, not once per comparison; the keys view either the
// torrent's own name or the normalised copy kept in `normalized`. Each key carries the first
// units of its name, which settle most comparisons without reading the names themselves.
template <typename Row> void sortByName(std::vector<Row> &rows, Ties ties)
{
    struct NameKey
    {
        nameorder::Prefix prefix;
        QStringView name;
        Row row;
    };
    std::vector<QString> normalized;
    // Reserved in full so that it never reallocates under the views taken into it.
    normalized.reserve(rows.size());
    std::vector<NameKey> keyed;
    keyed.reserve(rows.size());
    for (Row row : rows) {
        const QString &name = torrentOf(row).name;
        QStringView key(name);
        if (!nameorder::isTriviallyNormalized(name)) {
            normalized.push_back(name.normalized(QString::NormalizationForm_C));
            key = QStringView(normalized.back());
        }
        keyed.push_back({nameorder::prefixOf(key), key, row});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [ties](const NameKey &a, const NameKey &b) {
        if (!(a.prefix == b.prefix))
            return a.prefix < b.prefix;
        if (const int order = nameorder::compareCodePoints(a.name, b.name); order != 0)
            return order < 0;
        return ties == Ties::byHash && torrentOf(a.row).id < torrentOf(b.row).id;
    });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].row;
}

template <typename Row> void sortRows(std::vector<Row> &rows, TorrentSortOption sort, Ties ties)
{
    if (rows.size() < 2)
        return;
    switch (sort) {
    case TorrentSortOption::defaultOrder:
    case TorrentSortOption::addedDate:
        return sortByKey(
            rows, ties, [](const Torrent &t) { return t.addedOn; }, std::greater<>());
    case TorrentSortOption::name:
        return sortByName(rows, ties);
    case TorrentSortOption::size:
        return sortByKey(
            rows, ties, [](const Torrent &t) { return t.size; }, std::greater<>());
    case TorrentSortOption::progress:
        return sortByKey(
            rows, ties, [](const Torrent &t) { return t.progress; }, sortkeys::higherFirst);
    case TorrentSortOption::downloadSpeed:
        return sortByKey(
            rows, ties, [](const Torrent &t) { return t.dlspeed; }, std::greater<>());
    case TorrentSortOption::uploadSpeed:
        return sortByKey(
            rows, ties, [](const Torrent &t) { return t.upspeed; }, std::greater<>());
    case TorrentSortOption::ratio:
        return sortByKey(
            rows, ties, [](const Torrent &t) { return t.ratio; }, sortkeys::higherFirst);
    }
}

} // namespace

bool TorrentListChoices::admits(const Torrent &t) const
{
    if (filter != TorrentFilter::all && !TorrentFilters::matches(filter, t))
        return false;
    if (category && t.category != *category)
        return false;
    return !tag || tagtext::hasTag(t.tags, *tag);
}

bool TorrentListChoices::isShownBefore(const Torrent &a, const Torrent &b) const
{
    return reversed ? TorrentSortOptions::isShownBefore(sort, b, a) : TorrentSortOptions::isShownBefore(sort, a, b);
}

qint64 TorrentListChoices::leadingKey(const Torrent &t) const
{
    // The complement orders the other way round.
    const qint64 key = TorrentSortOptions::leadingKey(sort, t);
    return reversed ? ~key : key;
}

QList<Torrent> filterAndSort(const QList<Torrent> &torrents, TorrentFilter filter,
                             const std::optional<QString> &category, const std::optional<QString> &tag,
                             TorrentSortOption sort)
{
    const TorrentListChoices choices{filter, category, tag, sort};
    std::vector<const Torrent *> rows;
    rows.reserve(std::size_t(torrents.size()));
    for (const Torrent &t : torrents) {
        if (choices.admits(t))
            rows.push_back(&t);
    }
    sortRows(rows, sort, Ties::inputOrder);

    QList<Torrent> shown;
    shown.reserve(qsizetype(rows.size()));
    for (const Torrent *t : rows)
        shown.append(*t);
    return shown;
}

QList<TorrentPtr> filterAndSort(const QHash<QString, TorrentPtr> &records, const TorrentListChoices &choices)
{
    std::vector<const TorrentPtr *> rows;
    rows.reserve(std::size_t(records.size()));
    for (const TorrentPtr &record : records) {
        if (choices.admits(*record))
            rows.push_back(&record);
    }
    sortRows(rows, choices.sort, Ties::byHash);
    if (choices.reversed)
        std::reverse(rows.begin(), rows.end());

    QList<TorrentPtr> shown;
    shown.reserve(qsizetype(rows.size()));
    for (const TorrentPtr *record : rows)
        shown.append(*record);
    return shown;
}
