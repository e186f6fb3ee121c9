// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Torrent.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

enum class TorrentFilter { all, downloading, seeding, completed, paused, active, inactive };

namespace TorrentFilters {
const QList<TorrentFilter> &allCases();
std::optional<TorrentFilter> fromRawValue(QStringView raw);
QString rawValue(TorrentFilter filter);
QString displayName(TorrentFilter filter);
bool matches(TorrentFilter filter, const Torrent &torrent);
} // namespace TorrentFilters

// `default` is a keyword in C++, so that case is spelled `defaultOrder`; its raw value is
// still "default".
enum class TorrentSortOption {
    defaultOrder,
    name,
    size,
    progress,
    addedDate,
    downloadSpeed,
    uploadSpeed,
    ratio
};

namespace TorrentSortOptions {
const QList<TorrentSortOption> &allCases();
std::optional<TorrentSortOption> fromRawValue(QStringView raw);
QString rawValue(TorrentSortOption option);
QString displayName(TorrentSortOption option);
// True when `a` goes before `b`; strict, so equal keys give false both ways.
bool areInIncreasingOrder(TorrentSortOption option, const Torrent &a, const Torrent &b);
// The order of a shown list of the repository's records: areInIncreasingOrder, and torrents
// with equal keys in the order of their hashes, the order in which the repository lists them.
// Total over distinct hashes, so a changed record's place is found by a binary search.
bool isShownBefore(TorrentSortOption option, const Torrent &a, const Torrent &b);
// A number per torrent that orders like isShownBefore where numbers differ (a smaller one goes
// first); equal numbers decide nothing. Kept beside a shown list, it lets a search compare
// numbers in a row instead of reading records scattered in memory.
qint64 leadingKey(TorrentSortOption option, const Torrent &torrent);
} // namespace TorrentSortOptions

// The choices that make the shown list out of all torrents.
struct TorrentListChoices
{
    TorrentFilter filter = TorrentFilter::all;
    std::optional<QString> category;
    std::optional<QString> tag;
    TorrentSortOption sort = TorrentSortOption::defaultOrder;
    // The sort order run backwards (ties too, so the order stays total).
    bool reversed = false;

    // Whether the torrent passes the status filter, the category and the tag.
    bool admits(const Torrent &torrent) const;
    // The shown list's order and its keys (TorrentSortOptions::isShownBefore and leadingKey),
    // backwards when reversed: every place that orders shown rows asks these.
    bool isShownBefore(const Torrent &a, const Torrent &b) const;
    qint64 leadingKey(const Torrent &torrent) const;
    bool operator==(const TorrentListChoices &) const = default;
};

// The list that is shown: the torrents that pass the status filter (unless `all`), whose category
// equals `category` exactly when one is given and whose tags hold `tag` exactly when one is
// given, in a stable sort by `sort` (equal keys keep their input order).
QList<Torrent> filterAndSort(const QList<Torrent> &torrents, TorrentFilter filter,
                             const std::optional<QString> &category, const std::optional<QString> &tag,
                             TorrentSortOption sort);
// The same list of shared records, in the order of isShownBefore (which is the stable sort of
// the repository's list, ordered by hash), or its reverse.
QList<TorrentPtr> filterAndSort(const QHash<QString, TorrentPtr> &records, const TorrentListChoices &choices);
