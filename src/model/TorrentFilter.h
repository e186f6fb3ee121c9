#pragma once

#include "Torrent.h"

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
} // namespace TorrentSortOptions

// The list that is shown: the torrents that pass the status filter (unless `all`), whose category
// equals `category` exactly when one is given and whose tags hold `tag` exactly when one is
// given, in a stable sort by `sort` (equal keys keep their input order).
QList<Torrent> filterAndSort(const QList<Torrent> &torrents, TorrentFilter filter,
                             const std::optional<QString> &category, const std::optional<QString> &tag,
                             TorrentSortOption sort);
