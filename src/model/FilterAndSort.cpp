// The shown list's pipeline. It runs on every refresh over the whole torrent list (100k rows
// on big servers), so it sorts small {key, pointer} records instead of Torrent copies and
// copies each kept torrent exactly once, at the end.

#include "TorrentFilter.h"

#include "NameOrder.h"
#include "SortKeys.h"
#include "TagText.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using Rows = std::vector<const Torrent *>;

template <typename Key> struct Keyed
{
    Key key;
    const Torrent *torrent;
};

template <typename KeyOf, typename Before> void sortByKey(Rows &rows, KeyOf keyOf, Before before)
{
    using Key = decltype(keyOf(*rows.front()));
    std::vector<Keyed<Key>> keyed;
    keyed.reserve(rows.size());
    for (const Torrent *t : rows)
        keyed.push_back({keyOf(*t), t});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&before](const Keyed<Key> &a, const Keyed<Key> &b) { return before(a.key, b.key); });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].torrent;
}

// Names are normalised once per row, not once per comparison; the keys view either the
// torrent's own name or the normalised copy kept in `normalized`. Each key carries the first
// units of its name, which settle most comparisons without reading the names themselves.
void sortByName(Rows &rows)
{
    struct NameKey
    {
        nameorder::Prefix prefix;
        QStringView name;
        const Torrent *torrent;
    };
    std::vector<QString> normalized;
    // Reserved in full so that it never reallocates under the views taken into it.
    normalized.reserve(rows.size());
    std::vector<NameKey> keyed;
    keyed.reserve(rows.size());
    for (const Torrent *t : rows) {
        QStringView name(t->name);
        if (!nameorder::isTriviallyNormalized(t->name)) {
            normalized.push_back(t->name.normalized(QString::NormalizationForm_C));
            name = QStringView(normalized.back());
        }
        keyed.push_back({nameorder::prefixOf(name), name, t});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const NameKey &a, const NameKey &b) {
        if (!(a.prefix == b.prefix))
            return a.prefix < b.prefix;
        return nameorder::compareCodePoints(a.name, b.name) < 0;
    });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].torrent;
}

void sortRows(Rows &rows, TorrentSortOption sort)
{
    if (rows.size() < 2)
        return;
    switch (sort) {
    case TorrentSortOption::defaultOrder:
    case TorrentSortOption::addedDate:
        return sortByKey(
            rows, [](const Torrent &t) { return t.addedOn; }, std::greater<>());
    case TorrentSortOption::name:
        return sortByName(rows);
    case TorrentSortOption::size:
        return sortByKey(
            rows, [](const Torrent &t) { return t.size; }, std::greater<>());
    case TorrentSortOption::progress:
        return sortByKey(
            rows, [](const Torrent &t) { return t.progress; }, sortkeys::higherFirst);
    case TorrentSortOption::downloadSpeed:
        return sortByKey(
            rows, [](const Torrent &t) { return t.dlspeed; }, std::greater<>());
    case TorrentSortOption::uploadSpeed:
        return sortByKey(
            rows, [](const Torrent &t) { return t.upspeed; }, std::greater<>());
    case TorrentSortOption::ratio:
        return sortByKey(
            rows, [](const Torrent &t) { return t.ratio; }, sortkeys::higherFirst);
    }
}

} // namespace

QList<Torrent> filterAndSort(const QList<Torrent> &torrents, TorrentFilter filter,
                             const std::optional<QString> &category, const std::optional<QString> &tag,
                             TorrentSortOption sort)
{
    Rows rows;
    rows.reserve(std::size_t(torrents.size()));
    for (const Torrent &t : torrents) {
        if (filter != TorrentFilter::all && !TorrentFilters::matches(filter, t))
            continue;
        if (category && t.category != *category)
            continue;
        if (tag && !tagtext::hasTag(t.tags, *tag))
            continue;
        rows.push_back(&t);
    }

    sortRows(rows, sort);

    QList<Torrent> shown;
    shown.reserve(qsizetype(rows.size()));
    for (const Torrent *t : rows)
        shown.append(*t);
    return shown;
}
